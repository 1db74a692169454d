#include "fakes/FakeKeyValueStore.h"

std::optional<std::string> FakeKeyValueStore::Read(const std::string& name) {
    if (unreadable.contains(name)) return std::nullopt;
    const auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

bool FakeKeyValueStore::Write(const std::string& name, const std::string& value) {
    return WriteAll({{name, value}});
}

bool FakeKeyValueStore::WriteAll(const std::vector<std::pair<std::string, std::string>>& all) {
    ++stores;
    writes.insert(writes.end(), all.begin(), all.end());
    if (failWrites) return false;
    for (const auto& [name, value] : all) {
        values[name] = value;
        unreadable.erase(name);
    }
    return true;
}

bool FakeKeyValueStore::Delete(const std::string& name) {
    if (failWrites) return false;
    values.erase(name);
    unreadable.erase(name);
    return true;
}
