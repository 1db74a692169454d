#pragma once
// The alert sound of a new message: one of five files, by the user's choice.
#include <string>
#include <vector>

#include "platform/System.h"

// The theme sound played when no sound file can be found.
inline constexpr const char* kFallbackThemeSound = "message-new-instant";

// "sound/soundN.wav": N is 1 for an empty index, otherwise the integer part
// of the index plus one ("0" gives 1, "4" gives 5).
std::string AlertSoundFile(const std::string& soundIndex);

// Plays that file from the working directory, else from the first data
// directory that has it, else the theme sound. Does not wait for the sound
// to end.
void PlayAlertSound(ISound& sound, IModulePath& module, const std::string& soundIndex,
                    const std::vector<std::string>& dataDirectories);

// Where the program's shared data, the sounds among them, is installed: the
// data directory at the place the build put it relative to the running
// executable (a tree installed under another prefix, or a package unpacked
// somewhere), then the directory the build was configured for.
std::vector<std::string> InstalledDataDirectories(IModulePath& module);
