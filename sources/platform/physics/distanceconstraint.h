#pragma once
// Keeps the distance between two anchors within [minimum, maximum]: one row along the line
// between them, pulling or pushing only while a bound is crossed.
#include <btBulletDynamicsCommon.h>

class TDistanceConstraint : public btTypedConstraint
{
public:
    TDistanceConstraint(btRigidBody& a, btRigidBody& b, const btVector3& anchorInA, const btVector3& anchorInB,
                        btScalar minimum, btScalar maximum);

    void getInfo1(btConstraintInfo1* info) override;
    void getInfo2(btConstraintInfo2* info) override;
    void setParam(int, btScalar, int) override {}
    btScalar getParam(int, int) const override { return 0; }

private:
    void measure(btVector3& direction, btScalar& distance, btVector3& armA, btVector3& armB) const;
    btVector3 anchorInA_, anchorInB_;
    btScalar minimum_, maximum_;
};
