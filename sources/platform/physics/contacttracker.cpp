#include "platform/physics/contacttracker.h"
#include <cstdint>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/bulletworld.h"
#include "platform/physics/nxscene.h"

namespace {
// Contacts closer than this count as touching; the back end keeps points a little further out.
constexpr btScalar kTouchDistance = 0.01f;

unsigned long long pairKey(const void* a, const void* b)
{
    return static_cast<unsigned long long>(std::uintptr_t(a)) << 32 | std::uintptr_t(b);
}

// The layer's shape on one side of a contact point.
NxShape* shapeOnSide(const btCollisionObject* object, int childIndex)
{
    if (NxShape* trigger = TBulletWorld::triggerShapeOf(object))
        return trigger;
    NxActor* actor = TBulletWorld::actorOf(object);
    if (!actor)
        return nullptr;
    if (NxShape* single = actor->singleChild())
        return single;
    return actor->shapeOfChild(childIndex);
}
} // namespace

void TContactTracker::afterSubStep(NxReal dt)
{
    ++stamp_;
    collectContacts(dt);
    reportSleepAndWake();
}

void TContactTracker::collectContacts(NxReal dt)
{
    NxUserContactReport* contactReport = scene_.getUserContactReport();
    NxUserTriggerReport* triggerReport = scene_.getUserTriggerReport();
    if (!contactReport && !triggerReport)
        return;
    const TPairFilter& filter = scene_.filter();
    btCollisionDispatcher& dispatcher = scene_.world().dispatcher();
    std::vector<std::pair<NxContactPair, NxU32>> contactEvents;
    const int manifolds = dispatcher.getNumManifolds();
    for (int m = 0; m < manifolds; ++m) {
        const btPersistentManifold* manifold = dispatcher.getManifoldByIndexInternal(m);
        const btCollisionObject* object0 = manifold->getBody0();
        const btCollisionObject* object1 = manifold->getBody1();
        const bool trigger0 = object0->getUserIndex() == kTriggerObject;
        const bool trigger1 = object1->getUserIndex() == kTriggerObject;
        if (trigger0 || trigger1) {
            if (!triggerReport)
                continue;
            for (int p = 0; p < manifold->getNumContacts(); ++p) {
                const btManifoldPoint& point = manifold->getContactPoint(p);
                if (point.getDistance() > 0)
                    continue;
                NxShape* shape0 = shapeOnSide(object0, point.m_index0);
                NxShape* shape1 = shapeOnSide(object1, point.m_index1);
                if (!shape0 || !shape1)
                    continue;
                NxShape* trigger = trigger0 ? shape0 : shape1;
                NxShape* other = trigger0 ? shape1 : shape0;
                auto [entry, inserted] = triggers_.try_emplace(pairKey(trigger, other), TTriggerPair{trigger, other, stamp_});
                if (inserted)
                    reportTrigger(*trigger, *other, NX_TRIGGER_ENTER);
                else if (entry->second.stamp != stamp_)
                    reportTrigger(*trigger, *other, NX_TRIGGER_STAY);
                entry->second.stamp = stamp_;
            }
            continue;
        }
        if (!contactReport)
            continue;
        NxActor* actor0 = TBulletWorld::actorOf(object0);
        NxActor* actor1 = TBulletWorld::actorOf(object1);
        if (!actor0 || !actor1)
            continue;
        const NxU32 wanted = filter.reportFlags(*actor0, *actor1);
        if (!(wanted & NX_NOTIFY_ALL))
            continue;
        btVector3 normal(0, 0, 0), friction(0, 0, 0);
        bool touching = false;
        for (int p = 0; p < manifold->getNumContacts(); ++p) {
            const btManifoldPoint& point = manifold->getContactPoint(p);
            if (point.getDistance() > kTouchDistance)
                continue;
            touching = true;
            normal += point.m_normalWorldOnB * point.m_appliedImpulse;
            friction += point.m_lateralFrictionDir1 * point.m_appliedImpulseLateral1 +
                        point.m_lateralFrictionDir2 * point.m_appliedImpulseLateral2;
        }
        if (!touching)
            continue;
        // One entry per actor pair, whichever way round the back end holds it; forces act on actors[0].
        const bool swapped = std::uintptr_t(actor0) > std::uintptr_t(actor1);
        NxActor* first = swapped ? actor1 : actor0;
        NxActor* second = swapped ? actor0 : actor1;
        const btScalar sign = (swapped ? -1.0f : 1.0f) / dt;
        auto [entry, inserted] = contacts_.try_emplace(pairKey(first, second), TActorPair{{first, second}, stamp_});
        const bool merged = !inserted && entry->second.stamp == stamp_;
        NxU32 events = NX_NOTIFY_ON_TOUCH;
        if (inserted)
            events |= NX_NOTIFY_ON_START_TOUCH;
        entry->second.stamp = stamp_;
        if (merged) { // a second manifold of the same pair (compound children) adds its forces
            for (auto& event : contactEvents)
                if (event.first.actors[0] == first && event.first.actors[1] == second) {
                    event.first.sumNormalForce += toNx(normal * sign);
                    event.first.sumFrictionForce += toNx(friction * sign);
                }
            continue;
        }
        NxContactPair pair;
        pair.actors[0] = first;
        pair.actors[1] = second;
        pair.sumNormalForce = toNx(normal * sign);
        pair.sumFrictionForce = toNx(friction * sign);
        contactEvents.emplace_back(pair, events & wanted);
    }
    for (auto& [pair, events] : contactEvents)
        if (events)
            contactReport->onContactNotify(pair, events);
    for (auto it = contacts_.begin(); it != contacts_.end();) {
        if (it->second.stamp == stamp_) {
            ++it;
            continue;
        }
        NxContactPair pair;
        pair.actors[0] = it->second.actors[0];
        pair.actors[1] = it->second.actors[1];
        const NxU32 events = filter.reportFlags(*pair.actors[0], *pair.actors[1]) & NX_NOTIFY_ON_END_TOUCH;
        it = contacts_.erase(it);
        if (events && contactReport)
            contactReport->onContactNotify(pair, events);
    }
    for (auto it = triggers_.begin(); it != triggers_.end();) {
        if (it->second.stamp == stamp_) {
            ++it;
            continue;
        }
        NxShape* trigger = it->second.trigger;
        NxShape* other = it->second.other;
        it = triggers_.erase(it);
        reportTrigger(*trigger, *other, NX_TRIGGER_LEAVE);
    }
}

void TContactTracker::reportTrigger(NxShape& trigger, NxShape& other, NxU32 status) const
{
    NxUserTriggerReport* report = scene_.getUserTriggerReport();
    if (report && (trigger.getFlags() & status))
        report->onTrigger(trigger, other, NxTriggerFlag(status));
}

void TContactTracker::reportSleepAndWake()
{
    woken_.clear();
    slept_.clear();
    NxActor** actors = scene_.getActors();
    for (NxU32 i = 0, count = scene_.getNbActors(); i < count; ++i) {
        NxActor* actor = actors[i];
        if (!actor->isDynamic())
            continue;
        const bool sleeping = actor->isSleeping();
        if (sleeping != actor->wasSleeping()) {
            actor->setWasSleeping(sleeping);
            (sleeping ? slept_ : woken_).push_back(actor);
        }
    }
    NxUserNotify* notify = scene_.getUserNotify();
    if (!notify)
        return;
    if (!woken_.empty())
        notify->onWake(woken_.data(), NxU32(woken_.size()));
    if (!slept_.empty())
        notify->onSleep(slept_.data(), NxU32(slept_.size()));
}

void TContactTracker::forget(const void* actorOrShape)
{
    std::erase_if(contacts_, [actorOrShape](const auto& entry) {
        return entry.second.actors[0] == actorOrShape || entry.second.actors[1] == actorOrShape;
    });
    std::erase_if(triggers_, [actorOrShape](const auto& entry) {
        return entry.second.trigger == actorOrShape || entry.second.other == actorOrShape ||
               &entry.second.trigger->getActor() == actorOrShape || &entry.second.other->getActor() == actorOrShape;
    });
}
