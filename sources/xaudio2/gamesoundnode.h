#pragma once
// TGameSoundNode (stored type 129, 20 bytes): a node object that plays a game sound at its node
// while the node is enabled: enabling it starts the game sound with the node as its start
// argument, disabling it stops the game sound and releases what has finished at once.
#include "engine/system/nodeobject.h"

#include <cstddef>

class TGameSound;

class TGameSoundNode : public TNodeObject
{
public:
    TGameSoundNode();
    // The node's enable state changed.
    void OnEnable(u32 active) override { SetActive(active); }
    void SetActive(u32 active);

    TGameSound* pGameSound;
    // 0: the node stays silent.
    u32 m_nEnabled;
};

static_assert(sizeof(TGameSoundNode) == 20);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TGameSoundNode, pGameSound) == 12);
static_assert(offsetof(TGameSoundNode, m_nEnabled) == 16);
#pragma GCC diagnostic pop
