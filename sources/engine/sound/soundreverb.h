#pragma once
// TSoundReverb (stored type 76, 28 bytes): a node object naming a reverb preset, with two
// distances; stored and kept, it drives nothing in this system.
#include "engine/system/nodeobject.h"

#include <cstddef>

class TSoundReverb : public TNodeObject
{
public:
    virtual const TName* GetPresetName() = 0;
    // Sets both distances.
    virtual void SetRadius(f32 radius) = 0;
    virtual void SetPresetIndex(i32 index) = 0;

    TName m_PresetName;
    i32 m_nPresetIndex = 0;
    f32 m_fInnerRadius = 0.0f;
    f32 m_fOuterRadius = 0.0f;
};

static_assert(sizeof(TSoundReverb) == 28);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSoundReverb, m_PresetName) == 12);
static_assert(offsetof(TSoundReverb, m_nPresetIndex) == 16);
static_assert(offsetof(TSoundReverb, m_fOuterRadius) == 24);
#pragma GCC diagnostic pop
