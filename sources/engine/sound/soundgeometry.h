#pragma once
// TSoundGeometry (stored type 75, 16 bytes): a node object naming a geometry data resource
// (type 74, kind 14); it takes no part in the sound computations.
#include "engine/system/nodeobject.h"

#include <cstddef>

class TResource;

class TSoundGeometry : public TNodeObject
{
public:
    TResource* pGeometryData = nullptr;
};

static_assert(sizeof(TSoundGeometry) == 16);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSoundGeometry, pGeometryData) == 12);
#pragma GCC diagnostic pop
