#pragma once
// The dynamics manager with its SDK and a fresh scene of the default settings (gravity 0),
// the engine's cluster empty before and after each test.
#include "ageia/nxbody.h"
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxgeometry.h"
#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resourcemanager.h"
#include "platform/physics/nxactor.h"
#include "platform/physics/nxscene.h"

#include <gtest/gtest.h>

class DynamicsTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_ManagerManager.Initialize();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pCluster->LinkTypes();
            ASSERT_EQ(0, Manager().InitializeManager());
            Manager().BeginManager();
            // After the dynamics manager: its cluster loads see the new scene.
            g_pNxCollisionManager->BeginManager();
            s_bBegun = true;
        }
        g_pCluster->Clear();
        // The settings of a new manager: tests change them.
        TDynamicsSettings settings{};
        settings.fStaticFriction = settings.fDynamicFriction = 0.5f;
        settings.fRate = 120.0f;
        settings.nMaxSubSteps = 8;
        Manager().SetData(0, &settings, sizeof settings);
        Manager().OnClusterLoad();
    }
    void TearDown() override
    {
        g_nDynamicsSynchronize = 0;
        g_pCluster->Clear();
    }

    static TNxDynamicsManager& Manager() { return *g_pNxDynamicsManager; }

    // Repository loads need the resource manager begun (once: it starts the loader).
    static void BeginResources()
    {
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pResourceManager->BeginManager();
            s_bBegun = true;
        }
    }
    static NxScene& Scene() { return *Manager().GetScene(); }

    static TMatrix Translation(f32 x, f32 y, f32 z)
    {
        TMatrix m(1.0f);
        m.aRow[3] = TVector(x, y, z, 1.0f);
        return m;
    }

    // A body of one box of half extents 0.5 on a new node at the point, its actor made.
    static TNxDynamicsBody* Box(const char* name, f32 x, f32 y, f32 z)
    {
        TNode* node = g_pNodeManager->CreateNode(name);
        node->SetLocalMatrix(Translation(x, y, z), TNode::OrdinaryCause());
        auto* body = static_cast<TNxDynamicsBody*>(Manager().CreateBody(node));
        TDynamicsGeometry* box = body->__CreateGeometry(node, GEOMETRY_BOX);
        box->SetSize(TVector(0.5f, 0.5f, 0.5f, 1.0f));
        body->SetMass(1.0f);
        body->__Create();
        return body;
    }

    static TVector NodePosition(const TDynamicsBody* body) { return body->pNode->GetWorldMatrix()->aRow[3]; }
};
