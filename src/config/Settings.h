#pragma once
// Reading and writing the persistent settings: the per-user store holds
// them; config.ini beside the executable only seeds a value the store lacks.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/AppSettings.h"
#include "platform/SettingsStore.h"
#include "platform/System.h"

// The directory of the running executable, without a trailing separator.
std::string ModuleDirectory(IModulePath& module);

// config.ini beside the executable when `exists` finds it there, else the
// first murmel-alarm/config.ini under the absolute directories of
// `xdgConfigDirs` (a colon-separated list; empty means /etc/xdg), so a
// distributor can seed values without writing beside an installed binary.
// None found: the path beside the executable.
std::string FindConfigIni(const std::string& moduleDirectory, const std::string& xdgConfigDirs,
                          const std::function<bool(const std::string&)>& exists);

class SettingsAccess {
public:
    // A stored value longer than this many characters counts as missing.
    static constexpr std::size_t kMaxStoredChars = 1022;

    SettingsAccess(IKeyValueStore& store, IProfileFile& profile, std::string configPath);

    // From here until Commit, writes are held and then stored together:
    // reading a first run's defaults rewrites the file once, not once for
    // each of them (a synced write takes a while on a slow disk).
    void HoldWrites() { m_holding = true; }
    // Stores what was held; false when it could not be stored.
    bool Commit();

    // The stored value; when it is missing or unreadable, the value from
    // config.ini (empty when absent), which is then stored.
    std::string ReadSetting(const std::string& section, const std::string& key);
    // Stores the value under the key's name; the section plays no part.
    // Failures are ignored: the settings then keep their previous values.
    void WriteSetting(const std::string& section, const std::string& key, const std::string& value);

private:
    IKeyValueStore& m_store;
    IProfileFile& m_profile;
    std::string m_configPath;
    bool m_holding = false;
    std::vector<std::pair<std::string, std::string>> m_held;
};

// The store and config.ini behind ReadSetting and WriteSetting for the rest
// of the process (config.ini at AppSettings.configPath); nullptr for none.
void UseSettingsStore(IKeyValueStore* store, IProfileFile* profile);
// With no store in use, reads give empty text and writes are dropped.
std::string ReadSetting(const std::string& section, const std::string& key);
void WriteSetting(const std::string& section, const std::string& key, const std::string& value);

// Fills `settings` from the store, seeding missing values from the
// config.ini that `profile` locates.
void LoadSettings(IKeyValueStore& store, IProfileFile& profile, IModulePath& module,
                  AppSettingsRecord& settings);

// "true" in any mix of upper and lower case, nothing else.
bool IsTrueText(std::string_view text);
// ASCII letters lower-cased, everything else kept.
std::string LowerAscii(std::string_view text);
// The configured web-client address with its scheme and host name
// lower-cased, and "http://" in front when it names no scheme; the rest is
// kept as written.
std::string NormalizeWebUrl(std::string_view value);
// The leading decimal number of the text (blanks and a sign before it are
// allowed); 0 when there is none; out-of-range numbers are clamped.
int LeadingInteger(std::string_view text);
