#pragma once
// TTriggerGeometry: the stored layout of its records (type 66, 92 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/math/boundbox.h"
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TScript;

class TTriggerGeometry : public TNodeObject
{
public:
    TTriggerGeometry()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTTriggerGeometry.GetId();
    }

    u32 m_nShape;
    u32 m_nInsideMask;
    TBoundBox m_Bounds;
    TScript* pScriptOnEnter;
    TScript* pScriptOnExit;
};

static_assert(sizeof(TTriggerGeometry) == 92);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTriggerGeometry, m_nShape) == 12);
static_assert(offsetof(TTriggerGeometry, m_nInsideMask) == 16);
static_assert(offsetof(TTriggerGeometry, m_Bounds) == 20);
static_assert(offsetof(TTriggerGeometry, pScriptOnEnter) == 84);
static_assert(offsetof(TTriggerGeometry, pScriptOnExit) == 88);
#pragma GCC diagnostic pop
