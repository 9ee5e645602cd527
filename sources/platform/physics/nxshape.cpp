#include "platform/physics/nxshape.h"
#include <btBulletCollisionCommon.h>
#include "platform/physics/bulletconvert.h"
#include "platform/physics/bulletworld.h"
#include "platform/physics/nxscene.h"

NxShape::NxShape(NxActor& actor, const NxShapeDesc& desc, btCollisionShape* collisionShape)
    : collisionShape_(collisionShape), actor_(actor), type_(desc.type), localPose_(desc.localPose),
      flags_(desc.shapeFlags), group_(desc.group), material_(desc.materialIndex), groupsMask_(desc.groupsMask),
      density_(desc.density), mass_(desc.mass), skinWidth_(desc.skinWidth), name_(desc.name)
{
    userData = desc.userData;
    if (collisionShape_)
        collisionShape_->setUserPointer(this);
}

NxShape::~NxShape()
{
    delete collisionShape_;
}

void NxShape::collisionShapeChanged()
{
    if (collisionShape_)
        collisionShape_->setUserPointer(this);
    actor_.rebuildCollisionShape();
}

void NxShape::setLocalPose(const NxMat34& pose)
{
    localPose_ = pose;
    actor_.rebuildCollisionShape();
}

void NxShape::setGlobalPose(const NxMat34& pose)
{
    setLocalPose(actor_.getGlobalPose().inverseRT() * pose);
}

NxMat34 NxShape::getGlobalPose() const
{
    return actor_.getGlobalPose() * localPose_;
}

void NxShape::setGlobalPosition(const NxVec3& position)
{
    NxMat34 pose = getGlobalPose();
    pose.t = position;
    setGlobalPose(pose);
}

void NxShape::setGroup(NxCollisionGroup group)
{
    group_ = group;
    actor_.refilter();
}

void NxShape::setGroupsMask(const NxGroupsMask& mask)
{
    groupsMask_ = mask;
    actor_.refilter();
}

void NxShape::setFlag(NxShapeFlag flag, bool value)
{
    const NxU32 before = flags_;
    flags_ = value ? (flags_ | flag) : (flags_ & ~NxU32(flag));
    if (((before & NX_TRIGGER_ENABLE) != 0) != isTrigger())
        actor_.rebuildCollisionShape();
    if ((before ^ flags_) & NX_SF_DISABLE_COLLISION)
        actor_.refilter();
}

NxBounds3 NxShape::boundsAt(const NxMat34& pose) const
{
    NxVec3 min, max;
    localBounds(min, max);
    const NxVec3 centre = pose * ((min + max) * 0.5f);
    const NxVec3 half = (max - min) * 0.5f;
    NxVec3 extent;
    for (int r = 0; r < 3; ++r)
        extent[r] = std::fabs(pose.M.m[r][0]) * half.x + std::fabs(pose.M.m[r][1]) * half.y +
                    std::fabs(pose.M.m[r][2]) * half.z;
    return {centre - extent, centre + extent};
}

void NxShape::localBounds(NxVec3& min, NxVec3& max) const
{
    btVector3 a, b;
    collisionShape_->getAabb(toBt(collisionOffset()), a, b);
    min = toNx(a);
    max = toNx(b);
}
