#pragma once
// TTriggerActor: the stored layout of its records (type 68, 40 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
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
