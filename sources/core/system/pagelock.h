#pragma once
// Keeping pages of memory (a mapped file's view) resident while they are copied: the
// VirtualLock and VirtualUnlock of the engine. Failures are harmless and only reported.
#include "core/system/types.h"

bool PageLock(const void* address, u32 size);
bool PageUnlock(const void* address, u32 size);
