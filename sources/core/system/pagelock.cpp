#include "core/system/pagelock.h"

#include <sys/mman.h>

bool PageLock(const void* address, u32 size)
{
    return size == 0 || mlock(address, size) == 0;
}

bool PageUnlock(const void* address, u32 size)
{
    return size == 0 || munlock(address, size) == 0;
}
