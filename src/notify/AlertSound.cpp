#include "notify/AlertSound.h"

#include <cmath>
#include <cstdlib>

std::string AlertSoundFile(const std::string& soundIndex) {
    int n = 1;
    if (!soundIndex.empty()) {
        const double value = std::strtod(soundIndex.c_str(), nullptr) + 1.0;
        // An index far outside the range names no file; keep the number
        // representable.
        if (std::isfinite(value) && std::fabs(value) < 1e6) n = static_cast<int>(value);
    }
    return "sound/sound" + std::to_string(n) + ".wav";
}

void PlayAlertSound(ISound& sound, IModulePath& module, const std::string& soundIndex,
                    const std::string& dataDirectory) {
    const std::string file = AlertSoundFile(soundIndex);
    if (sound.PlayFile(module.WorkingDirectory() + file)) return;
    if (!dataDirectory.empty()) {
        std::string dir = dataDirectory;
        if (dir.back() != '/') dir += '/';
        if (sound.PlayFile(dir + file)) return;
    }
    sound.PlayThemeSound(kFallbackThemeSound);
}

std::string InstalledDataDirectory() {
    return MURMEL_DATA_DIR;
}
