#pragma once
// One shape of an actor. Each shape owns its own collision volume of the back end; the
// actor's compound holds them in descriptor order.
#include "platform/physics/nxcallbacks.h"
#include "platform/physics/nxgeometry.h"
#include "platform/physics/nxshapedesc.h"

class NxScene;
class btCollisionShape;
class btCollisionObject;

class NxShape
{
public:
    virtual ~NxShape();
    // The shape of a descriptor's kind; null for a kind that actors cannot carry.
    static NxShape* create(NxActor& actor, const NxShapeDesc& desc);

    NxShapeType getType() const { return type_; }
    NxActor& getActor() const { return actor_; }
    bool isTrigger() const { return (flags_ & NX_TRIGGER_ENABLE) != 0; }

    void setLocalPose(const NxMat34& pose);
    NxMat34 getLocalPose() const { return localPose_; }
    void setGlobalPose(const NxMat34& pose);
    NxMat34 getGlobalPose() const;
    void setGlobalPosition(const NxVec3& position);
    NxVec3 getGlobalPosition() const { return getGlobalPose().t; }

    void setGroup(NxCollisionGroup group);
    NxCollisionGroup getGroup() const { return group_; }
    void setGroupsMask(const NxGroupsMask& mask);
    NxGroupsMask getGroupsMask() const { return groupsMask_; }
    void setMaterial(NxMaterialIndex index) { material_ = index; }
    NxMaterialIndex getMaterial() const { return material_; }
    void setFlag(NxShapeFlag flag, bool value);
    bool getFlag(NxShapeFlag flag) const { return (flags_ & flag) != 0; }
    NxU32 getFlags() const { return flags_; }
    void setSkinWidth(NxReal width) { skinWidth_ = width; }
    NxReal getSkinWidth() const { return skinWidth_; }
    NxReal getMass() const { return mass_; }
    NxReal getDensity() const { return density_; }
    void setName(const char* name) { name_ = name; }
    const char* getName() const { return name_; }

    // The shape's world-space bounds; boundsAt: where its global pose is the given one.
    NxBounds3 getWorldBounds() const { return boundsAt(getGlobalPose()); }
    NxBounds3 boundsAt(const NxMat34& pose) const;

    void* userData = nullptr;

    // Layer side: the back end's volume (null for wheels), the trigger's own object, the
    // exact ray test in the shape's local frame, and the volume and local inertia at unit density.
    btCollisionShape* collisionShape() const { return collisionShape_; }
    btCollisionObject* triggerObject() const { return triggerObject_; }
    void setTriggerObject(btCollisionObject* object) { triggerObject_ = object; }
    virtual bool raycastLocal(const NxVec3& origin, const NxVec3& dir, NxReal maxDist, NxRaycastHit& hit) const = 0;
    virtual NxReal volume() const = 0;
    virtual NxVec3 unitInertia() const = 0; // diagonal inertia of the shape's volume at unit mass
    virtual void localBounds(NxVec3& min, NxVec3& max) const;
    // Where the back end's volume sits in the shape's frame (a height field's grid is centred).
    virtual NxMat34 collisionOffset() const { return NxMat34(); }
    NxMat34 collisionPose() const { return getGlobalPose() * collisionOffset(); }

protected:
    NxShape(NxActor& actor, const NxShapeDesc& desc, btCollisionShape* collisionShape);
    void collisionShapeChanged();
    btCollisionShape* collisionShape_;

private:
    NxActor& actor_;
    NxShapeType type_;
    NxMat34 localPose_;
    NxU32 flags_;
    NxCollisionGroup group_;
    NxMaterialIndex material_;
    NxGroupsMask groupsMask_;
    NxReal density_;
    NxReal mass_;
    NxReal skinWidth_;
    const char* name_;
    btCollisionObject* triggerObject_ = nullptr;
};
