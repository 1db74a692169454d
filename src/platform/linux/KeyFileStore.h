#pragma once
// The per-user settings store: one group of string values in a key file,
// by default $XDG_CONFIG_HOME/OSTRAND/Murmel Alarm.conf. Every write
// replaces the file atomically, so a crash or a full disk leaves the
// previous file whole. A file that does not parse as a whole is read line
// by line; the first write after that keeps it as Murmel Alarm.conf.bad
// before replacing it. Reading never writes.
#include <string>

#include "platform/SettingsStore.h"

class KeyFileStore : public IKeyValueStore {
public:
    static constexpr const char* kGroup = "Murmel Alarm";
    // Appended to the store's path to name the copy of a damaged file.
    static constexpr const char* kDamagedSuffix = ".bad";

    // The file under the user's configuration directory, looked up now.
    KeyFileStore();
    explicit KeyFileStore(std::string path);

    std::optional<std::string> Read(const std::string& name) override;
    bool Write(const std::string& name, const std::string& value) override;
    bool WriteAll(const std::vector<std::pair<std::string, std::string>>& values) override;
    bool Delete(const std::string& name) override;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
