#pragma once
// config.ini read from disk on every lookup; the rules of the lookup are the
// core's ProfileValue.
#include "platform/SettingsStore.h"

class IniProfileFile : public IProfileFile {
public:
    std::string Read(const std::string& path, const std::string& section,
                     const std::string& key) override;
};
