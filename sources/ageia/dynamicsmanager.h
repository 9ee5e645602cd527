#pragma once
// TDynamicsManager ("Dynamics"): the engine's physics manager as the rest of the system sees
// it. Bodies, shapes, joints and physics materials are created and counted here, gravity and
// the collision relations of bodies, shapes and groups are set here, and the physics scene is
// locked against concurrent use. The one implementation is TNxDynamicsManager.
#include "core/math/vector.h"
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

class TDynamicsBody;
class TDynamicsGeometry;
class TDynamicsJoint;
class TDynamicsListener;
class TDynamicsMaterial;
class TDynamicsPropProxy;
class TNode;

constexpr i32 DYNAMICS_LISTENER_CAPACITY = 32;

class TDynamicsManager : public TManager
{
public:
    TDynamicsManager();
    ~TDynamicsManager() override;

    virtual i32 GetMaterialCount() = 0;
    virtual TDynamicsMaterial* GetMaterial(i32 index) = 0;
    // Index: the material count after the append (index 0 is the scene's default material).
    virtual TDynamicsMaterial* CreateMaterial(const TName& name) = 0;
    virtual i32 GetBodyCount() = 0;
    virtual TDynamicsBody* GetBody(i32 index) = 0;
    virtual TDynamicsBody* CreateBody(TNode* node) = 0;
    virtual i32 GetJointCount() = 0;
    virtual TDynamicsJoint* FindJoint(const TName& name) = 0;
    virtual TDynamicsJoint* GetJoint(i32 index) = 0;
    virtual TDynamicsJoint* CreateJoint(TNode* node, u32 type) = 0;
    virtual void SetGravity(const TVector& gravity) = 0;
    virtual void GetGravity(TVector& gravity) = 0;
    virtual void SetBodyPairCollision(TDynamicsBody* a, TDynamicsBody* b, u32 enable) = 0;
    virtual void SetGeometryPairCollision(TDynamicsGeometry* a, TDynamicsGeometry* b, u32 enable) = 0;
    virtual void SetGroupPairFlags(u16 group1, u16 group2, u32 flags) = 0;
    virtual void SetGroupCollision(u16 group1, u16 group2, u32 enable) = 0;
    virtual void SetGroupDominance(u16 group1, u16 group2, u32 dominant) = 0;
    // Nests on one thread.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;

    // Global listeners hear every body's events after the body's own listener: 0 added, 1 when
    // all 32 places are taken.
    u32 AddListener(TDynamicsListener* listener);
    void RemoveListener(TDynamicsListener* listener);
    i32 GetListenerCount() const { return m_nListenerCount; }
    TDynamicsListener* GetListener(i32 i) const { return m_apListener[i]; }

protected:
    i32 m_nListenerCount;
    TDynamicsListener* m_apListener[DYNAMICS_LISTENER_CAPACITY];
    // The physics-driven props' proxies: a cluster array, filled by loads.
    DArray<TDynamicsPropProxy*> m_aPropProxy;
};

extern TDynamicsManager* g_pDynamicsManager;
