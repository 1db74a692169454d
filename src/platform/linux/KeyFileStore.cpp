#include "platform/linux/KeyFileStore.h"

#include "platform/linux/AtomicKeyFile.h"

#include "config/KeyFileSalvage.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cstdlib>
#include <memory>
#include <optional>

namespace {

std::string ConfigHome() {
    // Read on every construction rather than through GLib's cached value,
    // so a changed XDG_CONFIG_HOME is honoured.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return xdg;
    return std::string(g_get_home_dir()) + "/.config";
}

using KeyFilePtr = std::unique_ptr<GKeyFile, decltype(&g_key_file_free)>;

struct Loaded {
    // nullptr when the file exists but cannot be read, so that a write
    // never replaces values it could not see.
    KeyFilePtr file{nullptr, &g_key_file_free};
    // The bytes of a file that did not parse as a whole; `file` then holds
    // what could be read of it line by line.
    std::optional<std::string> damaged;
};

Loaded Load(const std::string& path) {
    Loaded loaded;
    char* contents = nullptr;
    gsize length = 0;
    GError* error = nullptr;
    if (!g_file_get_contents(path.c_str(), &contents, &length, &error)) {
        const bool missing = g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT);
        g_error_free(error);
        if (missing) loaded.file.reset(g_key_file_new());
        return loaded;
    }
    loaded.file.reset(g_key_file_new());
    if (!g_key_file_load_from_data(loaded.file.get(), contents, length, G_KEY_FILE_KEEP_COMMENTS,
                                   nullptr)) {
        const std::string text(contents, length);
        loaded.file.reset(g_key_file_new());
        for (const auto& [key, value] : SalvageKeyFileGroup(text, KeyFileStore::kGroup))
            g_key_file_set_string(loaded.file.get(), KeyFileStore::kGroup, key.c_str(),
                                  value.c_str());
        loaded.damaged = text;
    }
    g_free(contents);
    return loaded;
}

// The value as stored, when it can be read.
std::optional<std::string> ValueIn(GKeyFile* file, const std::string& name) {
    // Fails for a missing value and for one that is not valid UTF-8.
    char* value = g_key_file_get_string(file, KeyFileStore::kGroup, name.c_str(), nullptr);
    if (!value) return std::nullopt;
    std::string result(value);
    g_free(value);
    return result;
}

// Replaces the file with `file`; a damaged file is first kept beside it
// whole, as the .bad file, so that nothing it held is lost.
bool Save(const std::string& path, const Loaded& loaded) {
    if (loaded.damaged && !g_file_set_contents_full(
                              (path + KeyFileStore::kDamagedSuffix).c_str(), loaded.damaged->data(),
                              static_cast<gssize>(loaded.damaged->size()),
                              static_cast<GFileSetContentsFlags>(G_FILE_SET_CONTENTS_CONSISTENT |
                                                                 G_FILE_SET_CONTENTS_DURABLE),
                              0600, nullptr))
        return false;
    return SaveKeyFileAtomically(path, loaded.file.get(), 0600);
}

}  // namespace

KeyFileStore::KeyFileStore() : m_path(ConfigHome() + "/OSTRAND/Murmel Alarm.conf") {}

KeyFileStore::KeyFileStore(std::string path) : m_path(std::move(path)) {}

std::optional<std::string> KeyFileStore::Read(const std::string& name) {
    const Loaded loaded = Load(m_path);
    if (!loaded.file) return std::nullopt;
    return ValueIn(loaded.file.get(), name);
}

bool KeyFileStore::Write(const std::string& name, const std::string& value) {
    return WriteAll({{name, value}});
}

bool KeyFileStore::WriteAll(const std::vector<std::pair<std::string, std::string>>& values) {
    const Loaded loaded = Load(m_path);
    if (!loaded.file) return false;
    // A file that already holds the values is left as it is, damaged or
    // not: storing the same values again is no reason to rewrite it.
    bool changed = false;
    for (const auto& [name, value] : values) {
        if (ValueIn(loaded.file.get(), name) == value) continue;
        g_key_file_set_string(loaded.file.get(), kGroup, name.c_str(), value.c_str());
        changed = true;
    }
    return !changed || Save(m_path, loaded);
}

bool KeyFileStore::Delete(const std::string& name) {
    const Loaded loaded = Load(m_path);
    if (!loaded.file) return false;
    if (!g_key_file_remove_key(loaded.file.get(), kGroup, name.c_str(), nullptr)) return true;
    return Save(m_path, loaded);
}
