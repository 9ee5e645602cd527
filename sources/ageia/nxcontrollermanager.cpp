#include "ageia/nxcontrollermanager.h"

#include "ageia/nxcontroller.h"
#include "ageia/physicstypes.h"
#include "core/cluster/cluster.h"
#include "core/system/memory.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"

TControllerManager* g_pControllerManager = nullptr;

namespace
{
TNxControllerManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Controller", "Nx", &g_pControllerManager,
                                                           static_cast<TControllerManager*>(&s_Manager));
} // namespace

TNxControllerManager::TNxControllerManager()
{
    if (g_pCluster)
        RegisterArray(&ControllerDecl(), &m_aController);
}

TNxControllerManager::~TNxControllerManager()
{
    FreeOwned();
    m_aOwned.Free();
}

void TNxControllerManager::FreeOwned()
{
    // The nodes may be gone already at tear-down: the controllers do not go back to them.
    for (i32 i = 0; i < m_aOwned.GetCount(); ++i)
    {
        m_aOwned[i]->pNode = nullptr;
        MemoryDelete(m_aOwned[i]);
    }
    m_aOwned.SetCount(0);
}

i32 TNxControllerManager::SetArray(u32, void*, i32)
{
    FreeOwned();
    return 0;
}

void TNxControllerManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

TNxController* TNxControllerManager::CreateController(TNode* node)
{
    TNxController* controller = MemoryNew<TNxController>();
    if (m_aController.GetCount() == m_aController.GetCapacity())
        m_aController.SetCapacity(m_aController.GetCapacity() + CONTROLLER_GROWTH);
    m_aController.Add(controller);
    m_aOwned.Add(controller);
    if (node)
        node->AddObject(controller);
    return controller;
}

TNxController* TNxControllerManager::FindController(const TName& name)
{
    for (i32 i = 0; i < m_aController.GetCount(); ++i)
    {
        const TNode* node = m_aController[i]->pNode;
        if (node && node->m_Name.GetId() == name.GetId() && node->IsEnabled())
            return m_aController[i];
    }
    return nullptr;
}
