#pragma once
// An in-memory per-user settings store that records every write and can be
// told to hold unreadable values or to refuse writes.
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/SettingsStore.h"

class FakeKeyValueStore : public IKeyValueStore {
public:
    std::optional<std::string> Read(const std::string& name) override;
    bool Write(const std::string& name, const std::string& value) override;
    bool WriteAll(const std::vector<std::pair<std::string, std::string>>& values) override;
    bool Delete(const std::string& name) override;

    std::map<std::string, std::string> values;
    std::set<std::string> unreadable;                         // present, but reads fail
    bool failWrites = false;                                  // writes fail and change nothing
    std::vector<std::pair<std::string, std::string>> writes;  // in order, failed ones too
    int stores = 0;                                           // calls of Write and WriteAll
};
