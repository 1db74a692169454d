#include "platform/linux/MallocTrim.h"

#include <malloc.h>

// Every arena, the worker threads' included; free pages inside the heap are
// released as well as its top.
void MallocTrim::ReleaseFreeMemory() {
    malloc_trim(0);
}
