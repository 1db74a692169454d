#pragma once
// The five alert sounds: files sound/sound1.wav to sound/sound5.wav.
#include <string>

#include "platform/System.h"

// The file of alert sound `number` (1 for the first), relative to a folder
// that holds the sounds: "sound/sound3.wav" for 3.
std::string AlertSoundFile(int number);

// Plays alert sound `number` asynchronously: the file under the working
// directory, else the one beside the executable, else the desktop theme's
// new-message sound.
void PlayAlertSound(ISound& sound, IModulePath& module, int number);
