#pragma once
// config.ini files held in memory as text per path, looked up with the same
// rules as the real file.
#include <map>
#include <string>

#include "platform/SettingsStore.h"

class FakeProfileFile : public IProfileFile {
public:
    std::string Read(const std::string& path, const std::string& section,
                     const std::string& key) override;
    // The core's lookup over `files`, with `configDirs` as XDG_CONFIG_DIRS.
    std::string Locate(const std::string& moduleDirectory) override;

    std::map<std::string, std::string> files;  // path -> ini text
    std::string configDirs;
    int reads = 0;
};
