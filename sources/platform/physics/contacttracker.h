#pragma once
// Turns the back end's contact manifolds after each sub-step into the SDK's events: contact
// start, touch and end per actor pair with summed forces, trigger enter, stay and leave per
// shape pair, and wake and sleep per actor.
#include <unordered_map>
#include <vector>
#include "platform/physics/nxtypes.h"

class NxScene;
class NxActor;
class NxShape;

class TContactTracker
{
public:
    explicit TContactTracker(NxScene& scene) : scene_(scene) {}

    void afterSubStep(NxReal dt);
    // Pairs of a released actor or shape end without a report.
    void forget(const void* actorOrShape);

private:
    struct TActorPair
    {
        NxActor* actors[2];
        NxU32 stamp;
    };
    struct TTriggerPair
    {
        NxShape* trigger;
        NxShape* other;
        NxU32 stamp;
    };
    void collectContacts(NxReal dt);
    void reportTrigger(NxShape& trigger, NxShape& other, NxU32 status) const;
    void reportSleepAndWake();

    NxScene& scene_;
    NxU32 stamp_ = 0;
    std::unordered_map<unsigned long long, TActorPair> contacts_;
    std::unordered_map<unsigned long long, TTriggerPair> triggers_;
    std::vector<NxActor*> woken_, slept_;
};
