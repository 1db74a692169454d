#pragma once
// A sound adapter that plays nothing and appends one line per sound to a
// log file instead: the file's path as given, or the theme sound's name.
// A missing file is refused as the playing adapter refuses it.
#include "platform/System.h"

class RecordingSound : public ISound {
public:
    explicit RecordingSound(std::string logPath) : m_logPath(std::move(logPath)) {}

    bool PlayFile(const std::string& path) override;
    bool PlayThemeSound(const std::string& name) override;

private:
    bool Record(const std::string& line);

    std::string m_logPath;
};

// True when path names a regular file that can be read.
bool SoundFileExists(const std::string& path);
