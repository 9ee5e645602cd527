#include "ageia/nxcontroller.h"
#include "ageia/nxcontrollermanager.h"
#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"

#include <gtest/gtest.h>

namespace
{
class ControllerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
    }
    void TearDown() override { g_pCluster->Clear(); }

    static TNxControllerManager& Manager() { return *static_cast<TNxControllerManager*>(g_pControllerManager); }
};
} // namespace

TEST_F(ControllerTest, ControllersAreFoundByTheNamesOfEnabledNodes)
{
    EXPECT_EQ(nullptr, Manager().FindController(TName("pilot", true)));
    TNode* first = g_pNodeManager->CreateNode("pilot");
    TNode* second = g_pNodeManager->CreateNode("pilot");
    TNode* other = g_pNodeManager->CreateNode("driver");
    TNxController* a = Manager().CreateController(first);
    TNxController* b = Manager().CreateController(second);
    Manager().CreateController(other);
    EXPECT_EQ(first, a->pNode);
    EXPECT_EQ(3, Manager().GetControllerCount());
    EXPECT_EQ(a, Manager().FindController(TName("pilot")));
    first->Enable(0, 0);
    EXPECT_EQ(b, Manager().FindController(TName("pilot")));
    // The inherited bit counts too.
    second->Enable(0, 1);
    EXPECT_EQ(nullptr, Manager().FindController(TName("pilot")));
    EXPECT_EQ(nullptr, Manager().FindController(TName("nobody", true)));
}

