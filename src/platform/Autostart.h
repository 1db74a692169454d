#pragma once
// The desktop's per-user entry that starts the program when the user logs
// on. UI thread.
#include <string>

class IAutostart {
public:
    virtual ~IAutostart() = default;
    // The command the entry starts; empty when there is no entry, it cannot
    // be read, or the user has switched it off in the desktop. Any non-empty
    // command counts as an entry, whatever it names.
    virtual std::string ReadRunEntry() = 0;
    // Creates or replaces the entry, switched on, so that it starts the
    // executable at `path` with no arguments; false when it could not be
    // stored or `path` names no program that could be started.
    virtual bool WriteRunEntry(const std::string& path) = 0;
    // Stops the desktop from starting the program: removes the entry, but
    // leaves one the user switched off as it is. True also when there was
    // none.
    virtual bool DeleteRunEntry() = 0;
};
