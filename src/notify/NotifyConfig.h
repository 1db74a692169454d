#pragma once
// The settings and texts the notifications read, gathered so that the
// toasts and the incoming-message handling ask one place.
#include <string>

#include "config/AppSettings.h"
#include "config/LoadText.h"

inline std::string NotifyText(unsigned id) {
    return LoadText(id);
}
inline bool NotifyPreviewOn() {
    return AppSettings.messagePreview;
}
inline bool NotifyAlertSoundOn() {
    return AppSettings.alertSound;
}
inline std::string NotifySoundIndex() {
    return AppSettings.soundIndex;
}
