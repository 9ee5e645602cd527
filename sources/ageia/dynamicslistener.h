#pragma once
// TDynamicsListener: what a body's pMethods object and each global dynamics listener hear of:
// contacts, triggers, joint breaks, wake and sleep. The bodies' own listeners are called first,
// then the manager's global ones.
#include "core/system/types.h"

class TDynamicsBody;
class TDynamicsJoint;
class TNodeObject;
struct NxContactPair;

class TDynamicsListener
{
public:
    virtual ~TDynamicsListener() = default;
    // normal and friction: the pair's summed forces (three floats each).
    virtual void OnContact(TDynamicsBody* body, void* other, const f32* normal, const f32* friction, u32 events,
                           NxContactPair& pair)
    {
    }
    // Not raised by the physics reports.
    virtual void OnUnused() {}
    // status: 1 enter, 2 leave, 4 stay.
    virtual void OnTrigger(TNodeObject* trigger, TNodeObject* other, u32 status) {}
    // 1 lets the joint break, 0 keeps it.
    virtual u32 OnJointBreak(TDynamicsJoint* joint, f32 impulse) { return 1; }
    virtual void OnWake(TDynamicsBody* body) {}
    virtual void OnSleep(TDynamicsBody* body) {}
};
