#pragma once
// TSoundDataLibrary (stored type 70, 68 bytes): a resource naming a library of sound data; it
// has no fields of its own, and the XAudio2 manager keeps no list of them.
#include "engine/system/resource.h"

class TSoundDataLibrary : public TResource
{
};

static_assert(sizeof(TSoundDataLibrary) == 68);
