#pragma once
// Per-user settings (one key of named string values) and the read-only
// profile file that seeds them.
#include <optional>
#include <string>
#include <utility>
#include <vector>

// UI thread (and the start-up code before the loop runs).
class IKeyValueStore {
public:
    virtual ~IKeyValueStore() = default;
    // nullopt when the value is missing or cannot be read.
    virtual std::optional<std::string> Read(const std::string& name) = 0;
    // false when the value could not be stored; stored values stay intact.
    virtual bool Write(const std::string& name, const std::string& value) = 0;
    // Stores all the values in one go, or none of them: one replacement of
    // the stored file rather than one for each value.
    virtual bool WriteAll(const std::vector<std::pair<std::string, std::string>>& values) = 0;
    virtual bool Delete(const std::string& name) = 0;
};

class IProfileFile {
public:
    virtual ~IProfileFile() = default;
    // The value of [section] key in the file at path; empty when missing.
    // Section and key names compare without regard to case.
    virtual std::string Read(const std::string& path, const std::string& section,
                             const std::string& key) = 0;
    // Where the program's config.ini is: beside the executable in
    // `moduleDirectory` when there, else where the system keeps it.
    virtual std::string Locate(const std::string& moduleDirectory) = 0;
};
