#pragma once
// Small desktop services. UI thread unless a comment says otherwise.
#include <string>
#include <vector>

#include "platform/Types.h"

class IModulePath {
public:
    virtual ~IModulePath() = default;
    // Full path of the running executable: where it was started from, also
    // when the file there has since been removed or replaced.
    virtual std::string ExecutablePath() = 0;
    // The current working directory, with a trailing slash.
    virtual std::string WorkingDirectory() = 0;
};

class ISound {
public:
    virtual ~ISound() = default;
    // Plays a WAV file asynchronously; false when it cannot be played.
    virtual bool PlayFile(const std::string& path) = 0;
    // Plays a sound of the desktop's sound theme by name.
    virtual bool PlayThemeSound(const std::string& name) = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    // Opens an address in the user's default browser; false on failure.
    virtual bool OpenUrl(const std::string& url) = 0;
    // The default browser's command, empty when none is registered.
    virtual std::string DefaultBrowserCommand() = 0;
    // Starts that browser with the address as one argument.
    virtual bool LaunchBrowser(const std::string& command, const std::string& url) = 0;
};

// Any thread.
class INetworkStatus {
public:
    virtual ~INetworkStatus() = default;
    virtual bool IsOnline() = 0;
};

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual LocalTime Now() = 0;
};

class IDisplayLanguage {
public:
    virtual ~IDisplayLanguage() = default;
    // The platform language id of the user's display language (1033 en-US).
    virtual unsigned LanguageId() = 0;
    // The user's languages in order of preference, the display language
    // first; texts missing in one are looked for in the next.
    virtual std::vector<unsigned> LanguageIds() { return {LanguageId()}; }
};

class IMemory {
public:
    virtual ~IMemory() = default;
    // Hands memory the program has freed back to the system, so that a burst
    // of work does not leave the process larger once it is quiet again.
    virtual void ReleaseFreeMemory() = 0;
};

class IDesktop {
public:
    virtual ~IDesktop() = default;
    // The screen without panels and docks.
    virtual Rect WorkArea() = 0;
};
