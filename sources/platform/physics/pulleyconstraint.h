#pragma once
// Two anchors on one rope over two fixed pulleys: the length from anchor A to its pulley plus
// ratio times the length from anchor B to its pulley stays within the rope's distance (equal to
// it for a rigid rope). One row, pulling only while the rope is taut unless it is rigid.
#include <btBulletDynamicsCommon.h>

class TPulleyConstraint : public btTypedConstraint
{
public:
    TPulleyConstraint(btRigidBody& a, btRigidBody& b, const btVector3& anchorInA, const btVector3& anchorInB,
                      const btVector3& pulleyA, const btVector3& pulleyB, btScalar distance, btScalar ratio,
                      bool rigid);

    void getInfo1(btConstraintInfo1* info) override;
    void getInfo2(btConstraintInfo2* info) override;
    void setParam(int, btScalar, int) override {}
    btScalar getParam(int, int) const override { return 0; }

private:
    // Per side: the unit direction from the pulley to the anchor and the anchor's arm from the
    // body's centre; answers the rope's length as the constraint counts it.
    btScalar measure(btVector3* direction, btVector3* arm) const;
    btVector3 anchor_[2];
    btVector3 pulley_[2];
    btScalar distance_, ratio_;
    bool rigid_;
};
