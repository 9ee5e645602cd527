#pragma once
// TTriggerGeometryLink: the stored layout of its records (type 67, 4 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

class TTriggerGeometry;

struct TTriggerGeometryLink
{
    TTriggerGeometry* pGeometry;
};

static_assert(sizeof(TTriggerGeometryLink) == 4);
static_assert(offsetof(TTriggerGeometryLink, pGeometry) == 0);
