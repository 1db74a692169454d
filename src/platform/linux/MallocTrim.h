#pragma once
// The memory port: the C library's allocator hands its free pages back.
#include "platform/System.h"

class MallocTrim : public IMemory {
public:
    void ReleaseFreeMemory() override;
};
