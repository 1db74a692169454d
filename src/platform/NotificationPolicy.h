#pragma once
// What the desktop says about showing notifications right now.
#include "platform/Types.h"

class INotificationPolicy {
public:
    virtual ~INotificationPolicy() = default;
    // True while the user has asked the desktop for do-not-disturb.
    virtual bool DoNotDisturb() = 0;
    // True when the active window is fullscreen on the monitor that holds
    // the area's bottom-right corner.
    virtual bool FullscreenOver(const Rect& area) = 0;
};
