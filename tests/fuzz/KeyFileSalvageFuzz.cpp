// Reads arbitrary bytes as a damaged settings file. Where GLib's key-file
// reader accepts the bytes whole, the line-by-line reading must find the
// same values; whatever it finds must write back as a key file that reads
// whole and gives those values again.
#include <glib.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "config/KeyFileSalvage.h"
#include "config/Utf8.h"

namespace {

constexpr const char* kGroup = "Murmel Alarm";

void Check(bool ok) {
    if (!ok) std::abort();
}

using Values = std::map<std::string, std::string>;

// The group's readable values as GLib gives them, leaving out what the
// salvage leaves out on purpose (locale keys, the encoding key).
Values ReadWhole(GKeyFile* file) {
    Values values;
    gchar** keys = g_key_file_get_keys(file, kGroup, nullptr, nullptr);
    for (gchar** k = keys; k && *k; ++k) {
        const std::string key = *k;
        if (key.find('[') != std::string::npos || key == "Encoding" || !IsValidUtf8(key)) continue;
        gchar* value = g_key_file_get_string(file, kGroup, *k, nullptr);
        if (value) values[key] = value;
        g_free(value);
    }
    g_strfreev(keys);
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A key or value GLib refuses to store would show only as a critical
    // message. (Its warnings are left alone: reading a value with two bad
    // escapes warns about GLib's own error handling.)
    g_log_set_always_fatal(G_LOG_LEVEL_CRITICAL);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const KeyFileValues salvaged = SalvageKeyFileGroup(text, kGroup);
    Values found;
    for (const auto& [key, value] : salvaged) {
        Check(found.emplace(key, value).second);  // each key once
        Check(IsValidUtf8(key) && IsValidUtf8(value));
    }

    GKeyFile* whole = g_key_file_new();
    if (g_key_file_load_from_data(whole, text.data(), text.size(), G_KEY_FILE_NONE, nullptr)) {
        Values expected = ReadWhole(whole);
        Values got = found;
        got.erase("Encoding");
        Check(got == expected);
    }
    g_key_file_free(whole);

    GKeyFile* written = g_key_file_new();
    for (const auto& [key, value] : salvaged)
        g_key_file_set_string(written, kGroup, key.c_str(), value.c_str());
    gsize length = 0;
    gchar* bytes = g_key_file_to_data(written, &length, nullptr);
    g_key_file_free(written);
    GKeyFile* reread = g_key_file_new();
    Check(g_key_file_load_from_data(reread, bytes, length, G_KEY_FILE_NONE, nullptr));
    Values again = ReadWhole(reread);
    if (auto encoding = found.find("Encoding"); encoding != found.end()) {
        gchar* value = g_key_file_get_string(reread, kGroup, "Encoding", nullptr);
        Check(value && encoding->second == value);
        g_free(value);
        found.erase(encoding);
    }
    Check(again == found);
    g_key_file_free(reread);
    g_free(bytes);
    return 0;
}
