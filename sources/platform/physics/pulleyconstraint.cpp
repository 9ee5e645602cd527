#include "platform/physics/pulleyconstraint.h"

TPulleyConstraint::TPulleyConstraint(btRigidBody& a, btRigidBody& b, const btVector3& anchorInA,
                                     const btVector3& anchorInB, const btVector3& pulleyA, const btVector3& pulleyB,
                                     btScalar distance, btScalar ratio, bool rigid)
    : btTypedConstraint(POINT2POINT_CONSTRAINT_TYPE, a, b), anchor_{anchorInA, anchorInB}, pulley_{pulleyA, pulleyB},
      distance_(distance), ratio_(ratio), rigid_(rigid)
{
}

btScalar TPulleyConstraint::measure(btVector3* direction, btVector3* arm) const
{
    const btRigidBody* bodies[2] = {&m_rbA, &m_rbB};
    btScalar length = 0;
    for (int side = 0; side < 2; ++side) {
        arm[side] = bodies[side]->getCenterOfMassTransform().getBasis() * anchor_[side];
        direction[side] = bodies[side]->getCenterOfMassPosition() + arm[side] - pulley_[side];
        const btScalar part = direction[side].length();
        direction[side] = part > SIMD_EPSILON ? direction[side] / part : btVector3(0, -1, 0);
        length += side == 0 ? part : ratio_ * part;
    }
    return length;
}

void TPulleyConstraint::getInfo1(btConstraintInfo1* info)
{
    btVector3 direction[2], arm[2];
    const btScalar length = measure(direction, arm);
    const bool active = length > distance_ || (rigid_ && length < distance_);
    info->m_numConstraintRows = active ? 1 : 0;
    info->nub = active ? 5 : 6;
}

void TPulleyConstraint::getInfo2(btConstraintInfo2* info)
{
    btVector3 direction[2], arm[2];
    const btScalar length = measure(direction, arm);
    // The row is the rate of change of the rope's length.
    const btVector3 linearB = direction[1] * ratio_;
    const btVector3 angularA = arm[0].cross(direction[0]), angularB = arm[1].cross(direction[1]) * ratio_;
    for (int i = 0; i < 3; ++i) {
        info->m_J1linearAxis[i] = direction[0][i];
        info->m_J2linearAxis[i] = linearB[i];
        info->m_J1angularAxis[i] = angularA[i];
        info->m_J2angularAxis[i] = angularB[i];
    }
    info->m_constraintError[0] = info->fps * info->erp * (distance_ - length);
    const bool taut = length > distance_;
    info->m_lowerLimit[0] = taut || rigid_ ? -SIMD_INFINITY : 0;
    info->m_upperLimit[0] = taut || !rigid_ ? 0 : SIMD_INFINITY;
}
