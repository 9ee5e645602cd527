#pragma once
// TNxDynamicsJoint: the stored layout of joints (type 82, 796 bytes): kind, bodies, the joint
// of the physics layer, the broken flag, the saved joint descriptor and the two list links.
#include "ageia/dynamicsjoint.h"
#include <cstring>

class NxJoint;
class TDynamicsBody;

class TNxDynamicsJoint : public TDynamicsJoint
{
public:
    TNxDynamicsJoint()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTDynamicsJoint.GetId();
    }

    u32 m_nType;
    TDynamicsBody* pBodyA;
    TDynamicsBody* pBodyB;
    NxJoint* m_pJoint;
    u8 m_aReserved28[148];
    u32 m_nBroken;
    u8 m_aDescriptor[600];
    TNxDynamicsJoint* pPrev;
    TNxDynamicsJoint* pNext;
    TNxDynamicsJoint* pPrev2;
    TNxDynamicsJoint* pNext2;
};

static_assert(sizeof(TNxDynamicsJoint) == 796);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TNxDynamicsJoint, pBodyA) == 16);
static_assert(offsetof(TNxDynamicsJoint, pBodyB) == 20);
static_assert(offsetof(TNxDynamicsJoint, m_nBroken) == 176);
static_assert(offsetof(TNxDynamicsJoint, pPrev) == 780);
static_assert(offsetof(TNxDynamicsJoint, pNext2) == 792);
#pragma GCC diagnostic pop
