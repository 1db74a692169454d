#include "config/Settings.h"

#include <climits>
#include <utility>

#include "config/Utf8.h"

std::string ModuleDirectory(IModulePath& module) {
    const std::string path = module.ExecutablePath();
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FindConfigIni(const std::string& moduleDirectory, const std::string& xdgConfigDirs,
                          const std::function<bool(const std::string&)>& exists) {
    const std::string beside = moduleDirectory + "/config.ini";
    if (exists(beside)) return beside;
    const std::string dirs = xdgConfigDirs.empty() ? "/etc/xdg" : xdgConfigDirs;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        start = end + 1;
        // Relative entries are invalid in the list and are skipped, as the
        // base directory rules ask.
        if (dir.empty() || dir[0] != '/') continue;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        if (dir == "/") dir.clear();
        const std::string candidate = dir + "/murmel-alarm/config.ini";
        if (exists(candidate)) return candidate;
    }
    return beside;
}

SettingsAccess::SettingsAccess(IKeyValueStore& store, IProfileFile& profile, std::string configPath)
    : m_store(store), m_profile(profile), m_configPath(std::move(configPath)) {}

std::string SettingsAccess::ReadSetting(const std::string& section, const std::string& key) {
    for (const auto& [name, value] : m_held)
        if (name == key) return value;
    const auto stored = m_store.Read(key);
    if (stored && Utf8Length(*stored) <= kMaxStoredChars) return *stored;
    std::string value = m_profile.Read(m_configPath, section, key);
    WriteSetting(section, key, value);
    return value;
}

void SettingsAccess::WriteSetting(const std::string& section, const std::string& key,
                                  const std::string& value) {
    if (!m_holding) {
        m_store.Write(key, value);
        return;
    }
    for (auto& [name, held] : m_held)
        if (name == key) {
            held = value;
            return;
        }
    m_held.emplace_back(key, value);
}

bool SettingsAccess::Commit() {
    m_holding = false;
    if (m_held.empty()) return true;
    return m_store.WriteAll(std::exchange(m_held, {}));
}

namespace {

IKeyValueStore* g_store = nullptr;
IProfileFile* g_profile = nullptr;

}  // namespace

void UseSettingsStore(IKeyValueStore* store, IProfileFile* profile) {
    g_store = store;
    g_profile = profile;
}

std::string ReadSetting(const std::string& section, const std::string& key) {
    if (!g_store || !g_profile) return {};
    return SettingsAccess(*g_store, *g_profile, AppSettings.configPath).ReadSetting(section, key);
}

void WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
    if (!g_store || !g_profile) return;
    SettingsAccess(*g_store, *g_profile, AppSettings.configPath).WriteSetting(section, key, value);
}

bool IsTrueText(std::string_view text) {
    return LowerAscii(text) == "true";
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

namespace {
// The length of the scheme that begins the address ("https" of
// "https://host"), or 0 when it begins with none. A bare "host:8080" has no
// scheme: only a name followed by "://" counts.
std::size_t SchemeLength(std::string_view url) {
    const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (url.empty() || !isAlpha(url[0])) return 0;
    std::size_t i = 1;
    while (i < url.size() && (isAlpha(url[i]) || (url[i] >= '0' && url[i] <= '9') ||
                              url[i] == '+' || url[i] == '-' || url[i] == '.'))
        ++i;
    return url.substr(i, 3) == "://" ? i : 0;
}
}  // namespace

std::string NormalizeWebUrl(std::string_view value) {
    std::string url(value);
    std::size_t scheme = SchemeLength(url);
    if (scheme == 0) {
        url.insert(0, "http://");
        scheme = 4;
    }
    // Scheme and host name are case-blind and compared as written
    // elsewhere (the trusted origin, cookies); the path, query and a user
    // name are the site's and keep their case.
    const std::size_t authority = scheme + 3;
    std::size_t end = url.find_first_of("/?#", authority);
    if (end == std::string::npos) end = url.size();
    const std::size_t at = url.rfind('@', end);
    const std::size_t host = at != std::string::npos && at >= authority ? at + 1 : authority;
    return LowerAscii(std::string_view(url).substr(0, scheme)) + url.substr(scheme, host - scheme) +
           LowerAscii(std::string_view(url).substr(host, end - host)) + url.substr(end);
}

int LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) break;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

void LoadSettings(IKeyValueStore& store, IProfileFile& profile, IModulePath& module,
                  AppSettingsRecord& settings) {
    settings.configPath = profile.Locate(ModuleDirectory(module));
    SettingsAccess access(store, profile, settings.configPath);
    access.HoldWrites();

    settings.language = access.ReadSetting("COMMON", "language");
    if (settings.language.empty()) {
        settings.language = "en";
        access.WriteSetting("COMMON", "language", settings.language);
    }

    const std::string alert = access.ReadSetting("SOUND", "alert");
    settings.alertSound = alert.empty() || IsTrueText(alert);
    settings.soundIndex = access.ReadSetting("SOUND", "sound");
    if (settings.soundIndex.empty()) settings.soundIndex = "0";

    const std::string preview = access.ReadSetting("PREVIEW", "preview");
    settings.messagePreview = preview.empty() || IsTrueText(preview);

    const std::string webUrl = access.ReadSetting("ETC", "web_url");
    if (!webUrl.empty()) settings.webClientBaseUrl = NormalizeWebUrl(webUrl);
    const std::string pushHost = access.ReadSetting("ETC", "prov_ip");
    if (!pushHost.empty()) settings.pushHost = pushHost;
    const std::string pushPort = access.ReadSetting("ETC", "prov_port");
    if (!pushPort.empty()) settings.pushPort = LeadingInteger(pushPort);

    const std::string remember = access.ReadSetting("ETC", "re_email");
    if (remember.empty()) access.WriteSetting("ETC", "re_email", "FALSE");
    settings.rememberEmail = IsTrueText(remember);
    if (settings.rememberEmail) {
        settings.savedEmail = access.ReadSetting("ETC", "email");
    } else {
        settings.savedEmail.clear();
        access.WriteSetting("ETC", "email", "");
    }
    access.Commit();
}
