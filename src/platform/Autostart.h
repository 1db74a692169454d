#pragma once
// The desktop's per-user entry that starts the program when the user logs
// on. UI thread.
#include <string>

class IAutostart {
public:
    virtual ~IAutostart() = default;
    // The command the entry starts; empty when there is no entry or it cannot
    // be read. Any non-empty command counts as an entry, whatever it names.
    virtual std::string ReadRunEntry() = 0;
    // Creates or replaces the entry so that it starts the executable at
    // `path` with no arguments; false when it could not be stored.
    virtual bool WriteRunEntry(const std::string& path) = 0;
    // Removes the entry; true also when there was none.
    virtual bool DeleteRunEntry() = 0;
};
