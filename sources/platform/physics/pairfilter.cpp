#include "platform/physics/pairfilter.h"
#include <algorithm>
#include <cstdint>
#include "platform/physics/nxactor.h"

namespace {
NxU32 apply(NxFilterOp op, NxU32 a, NxU32 b)
{
    switch (op) {
    case NX_FILTEROP_AND: return a & b;
    case NX_FILTEROP_OR: return a | b;
    case NX_FILTEROP_XOR: return a ^ b;
    case NX_FILTEROP_NAND: return ~(a & b);
    case NX_FILTEROP_NOR: return ~(a | b);
    case NX_FILTEROP_NXOR: return ~(a ^ b);
    case NX_FILTEROP_SWAP_AND: return b & a;
    }
    return 0;
}

NxGroupsMask apply(NxFilterOp op, const NxGroupsMask& a, const NxGroupsMask& b)
{
    if (op == NX_FILTEROP_SWAP_AND) // each word of a with the word of b a quarter further round
        return {a.bits0 & b.bits1, a.bits1 & b.bits2, a.bits2 & b.bits3, a.bits3 & b.bits0};
    return {apply(op, a.bits0, b.bits0), apply(op, a.bits1, b.bits1), apply(op, a.bits2, b.bits2),
            apply(op, a.bits3, b.bits3)};
}
} // namespace

TPairFilter::TPairFilter()
{
    std::fill(std::begin(groupTable_), std::end(groupTable_), ~0u);
}

void TPairFilter::setGroupCollision(NxCollisionGroup a, NxCollisionGroup b, bool enable)
{
    a &= 31;
    b &= 31;
    if (enable) {
        groupTable_[a] |= 1u << b;
        groupTable_[b] |= 1u << a;
    } else {
        groupTable_[a] &= ~(1u << b);
        groupTable_[b] &= ~(1u << a);
    }
}

bool TPairFilter::masksPass(const NxGroupsMask& a, const NxGroupsMask& b) const
{
    const NxGroupsMask r = apply(op2_, apply(op0_, a, constant0_), apply(op1_, b, constant1_));
    const bool nonZero = (r.bits0 | r.bits1 | r.bits2 | r.bits3) != 0;
    return nonZero == bool_;
}

unsigned long long TPairFilter::key(const void* a, const void* b)
{
    const auto x = std::uintptr_t(a), y = std::uintptr_t(b);
    const auto lo = std::min(x, y), hi = std::max(x, y);
    return (static_cast<unsigned long long>(hi) << 32) | lo;
}

void TPairFilter::set(TPairMap& map, const void* a, const void* b, NxU32 flags)
{
    if (flags)
        map[key(a, b)] = flags;
    else
        map.erase(key(a, b));
}

NxU32 TPairFilter::get(const TPairMap& map, const void* a, const void* b)
{
    if (map.empty())
        return 0;
    const auto it = map.find(key(a, b));
    return it == map.end() ? 0 : it->second;
}

void TPairFilter::setActorGroupPairFlags(NxActorGroup a, NxActorGroup b, NxU32 flags)
{
    const NxU32 k = NxU32(std::min(a, b)) << 16 | std::max(a, b);
    if (flags)
        groupPairs_[k] = flags;
    else
        groupPairs_.erase(k);
}

NxU32 TPairFilter::actorGroupPairFlags(NxActorGroup a, NxActorGroup b) const
{
    if (groupPairs_.empty())
        return 0;
    const auto it = groupPairs_.find(NxU32(std::min(a, b)) << 16 | std::max(a, b));
    return it == groupPairs_.end() ? 0 : it->second;
}

void TPairFilter::forget(const void* object)
{
    const auto id = std::uintptr_t(object);
    for (TPairMap* map : {&actorPairs_, &shapePairs_})
        std::erase_if(*map, [id](const auto& entry) {
            return (entry.first & 0xffffffffu) == id || (entry.first >> 32) == id;
        });
}

bool TPairFilter::actorsMayCollide(const NxActor& a, const NxActor& b) const
{
    if (&a == &b || !a.collisionEnabled() || !b.collisionEnabled())
        return false;
    if (!a.isDynamic() && !b.isDynamic())
        return false;
    return (actorPairFlags(a, b) & NX_IGNORE_PAIR) == 0;
}

bool TPairFilter::shapesCollide(const NxShape& a, const NxShape& b) const
{
    if ((a.getFlags() | b.getFlags()) & NX_SF_DISABLE_COLLISION)
        return false;
    if (!groupCollision(a.getGroup(), b.getGroup()))
        return false;
    if (!masksPass(a.getGroupsMask(), b.getGroupsMask()))
        return false;
    return (shapePairFlags(a, b) & NX_IGNORE_PAIR) == 0;
}

NxU32 TPairFilter::reportFlags(const NxActor& a, const NxActor& b) const
{
    return a.getContactReportFlags() | b.getContactReportFlags() | actorGroupPairFlags(a.getGroup(), b.getGroup());
}
