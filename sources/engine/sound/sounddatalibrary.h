#pragma once
// TSoundDataLibrary (stored type 70, 68 bytes, kind 16): a resource naming a library of sound
// data; it has no fields of its own.
#include "engine/system/resource.h"

class TSoundDataLibrary : public TResource
{
};

static_assert(sizeof(TSoundDataLibrary) == 68);
