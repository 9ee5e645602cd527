#include "platform/physics/distanceconstraint.h"

TDistanceConstraint::TDistanceConstraint(btRigidBody& a, btRigidBody& b, const btVector3& anchorInA,
                                         const btVector3& anchorInB, btScalar minimum, btScalar maximum)
    : btTypedConstraint(POINT2POINT_CONSTRAINT_TYPE, a, b), anchorInA_(anchorInA), anchorInB_(anchorInB),
      minimum_(minimum), maximum_(maximum)
{
}

void TDistanceConstraint::measure(btVector3& direction, btScalar& distance, btVector3& armA, btVector3& armB) const
{
    armA = m_rbA.getCenterOfMassTransform().getBasis() * anchorInA_;
    armB = m_rbB.getCenterOfMassTransform().getBasis() * anchorInB_;
    direction = (m_rbB.getCenterOfMassPosition() + armB) - (m_rbA.getCenterOfMassPosition() + armA);
    distance = direction.length();
    direction = distance > SIMD_EPSILON ? direction / distance : btVector3(0, 1, 0);
}

void TDistanceConstraint::getInfo1(btConstraintInfo1* info)
{
    btVector3 direction, armA, armB;
    btScalar distance;
    measure(direction, distance, armA, armB);
    const bool active = distance > maximum_ || distance < minimum_;
    info->m_numConstraintRows = active ? 1 : 0;
    info->nub = active ? 5 : 6;
}

void TDistanceConstraint::getInfo2(btConstraintInfo2* info)
{
    btVector3 direction, armA, armB;
    btScalar distance;
    measure(direction, distance, armA, armB);
    // Rows relate the anchors' separation speed along the line to the bound's error.
    for (int i = 0; i < 3; ++i) {
        info->m_J1linearAxis[i] = -direction[i];
        info->m_J2linearAxis[i] = direction[i];
    }
    const btVector3 angularA = -armA.cross(direction), angularB = armB.cross(direction);
    for (int i = 0; i < 3; ++i) {
        info->m_J1angularAxis[i] = angularA[i];
        info->m_J2angularAxis[i] = angularB[i];
    }
    const btScalar k = info->fps * info->erp;
    if (distance > maximum_) {
        info->m_constraintError[0] = k * (maximum_ - distance);
        info->m_lowerLimit[0] = -SIMD_INFINITY;
        info->m_upperLimit[0] = 0;
    } else {
        info->m_constraintError[0] = k * (minimum_ - distance);
        info->m_lowerLimit[0] = 0;
        info->m_upperLimit[0] = SIMD_INFINITY;
    }
}
