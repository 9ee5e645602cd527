#pragma once
// TProp (stored type 32, 108 bytes): a light scene object standing for one repeated thing. Its
// full form (a TPropData: node tree, meshes, scripts) is borrowed from its type's pool only
// while it ranks among the best; otherwise its imposter stands in. Flags 2 and 0x400 and the
// pool lists change only under the props lock (PropLockEnter/PropLockLeave).
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/system/nodeobject.h"
#include <cstring>

class TImposter;
class TPropData;
struct TPropDataPool;
class TPropMethods;
class TPropProxy;

// Flags.
constexpr u32 PROP_NOTIFY = 0x1;            // tell the listeners on (de)activation
constexpr u32 PROP_QUEUED = 0x2;            // on the pool's update list
constexpr u32 PROP_NO_IMPOSTER = 0x4;       // never shown as imposter
constexpr u32 PROP_PHYSICS = 0x8;           // placement from the proxy
constexpr u32 PROP_IMPOSTER_SWITCH = 0x10;  // takes part in imposter switching
constexpr u32 PROP_KEEP = 0x20;             // never loses its full form
constexpr u32 PROP_FORCED = 0x400;          // shown as imposter until a full form is acquired
constexpr u32 PROP_IN_FRUSTUM = 0x1000;
constexpr u32 PROP_UPDATE_REQUEST = 0x100000;
constexpr u32 PROP_UPDATE_REQUEST2 = 0x200000;

constexpr f32 PROP_CLASS_PRIORITY = 5000.0f;
constexpr f32 PROP_OUTSIDE_PRIORITY = 100000.0f;
constexpr i32 PROP_POOL_CAPACITY = 1024;

// The one lock of every prop list, free stack and of flags 2 and 0x400 (re-entrant).
void PropLockEnter();
void PropLockLeave();
// Holds the props lock for a scope.
struct TPropLock
{
    TPropLock() { PropLockEnter(); }
    ~TPropLock() { PropLockLeave(); }
    TPropLock(const TPropLock&) = delete;
    TPropLock& operator=(const TPropLock&) = delete;
};
// Re-sorts the pool's two lists after a ranking.
void SortPropPool(TPropDataPool* pool);

class TProp : public TNodeObject
{
public:
    TProp()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTProp.GetId();
    }

    void OnEnable(u32 enabled) override;
    // Gives the full form back (force: and shows the imposter until a full form is acquired).
    void SetActive(u32 force);
    // Game code's step: 0 nothing to do, 1 queued or full form, 2 imposter shown.
    i32 Update(u32 mode);
    // Takes a full form from the pool, or the worst holder's when it ranks behind; 0 when none.
    u32 Activate();
    void Deactivate();
    // Sets the imposter's and the full form's fades from the distance; 1 when the imposter shows.
    u32 UseImposter(u32 apply);
    void QueueUpdate();
    void RemoveFromUpdate();
    // Steps 1 to 5 of the ranking: distance, frustum, priority.
    void Rank(const TVector* cameraPosition, const TMatrix* viewProjection);

    u32 m_nFlags;
    i32 m_nPriorityClass;
    TPropData* pPropData;
    TPropDataPool* pPropDataPool;
    u32 m_aReserved28[6];
    TImposter* pImposter;
    TPropMethods* pMethods;
    TPropProxy* pProxy;
    TProp* pNext;
    TProp* pPrev;
    f32 m_fPriority;
    TProp* pNext2;
    TProp* pPrev2;
    f32 m_fDistance;
    u8 m_aReserved88[20];
};

static_assert(sizeof(TProp) == 108);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TProp, m_nFlags) == 12);
static_assert(offsetof(TProp, m_nPriorityClass) == 16);
static_assert(offsetof(TProp, pPropData) == 20);
static_assert(offsetof(TProp, pPropDataPool) == 24);
static_assert(offsetof(TProp, m_aReserved28) == 28);
static_assert(offsetof(TProp, pImposter) == 52);
static_assert(offsetof(TProp, pMethods) == 56);
static_assert(offsetof(TProp, pProxy) == 60);
static_assert(offsetof(TProp, pNext) == 64);
static_assert(offsetof(TProp, pPrev) == 68);
static_assert(offsetof(TProp, m_fPriority) == 72);
static_assert(offsetof(TProp, pNext2) == 76);
static_assert(offsetof(TProp, pPrev2) == 80);
static_assert(offsetof(TProp, m_fDistance) == 84);
#pragma GCC diagnostic pop
