// Reads arbitrary bytes as config.ini: looks up every key the program reads
// and seeds a fresh settings store from the file, as a first start does.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/ProfileText.h"
#include "config/Settings.h"
#include "config/Utf8.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeKeyValueStore.h"
#include "fakes/FakeProfileFile.h"

namespace {

struct Setting {
    const char* section;
    const char* key;
};

const Setting kSettings[] = {{"COMMON", "language"}, {"SOUND", "alert"},  {"SOUND", "sound"},
                             {"PREVIEW", "preview"}, {"ETC", "web_url"},  {"ETC", "prov_ip"},
                             {"ETC", "prov_port"},   {"ETC", "re_email"}, {"ETC", "email"}};

void Check(bool ok) {
    if (!ok) std::abort();
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool SameSettings(const AppSettingsRecord& a, const AppSettingsRecord& b) {
    return a.language == b.language && a.alertSound == b.alertSound &&
           a.soundIndex == b.soundIndex && a.messagePreview == b.messagePreview &&
           a.rememberEmail == b.rememberEmail && a.savedEmail == b.savedEmail &&
           a.webClientBaseUrl == b.webClientBaseUrl && a.pushHost == b.pushHost &&
           a.pushPort == b.pushPort;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool validText = IsValidUtf8(text);
    const std::string crlf = WithCrLf(text);

    bool allStorable = true;
    for (const Setting& s : kSettings) {
        const std::string value = ProfileValue(text, s.section, s.key);
        Check(value.find('\n') == std::string::npos);
        Check(Utf8Length(value) <= kMaxProfileValueChars);
        Check(!validText || IsValidUtf8(value));
        Check(text.find(value) != std::string::npos);
        // Names compare without case, and Windows line ends read the same.
        Check(ProfileValue(text, LowerAscii(s.section), LowerAscii(s.key)) == value);
        Check(ProfileValue(crlf, s.section, s.key) == value);
        allStorable = allStorable && Utf8Length(value) <= SettingsAccess::kMaxStoredChars;
    }

    FakeKeyValueStore store;
    FakeProfileFile profile;
    FakeModulePath module;
    profile.files["/opt/murmel/config.ini"] = text;
    AppSettingsRecord first;
    LoadSettings(store, profile, module, first);
    Check(!first.language.empty() && !first.soundIndex.empty());
    // Any address ends up with a scheme; one the user wrote is kept.
    Check(first.webClientBaseUrl.find("://") != std::string::npos);
    Check(first.rememberEmail || first.savedEmail.empty());
    for (const auto& [name, value] : store.values) Check(value.find('\n') == std::string::npos);

    // Once seeded, the store alone decides: a changed config.ini is not read.
    if (allStorable) {
        profile.files["/opt/murmel/config.ini"] = "[ETC]\nweb_url=changed\nprov_port=1\n";
        const int readsBefore = profile.reads;
        AppSettingsRecord second;
        LoadSettings(store, profile, module, second);
        Check(SameSettings(first, second));
        Check(profile.reads == readsBefore);
    }
    return 0;
}
