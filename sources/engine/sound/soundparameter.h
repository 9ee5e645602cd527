#pragma once
// TSoundParameter (stored type 72, 8 bytes): a named parameter of a sound; stored, but no
// sound reads one in this system (TSound::FindParameter is not supported).
#include "core/system/name.h"

class TSoundParameter
{
public:
    virtual const TName* GetName() = 0;
    // Slots kept for the interface's order; no effect in this system.
    virtual f32 _Reserved0() = 0;
    virtual void _Reserved1(f32 value) = 0;
    virtual void _Reserved2() = 0;

    TName m_Name;
};

static_assert(sizeof(TSoundParameter) == 8);
