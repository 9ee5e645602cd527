// The debug manager's variables and command, the mesh list's paging, the resource table's
// counting, and the spectator camera flying over a given frame time.
#include "core/system/timer.h"
#include "directx/debug/debuglists.h"
#include "directx/debug/debugmanager.h"
#include "directx/render/dxcameramanager.h"
#include "directx/input/wininput.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/camera.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
TVariable* Variable(const char* name)
{
    return TCommandManager::Instance().FindVariable(TName(name, true));
}

i64 s_nSpectatorNow = 0;
i64 SpectatorClock()
{
    return s_nSpectatorNow;
}

class SpectatorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // Listeners and resources register only once the managers are initialised.
        g_ManagerManager.Initialize();
        m_pKeptTimer = g_pTimer;
        s_nSpectatorNow = 0;
        m_pTimer = std::make_unique<TTimer>(SpectatorClock);
        g_pTimer = m_pTimer.get();
        [[maybe_unused]] static const bool s_bBegun = (g_pDebugManager->BeginManager(), true);
        g_pDebugManager->OnClusterLoad();
        m_pLevelCamera = g_pDxCameraManager->__CreateCamera(Eye("level_camera", TVector(5.0f, 2.0f, -10.0f, 1.0f)));
        g_pDxCameraManager->SetMainCamera(m_pLevelCamera);
        g_pDxCameraManager->SetCamera(m_pLevelCamera);
        m_pViewport = g_pDxViewportManager->__CreateViewport(TName("view", true), 0);
        m_pViewport->SetCamera(m_pLevelCamera);
        g_pDxViewportManager->SetCurrentViewport(m_pViewport);
        Variable("camera.speed")->SetFloat(1.0f);
    }
    void TearDown() override
    {
        Variable("camera.enable")->SetInt(0);
        // The camera manager keeps its cameras: they leave their nodes, so the next test finds
        // no spectator of this one and the nodes may go first at exit.
        for (i32 i = 0; i < g_pDxCameraManager->GetCameraCount(); ++i)
            if (TCamera* camera = g_pDxCameraManager->GetCamera(i); camera->pNode)
            {
                camera->pNode->DeleteObject(camera);
                camera->pNode = nullptr;
            }
        for (const char* name : kModifiers)
            Modifier(name).Apply(0.0f);
        g_pDxViewportManager->SetCurrentViewport(nullptr);
        g_pDxCameraManager->SetMainCamera(nullptr);
        g_pDxCameraManager->SetCamera(nullptr);
        g_pDxViewportManager->Clear();
        g_pTimer = m_pKeptTimer;
    }

    static TNode* Eye(const char* name, const TVector& at)
    {
        TNode* node = g_pNodeManager->CreateNode(name);
        TMatrix place(1.0f);
        place.aRow[3] = at;
        node->SetLocalMatrix(place, TNode::OrdinaryCause());
        return node;
    }
    // One frame of the given length.
    void Frame(f32 seconds)
    {
        s_nSpectatorNow += static_cast<i64>(static_cast<f64>(seconds) * TIMER_COUNTS_PER_SECOND);
        m_pTimer->Update();
        g_pDebugManager->UpdateSpectator();
        for (const char* name : kModifiers)
        {
            Modifier(name).ClearPressed();
            Modifier(name).ClearReleased();
        }
    }
    // The keyboard driver's key of that name, which the manager looked up.
    static TWinInput& Modifier(const char* name)
    {
        return *static_cast<TWinInput*>(TInputManager::Instance().FindInput(TName(name, true)));
    }

    static constexpr const char* kModifiers[] = {"LCtrl", "LShift", "NumPadPlus", "NumPadMinus"};
    std::unique_ptr<TTimer> m_pTimer;
    TTimer* m_pKeptTimer = nullptr;
    TCamera* m_pLevelCamera = nullptr;
    TDxViewport* m_pViewport = nullptr;
    TScratchWorkingFolder m_Folder{"debug"};
};
} // namespace

TEST(MeshPagingTest, TheKeysMoveTheSelectionAndTheFirstRowFollows)
{
    auto all = [](i32) { return true; };
    TDebugMeshPaging paging;
    // Down and PgDn move on; PgDn from near the end clamps to the last index.
    EXPECT_EQ(-1, paging.Step(100, true, DEBUG_KEY_DOWN, all));
    EXPECT_EQ(1, paging.nSelected);
    EXPECT_EQ(1, paging.nDirection);
    paging.Step(100, true, DEBUG_KEY_PAGE_DOWN, all);
    EXPECT_EQ(41, paging.nSelected);
    EXPECT_EQ(2, paging.nFirst);
    paging.nSelected = 99;
    paging.Step(100, true, DEBUG_KEY_PAGE_DOWN, all);
    EXPECT_EQ(99, paging.nSelected);
    EXPECT_EQ(60, paging.nFirst);
    // PgUp goes back 40 and up; the first row follows the selection up.
    paging.Step(100, true, DEBUG_KEY_PAGE_UP, all);
    EXPECT_EQ(59, paging.nSelected);
    EXPECT_EQ(-1, paging.nDirection);
    EXPECT_EQ(59, paging.nFirst);
    // PgUp below 0 clamps to 0; Up at 0 does nothing and keeps the direction.
    paging.nSelected = 10;
    paging.nDirection = 1;
    paging.Step(100, true, DEBUG_KEY_PAGE_UP, all);
    EXPECT_EQ(0, paging.nSelected);
    paging.nDirection = 1;
    paging.Step(100, true, DEBUG_KEY_UP, all);
    EXPECT_EQ(0, paging.nSelected);
    EXPECT_EQ(1, paging.nDirection);
    // Space toggles the selected item.
    EXPECT_EQ(0, paging.Step(100, true, DEBUG_KEY_SPACE, all));
}

TEST(ResourceTableTest, ResourcesAreCountedByTypeAtMostEvery3Seconds)
{
    g_ManagerManager.Initialize();
    TResource mesh;
    mesh.m_nKind = 2;
    mesh.m_nDataSize = 3000;
    mesh.m_nState = RESOURCE_LOADED;
    TResource texture;
    texture.m_nKind = 5;
    texture.m_nDataSize = 5000;
    // Types outside 0-22 are not counted.
    TResource foreign;
    foreign.m_nKind = 23;
    foreign.m_nDataSize = 7000;
    for (TResource* resource : {&mesh, &texture, &foreign})
        g_pResourceManager->__ResourceAdd(resource);

    TDebugResourceTable table = {};
    table.Refresh(1.0f);
    EXPECT_EQ(4.0f, table.fNextRefresh);
    const TDebugResourceRow& total = table.aRow[DEBUG_RESOURCE_TYPES];
    // Meshes, textures, then the total.
    EXPECT_EQ(std::vector<u32>({1, 1, 3000, 1, 0, 8000, 3000, 5000, 2}),
              std::vector<u32>({table.aRow[2].nTotalCount, table.aRow[2].nLoadedCount, table.aRow[2].nLoadedSize,
                                table.aRow[5].nTotalCount, table.aRow[5].nLoadedCount, total.nTotalSize,
                                total.nLoadedSize, total.nLargestSize, total.nTotalCount}));
    // Drawn every frame, refreshed only once 3 seconds have passed.
    texture.m_nState = RESOURCE_LOADED;
    table.Refresh(4.0f);
    EXPECT_EQ(0u, table.aRow[5].nLoadedCount);
    table.Refresh(4.01f);
    EXPECT_EQ(1u, table.aRow[5].nLoadedCount);
    // Counted afresh, not on top of the last refresh.
    EXPECT_EQ(std::vector<u32>({1, 2, 8000}), std::vector<u32>({table.aRow[2].nTotalCount, total.nTotalCount, total.nLoadedSize}));
    for (TResource* resource : {&mesh, &texture, &foreign})
        g_pResourceManager->__ResourceDelete(resource);
}

TEST_F(SpectatorTest, ASpectatorCameraIsNeededAndItsSpeedKeysRaiseWithoutBoundAndLowerToATenth)
{
    Variable("camera.enable")->SetInt(1);
    EXPECT_EQ(0u, g_pDebugManager->IsCameraEnabled());
    EXPECT_EQ(m_pLevelCamera, g_pDxCameraManager->GetMainCamera());
    EXPECT_NE(std::string::npos, m_Folder.SystemLog().find("TDebugManager::CameraEnable(): error: unable to find "
                                                           "'spectator' camera"));
    // Without an active viewport nothing changes.
    TCamera* spectator = g_pDxCameraManager->__CreateCamera(Eye("spectator", TVector(0.0f, 0.0f, 0.0f, 1.0f)));
    g_pDxViewportManager->SetCurrentViewport(nullptr);
    Variable("camera.enable")->SetInt(1);
    EXPECT_EQ(0u, g_pDebugManager->IsCameraEnabled());
    g_pDxViewportManager->SetCurrentViewport(m_pViewport);
    // A text reads -1: on.
    Variable("camera.enable")->SetInt(-1);
    EXPECT_EQ(1u, g_pDebugManager->IsCameraEnabled());
    EXPECT_EQ(spectator, g_pDxCameraManager->GetMainCamera());

    // The speed keys raise it without bound and lower it to a tenth, even without time.
    Frame(0.0f);
    TVariable* speed = Variable("camera.speed");
    for (i32 i = 0; i < 3; ++i)
    {
        Modifier("NumPadPlus").Apply(1.0f);
        Frame(0.0f);
        Modifier("NumPadPlus").Apply(0.0f);
    }
    EXPECT_NEAR(3.375f, speed->GetValue().ToFloat(), 1e-5f);
    for (i32 i = 0; i < 12; ++i)
    {
        Modifier("NumPadMinus").Apply(1.0f);
        Frame(0.0f);
        Modifier("NumPadMinus").Apply(0.0f);
    }
    EXPECT_FLOAT_EQ(DEBUG_SPEED_MIN, speed->GetValue().ToFloat());
    // Held down, a key counts once.
    Modifier("NumPadPlus").Apply(1.0f);
    Frame(0.0f);
    Frame(0.0f);
    EXPECT_NEAR(0.15f, speed->GetValue().ToFloat(), 1e-5f);
}
