#pragma once
// TControllerManager ("Controller"): character controllers, node objects by which a scene node
// is marked as a controlled character and found again by its name. They have no physical
// behaviour here. TNxControllerManager is the one implementation.
#include "engine/system/manager.h"

class TNode;
class TNxController;

class TControllerManager : public TManager
{
public:
    virtual i32 GetControllerCount() = 0;
    virtual TNxController* GetController(i32 index) = 0;
    // Static collision meshes moved their actors.
    virtual void OnStaticGeometryMoved() = 0;
    virtual TNxController* CreateController(TNode* node) = 0;
    // The first controller whose node has the name and is effectively enabled, or null.
    virtual TNxController* FindController(const TName& name) = 0;
};

extern TControllerManager* g_pControllerManager;
