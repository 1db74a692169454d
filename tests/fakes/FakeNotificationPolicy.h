#pragma once
// The desktop's notification wishes, as a test sets them.
#include <vector>

#include "platform/NotificationPolicy.h"

class FakeNotificationPolicy : public INotificationPolicy {
public:
    bool DoNotDisturb() override { return doNotDisturb; }
    bool FullscreenOver(const Rect& area) override {
        asked.push_back(area);
        return fullscreen;
    }
    bool doNotDisturb = false;
    bool fullscreen = false;
    std::vector<Rect> asked;
};
