#pragma once
// TDynamicsStateSave: the snapshot a physics-driven prop keeps of up to 16 bodies and 16 joints
// of its node tree: their nodes as byte distances from the prop's root node in the node array,
// their matrices, enable and rest state. Stored raw inside TDynamicsPropProxy records.
#include "core/math/matrix.h"
#include "core/system/types.h"

class TNode;

constexpr i32 STATE_SAVE_BODY_CAPACITY = 16;
constexpr i32 STATE_SAVE_JOINT_CAPACITY = 16;
constexpr i32 STATE_SAVE_ENTRY_CAPACITY = 32;

// Flags.
constexpr u32 STATE_SAVE_APPLIED = 0x1;
constexpr u32 STATE_SAVE_CAPTURED = 0x8;
constexpr u32 STATE_SAVE_KEEP_BROKEN_JOINTS = 0x10;
constexpr u32 STATE_SAVE_REST_BODIES = 0x20;
constexpr u32 STATE_SAVE_ONLY_ENABLED = 0x40;
constexpr u32 STATE_SAVE_REST_ALL = 0x80;
constexpr u32 STATE_SAVE_WORLD_MATRICES = 0x100;
constexpr u32 STATE_SAVE_DEFAULT_FLAGS = 240;

struct TDynamicsStateSave
{
    u32 nFlags;
    i32 nCount;
    u32 nBodyMask;
    u32 nEnabledMask;
    u32 nRestMask;
    u32 anNodeOffset[STATE_SAVE_ENTRY_CAPACITY];
    TMatrix aMatrix[STATE_SAVE_ENTRY_CAPACITY];

    // Collects the bodies, then the joints, below the root (depth first).
    static void Initialize(TNode* root, TDynamicsStateSave* record);
    // The live state into the record: matrices, enabled and rest masks; awake bodies stopped.
    static void Capture(TNode* root, TDynamicsStateSave* record);
    // A captured record back onto the nodes, the bodies brought to rest. A record whose entries
    // do not all name nodes of the root's node array is refused with an error line: 0 applied,
    // 1 refused.
    static i32 Apply(TNode* root, TDynamicsStateSave* record);
    // The world matrix of entry 0's node, or the identity.
    static TNode* GetPosition(TNode* root, const TDynamicsStateSave* record, TMatrix& matrix);
};

static_assert(sizeof(TDynamicsStateSave) == 2196);
static_assert(offsetof(TDynamicsStateSave, anNodeOffset) == 20);
static_assert(offsetof(TDynamicsStateSave, aMatrix) == 148);
