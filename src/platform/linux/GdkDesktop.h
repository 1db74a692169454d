#pragma once
// The desktop port: the work area of the primary monitor (or the first one
// when none is marked primary), panels and docks excluded.
#include "platform/System.h"

class GdkDesktop : public IDesktop {
public:
    Rect WorkArea() override;
};
