#pragma once
// The aerodrome's units: one service unit per service and gate, each a prop at its home whose
// pool (one per service) holds one full form per prop, so that every unit links; a form is the
// node tree the game looks pieces up in by its name ("%s_Veh" with the vehicle, "%s_Vdrive" 1.0
// below a point inside the chassis, "%s_OrbCam" with its orbit camera, "Decals" with one child
// per gate, and for cargo loaders "%s_Skeleton" with the lift, its "%s_CargoLifter" animation
// and "%s_Cargo"). Units wait hidden at home (their prop's node disabled) until a task sends
// them. The follow-me car waits at the tower, shown, its form kept.
#include "aerodromeplan.h"
#include "core/math/matrix.h"
#include "core/system/types.h"

#include <vector>

class TAerodromeBuilder;
class TAICommonUnit;
class TCurvePoolBuilder;
class TNode;
class TPropData;
class TPropDataPool;
struct TVehicleSpec;

// The gates' service units; the paths they drive are curves of the pool being built.
struct TServiceUnits
{
    TAICommonUnit* aUnit[PLAN_GATE_COUNT][SERVICE_COUNT];
};

// A unit with its prop at its home and its prop's one full form: a root node (disabled until
// the prop takes it) under which the form's pieces hang, the named ones listed in the form.
class TUnitForm
{
public:
    TUnitForm(TAerodromeBuilder& builder, TPropDataPool& pool, const char* name, const TMatrix& home, bool shown);

    const char* GetName() const { return m_aName; }
    TNode* GetRoot() const { return m_pRoot; }
    TAICommonUnit& GetUnit() const { return *m_pUnit; }
    TPropData& GetForm() const { return *m_pForm; }
    // A node of the form named after the pattern ("%s_Veh": the form's name in place of %s),
    // listed among its named nodes.
    TNode* AddNamed(const char* pattern, TNode* parent, const TMatrix& local);
    // An existing node listed among the form's named nodes (at most 16, kept in name order).
    void Name(TNode* node);
    // The unit's orbit camera on "%s_OrbCam" above the node, turning with it.
    void AddOrbitCamera(TNode* above, f32 height, f32 nearest);

private:
    TAerodromeBuilder& m_Builder;
    char m_aName[64];
    TNode* m_pRoot;
    TAICommonUnit* m_pUnit;
    TPropData* m_pForm;
};

// A pool for one kind of unit (its forms added by TUnitForm).
TPropDataPool& AddUnitPool(TAerodromeBuilder& builder, const TVector& half);

// The gates' service units with their paths added to the curves.
TServiceUnits AddServiceUnits(TAerodromeBuilder& builder, TCurvePoolBuilder& curves);
// The follow-me car ("FollowMe_plr_pData").
TAICommonUnit& AddFollowMeUnit(TAerodromeBuilder& builder);
