#pragma once
// TNxControllerManager: the controller list, a cluster array of stored type 27, filled by
// repository loads or by CreateController (those it frees when a load replaces the list).
#include "ageia/controllermanager.h"
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"

// The list grows by this many entries when full.
constexpr i32 CONTROLLER_GROWTH = 1024;

class TNxControllerManager : public TControllerManager, public TClusterMethods
{
public:
    TNxControllerManager();
    ~TNxControllerManager() override;

    i32 SetArray(u32 typeId, void* data, i32 count) override;
    void BeginManager() override;
    void UpdateManager(f32) override {}
    i32 GetControllerCount() override { return m_aController.GetCount(); }
    TNxController* GetController(i32 index) override { return m_aController[index]; }
    void OnStaticGeometryMoved() override {}
    TNxController* CreateController(TNode* node) override;
    TNxController* FindController(const TName& name) override;

    i32 GetCapacity() const { return m_aController.GetCapacity(); }

private:
    void FreeOwned();

    DArray<TNxController*> m_aController;
    DArray<TNxController*> m_aOwned;
};
