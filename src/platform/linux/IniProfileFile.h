#pragma once
// config.ini read from disk on every lookup; the rules of the lookup are the
// core's ProfileValue, where the file is found the core's FindConfigIni.
#include "platform/SettingsStore.h"

class IniProfileFile : public IProfileFile {
public:
    std::string Read(const std::string& path, const std::string& section,
                     const std::string& key) override;
    // Beside the executable, else under $XDG_CONFIG_DIRS (read at each call).
    std::string Locate(const std::string& moduleDirectory) override;
};
