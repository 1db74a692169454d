#include "platform/linux/KeyFileStore.h"

#include "platform/linux/AtomicKeyFile.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

std::string ConfigHome() {
    // Read on every construction rather than through GLib's cached value,
    // so a changed XDG_CONFIG_HOME is honoured.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return xdg;
    return std::string(g_get_home_dir()) + "/.config";
}

using KeyFilePtr = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

// The current contents; nullptr when the file exists but cannot be read, so
// that a write never replaces values it could not see. An unparsable file
// loads as empty: none of its values can be read anyway.
KeyFilePtr Load(const std::string& path) {
    KeyFilePtr file(g_key_file_new(), &g_key_file_free);
    GError* error = nullptr;
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_KEEP_COMMENTS, &error)) {
        const bool fatal = error->domain == G_FILE_ERROR && error->code != G_FILE_ERROR_NOENT;
        g_error_free(error);
        if (fatal) return KeyFilePtr(nullptr, &g_key_file_free);
        KeyFilePtr empty(g_key_file_new(), &g_key_file_free);
        return empty;
    }
    return file;
}

bool Save(const std::string& path, GKeyFile* file) {
    return SaveKeyFileAtomically(path, file, 0600);
}

}  // namespace

KeyFileStore::KeyFileStore() : m_path(ConfigHome() + "/OSTRAND/Murmel Alarm.conf") {}

KeyFileStore::KeyFileStore(std::string path) : m_path(std::move(path)) {}

std::optional<std::string> KeyFileStore::Read(const std::string& name) {
    KeyFilePtr file = Load(m_path);
    if (!file) return std::nullopt;
    // Fails for a missing value and for one that is not valid UTF-8.
    char* value = g_key_file_get_string(file.get(), kGroup, name.c_str(), nullptr);
    if (!value) return std::nullopt;
    std::string result(value);
    g_free(value);
    return result;
}

bool KeyFileStore::Write(const std::string& name, const std::string& value) {
    KeyFilePtr file = Load(m_path);
    if (!file) return false;
    g_key_file_set_string(file.get(), kGroup, name.c_str(), value.c_str());
    return Save(m_path, file.get());
}

bool KeyFileStore::Delete(const std::string& name) {
    KeyFilePtr file = Load(m_path);
    if (!file) return false;
    if (!g_key_file_remove_key(file.get(), kGroup, name.c_str(), nullptr)) return true;
    return Save(m_path, file.get());
}
