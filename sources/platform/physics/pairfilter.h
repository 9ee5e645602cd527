#pragma once
// Which shapes may touch: actor and shape flags, actor-pair and shape-pair ignore flags, the
// 32x32 collision-group table and the groups-mask filter
// ((mask0 op0 constant0) op2 (mask1 op1 constant1)) != 0 must equal the filter boolean.
#include <unordered_map>
#include "platform/physics/nxtypes.h"

class NxActor;
class NxShape;

class TPairFilter
{
public:
    TPairFilter();

    void setGroupCollision(NxCollisionGroup a, NxCollisionGroup b, bool enable);
    bool groupCollision(NxCollisionGroup a, NxCollisionGroup b) const
    {
        return (groupTable_[a & 31] >> (b & 31) & 1) != 0;
    }
    void setOps(NxFilterOp op0, NxFilterOp op1, NxFilterOp op2) { op0_ = op0; op1_ = op1; op2_ = op2; }
    void setBool(bool value) { bool_ = value; }
    void setConstant0(const NxGroupsMask& mask) { constant0_ = mask; }
    void setConstant1(const NxGroupsMask& mask) { constant1_ = mask; }
    bool masksPass(const NxGroupsMask& a, const NxGroupsMask& b) const;

    void setActorPairFlags(const NxActor& a, const NxActor& b, NxU32 flags) { set(actorPairs_, &a, &b, flags); }
    NxU32 actorPairFlags(const NxActor& a, const NxActor& b) const { return get(actorPairs_, &a, &b); }
    void setShapePairFlags(const NxShape& a, const NxShape& b, NxU32 flags) { set(shapePairs_, &a, &b, flags); }
    NxU32 shapePairFlags(const NxShape& a, const NxShape& b) const { return get(shapePairs_, &a, &b); }
    void setActorGroupPairFlags(NxActorGroup a, NxActorGroup b, NxU32 flags);
    NxU32 actorGroupPairFlags(NxActorGroup a, NxActorGroup b) const;
    bool anyGroupPairFlags() const { return !groupPairs_.empty(); }
    void forget(const void* object); // an actor or shape released

    // Actor-level test: both collide at all, not both static, not ignored as a pair.
    bool actorsMayCollide(const NxActor& a, const NxActor& b) const;
    // Shape-level test: flags, groups, masks and the shape pair.
    bool shapesCollide(const NxShape& a, const NxShape& b) const;
    // The contact-report flags that a pair of actors asks for.
    NxU32 reportFlags(const NxActor& a, const NxActor& b) const;

private:
    using TPairMap = std::unordered_map<unsigned long long, NxU32>;
    static unsigned long long key(const void* a, const void* b);
    static void set(TPairMap& map, const void* a, const void* b, NxU32 flags);
    static NxU32 get(const TPairMap& map, const void* a, const void* b);

    NxU32 groupTable_[32];
    NxFilterOp op0_ = NX_FILTEROP_OR, op1_ = NX_FILTEROP_OR, op2_ = NX_FILTEROP_AND;
    bool bool_ = true;
    // With all-one constants every pair passes until the engine sets its own filter.
    NxGroupsMask constant0_{~0u, ~0u, ~0u, ~0u}, constant1_{~0u, ~0u, ~0u, ~0u};
    TPairMap actorPairs_, shapePairs_;
    std::unordered_map<NxU32, NxU32> groupPairs_;
};
