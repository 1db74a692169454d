#include "platform/linux/XdgAutostart.h"

#include "platform/linux/AtomicKeyFile.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kGroup = "Desktop Entry";
// A larger file is no entry of ours, and is not read.
constexpr gsize kMaxEntryBytes = 64 * 1024;

std::string ConfigHome() {
    // Not GLib's cached value: a changed XDG_CONFIG_HOME is honoured.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return xdg;
    return std::string(g_get_home_dir()) + "/.config";
}

using KeyFilePtr = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

// The entry as a key file; nullptr when it is missing, too large or not a
// key file.
KeyFilePtr LoadEntry(const std::string& path) {
    KeyFilePtr file(nullptr, &g_key_file_free);
    char* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &contents, &length, nullptr)) return file;
    file.reset(g_key_file_new());
    if (length > kMaxEntryBytes ||
        !g_key_file_load_from_data(file.get(), contents, length, G_KEY_FILE_NONE, nullptr))
        file.reset();
    g_free(contents);
    return file;
}

// The user told the desktop not to start it: Hidden=true, or GNOME's own
// switch turned off. A value that is no boolean counts as the desktop
// session reads it: Hidden as false, the GNOME switch as off.
bool IsDisabled(GKeyFile* file) {
    if (g_key_file_get_boolean(file, kGroup, "Hidden", nullptr)) return true;
    return g_key_file_has_key(file, kGroup, "X-GNOME-Autostart-enabled", nullptr) &&
           !g_key_file_get_boolean(file, kGroup, "X-GNOME-Autostart-enabled", nullptr);
}

// Only a program that can be started is worth an entry: after an upgrade
// or an uninstall the running executable's path may name nothing.
bool IsProgram(const std::string& path) {
    return g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR) &&
           g_file_test(path.c_str(), G_FILE_TEST_IS_EXECUTABLE);
}

}  // namespace

std::string QuoteExecArgument(const std::string& path) {
    static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
    std::string escaped;
    bool quote = false;
    for (char c : path) {
        if (c == '%') {
            escaped += "%%";
            continue;
        }
        if (c != '\0' && std::strchr(kReserved, c)) quote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return quote ? "\"" + escaped + "\"" : escaped;
}

XdgAutostart::XdgAutostart() : m_path(ConfigHome() + "/autostart/murmel-alarm.desktop") {}

std::string XdgAutostart::ReadRunEntry() {
    const KeyFilePtr file = LoadEntry(m_path);
    if (!file || IsDisabled(file.get())) return {};
    char* exec = g_key_file_get_string(file.get(), kGroup, "Exec", nullptr);
    if (!exec) return {};
    std::string result(exec);
    g_free(exec);
    return result;
}

bool XdgAutostart::WriteRunEntry(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos || !IsProgram(path)) return false;
    KeyFilePtr file(g_key_file_new(), &g_key_file_free);
    g_key_file_set_string(file.get(), kGroup, "Type", "Application");
    g_key_file_set_string(file.get(), kGroup, "Name", "Murmel Alarm");
    // set_string escapes the backslashes the quoting put in, as a string
    // value must have them.
    g_key_file_set_string(file.get(), kGroup, "Exec", QuoteExecArgument(path).c_str());
    g_key_file_set_string(file.get(), kGroup, "Terminal", "false");
    // The installed desktop entry's icon, so the session's start-up list
    // shows the program as its menu does.
    g_key_file_set_string(file.get(), kGroup, "Icon", MURMEL_APP_ID);
    // The desktop never starts from half an entry.
    return SaveKeyFileAtomically(m_path, file.get(), 0644);
}

bool XdgAutostart::DeleteRunEntry() {
    // A disabled entry already keeps the program from starting, and may be
    // what hides a system-wide entry of the same name: it stays.
    const KeyFilePtr file = LoadEntry(m_path);
    if (file && IsDisabled(file.get())) return true;
    return g_unlink(m_path.c_str()) == 0 || errno == ENOENT;
}
