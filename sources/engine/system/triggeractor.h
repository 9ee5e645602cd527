#pragma once
// TTriggerActor (stored type 68, 40 bytes): a point that moves with its node through trigger
// volumes. Its index is its bit in every volume's inside mask; only indices 0 to 31 take part.
#include "core/math/matrix.h"
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/storedefault.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TScript;

class TTriggerActor : public TNodeObject
{
public:
    TTriggerActor()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTTriggerActor.GetId();
        StoreDefault<i32>(this, 28, -1);
    }

    // Tests the move from the last tested position to the node's new one.
    void OnNodeUpdate(const TName* cause) override;
    // The bit of the inside masks; 0 for an index outside 0 to 31, which takes no part.
    u32 GetBit() const { return m_nIndex >= 0 && m_nIndex < 32 ? 1u << m_nIndex : 0u; }

    // The world position at the last test.
    TVector m_Position;
    i32 m_nIndex;
    TScript* pScriptOnEnter;
    TScript* pScriptOnExit;
};

static_assert(sizeof(TTriggerActor) == 40);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTriggerActor, m_Position) == 12);
static_assert(offsetof(TTriggerActor, m_nIndex) == 28);
static_assert(offsetof(TTriggerActor, pScriptOnEnter) == 32);
static_assert(offsetof(TTriggerActor, pScriptOnExit) == 36);
#pragma GCC diagnostic pop
