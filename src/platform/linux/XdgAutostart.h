#pragma once
// Start with the desktop through the XDG autostart folder: the entry is the
// file murmel-alarm.desktop in $XDG_CONFIG_HOME/autostart.
#include <string>

#include "platform/Autostart.h"

class XdgAutostart : public IAutostart {
public:
    // The entry in the user's autostart folder.
    XdgAutostart();
    // The entry at `entryPath` (tests).
    explicit XdgAutostart(std::string entryPath) : m_path(std::move(entryPath)) {}

    std::string ReadRunEntry() override;
    bool WriteRunEntry(const std::string& path) override;
    bool DeleteRunEntry() override;

    const std::string& EntryPath() const { return m_path; }

private:
    std::string m_path;
};

// The executable's path as one argument of an Exec line: quoted and escaped
// when it holds a reserved character, with % doubled.
std::string QuoteExecArgument(const std::string& path);
