#pragma once
// TTriggerGeometry (stored type 66, 92 bytes): a trigger volume, a sphere or a box placed by its
// node. Each bit of the inside mask says that the actor of that index is inside. Moving the
// volume's node tests every actor again; derived volumes may react to OnEnter and OnExit.
#include "core/math/boundbox.h"
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"

#include <cstring>

class TScript;
class TTriggerActor;

// Shapes.
constexpr u32 TRIGGER_SPHERE = 0;
constexpr u32 TRIGGER_BOX = 1;

// Results of the swept test.
constexpr u32 TRIGGER_OUTSIDE = 0;
constexpr u32 TRIGGER_ENTERED = 1;
constexpr u32 TRIGGER_LEFT = 2;
constexpr u32 TRIGGER_PASSED = 3;
constexpr u32 TRIGGER_INSIDE = 4;

class TTriggerGeometry : public TNodeObject
{
public:
    TTriggerGeometry()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTTriggerGeometry.GetId();
    }

    void OnNodeUpdate(const TName* cause) override;
    virtual void OnEnter(TTriggerActor* actor) {}
    virtual void OnExit(TTriggerActor* actor) {}

    // Whether the world point lies in the volume (ends included); never for other shapes.
    bool Contains(const TVector& point);
    // The segment from to against the volume: one of the TRIGGER_ results.
    u32 SweptTest(const TVector& from, const TVector& to);

    u32 m_nShape;
    u32 m_nInsideMask;
    // In the node's frame: the sphere's radius is half the diagonal, the box its corners.
    TBoundBox m_Bounds;
    TScript* pScriptOnEnter;
    TScript* pScriptOnExit;

private:
    // The point in the node's frame: its offsets along the node's world axes.
    TVector ToLocal(const TVector& point);
    bool InsideBox(const TVector& local) const;
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
