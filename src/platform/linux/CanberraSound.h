#pragma once
// The sound port on libcanberra: files and sound-theme events, played
// asynchronously. A new sound cuts off the one still playing.
#include <canberra.h>

#include <memory>

#include "platform/System.h"

class CanberraSound : public ISound {
public:
    CanberraSound() = default;
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    bool PlayFile(const std::string& path) override;
    bool PlayThemeSound(const std::string& name) override;

private:
    ca_context* Context();

    ca_context* m_context = nullptr;
};

// The sound adapter the program uses: a RecordingSound when MURMEL_SOUND_LOG
// names a file (tests and headless runs), otherwise CanberraSound.
std::unique_ptr<ISound> MakeSound();
