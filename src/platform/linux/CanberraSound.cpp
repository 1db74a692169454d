#include "platform/linux/CanberraSound.h"

#include <cstdlib>

#include "platform/linux/RecordingSound.h"

namespace {
// One id for every sound, so that a new sound replaces the playing one.
constexpr uint32_t kSoundId = 1;
}  // namespace

CanberraSound::~CanberraSound() {
    if (m_context) ca_context_destroy(m_context);
}

ca_context* CanberraSound::Context() {
    if (!m_context) {
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            return nullptr;
        }
        ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Murmel Alarm",
                                CA_PROP_APPLICATION_ID, "murmel-alarm", nullptr);
    }
    return m_context;
}

bool CanberraSound::PlayFile(const std::string& path) {
    if (!SoundFileExists(path)) return false;
    ca_context* context = Context();
    if (!context) return false;
    ca_context_cancel(context, kSoundId);
    return ca_context_play(context, kSoundId, CA_PROP_MEDIA_FILENAME, path.c_str(), nullptr) ==
           CA_SUCCESS;
}

bool CanberraSound::PlayThemeSound(const std::string& name) {
    ca_context* context = Context();
    if (!context) return false;
    ca_context_cancel(context, kSoundId);
    return ca_context_play(context, kSoundId, CA_PROP_EVENT_ID, name.c_str(), nullptr) ==
           CA_SUCCESS;
}

std::unique_ptr<ISound> MakeSound() {
    const char* log = std::getenv("MURMEL_SOUND_LOG");
    if (log && *log) return std::make_unique<RecordingSound>(log);
    return std::make_unique<CanberraSound>();
}
