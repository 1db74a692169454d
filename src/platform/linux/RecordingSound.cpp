#include "platform/linux/RecordingSound.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

bool SoundFileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), R_OK) == 0;
}

bool RecordingSound::PlayFile(const std::string& path) {
    return SoundFileExists(path) && Record(path);
}

bool RecordingSound::PlayThemeSound(const std::string& name) {
    return Record(name);
}

bool RecordingSound::Record(const std::string& line) {
    std::ofstream log(m_logPath, std::ios::app);
    log << line << '\n';
    return static_cast<bool>(log.flush());
}
