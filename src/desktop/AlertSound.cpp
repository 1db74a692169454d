#include "desktop/AlertSound.h"

std::string AlertSoundFile(int number) {
    return "sound/sound" + std::to_string(number) + ".wav";
}

void PlayAlertSound(ISound& sound, IModulePath& module, int number) {
    const std::string file = AlertSoundFile(number);
    if (sound.PlayFile(module.WorkingDirectory() + file)) return;
    const std::string executable = module.ExecutablePath();
    const std::size_t slash = executable.rfind('/');
    if (slash != std::string::npos && sound.PlayFile(executable.substr(0, slash + 1) + file))
        return;
    sound.PlayThemeSound("message-new-instant");
}
