#pragma once
// The start-with-the-desktop entry, kept in memory.
#include <string>

#include "platform/Autostart.h"

class FakeAutostart : public IAutostart {
public:
    std::string ReadRunEntry() override { return entry; }
    bool WriteRunEntry(const std::string& path) override {
        ++writes;
        if (!succeed) return false;
        entry = path;
        return true;
    }
    bool DeleteRunEntry() override {
        ++deletes;
        if (!succeed) return false;
        entry.clear();
        return true;
    }
    std::string entry;  // the command of the entry; empty: none
    bool succeed = true;
    int writes = 0;
    int deletes = 0;
};
