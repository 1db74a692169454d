#pragma once
// The clock port: the local wall-clock time of the user's time zone.
#include "platform/System.h"

class LocalClock : public IClock {
public:
    LocalTime Now() override;
};
