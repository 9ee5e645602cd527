#include "core/cluster/cluster.h"
#include "core/system/plugin.h"
#include "engine/render/animationskeleton.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/render/shaderparameter.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonpose.h"
#include "engine/system/translation.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class TRecordingParameter : public TShaderParameter
{
public:
    void SetMatrixArray(u32 count, const TMatrix* matrices) override
    {
        aMatrix.assign(matrices, matrices + count);
    }
    std::vector<TMatrix> aMatrix;
};

// A two-bone skeleton: the root turned a quarter about z at (1, 0, 0), its child two units up
// the root's y, published at (-1, 0, 0); binds (5, 0, 0) and (7, 0, 0). The skinned mesh's
// palette lists bone 1, then bone 0; skeleton and mesh hang on nodes of their own.
class AnimationSkeletonTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_ManagerManager.Initialize();
        g_pCluster->Clear();
        TPlugin* plugin = nullptr;
        g_pPluginManager->FindPlugin(plugin, TName("TAnimationSkeleton"), TName("TShaderParameterPlugin"));
        m_pPlugin = static_cast<TAnimationSkeleton*>(plugin);
        m_pSkeletonNode = g_pNodeManager->CreateNode("skeleton");
        m_pMeshNode = g_pNodeManager->CreateNode("mesh");
        m_pSkeletonNode->AddObject(&skeleton);
        m_pMeshNode->AddObject(&mesh);
        data.m_nBoneCount = 2;
        data.aBone[0].nParent = -1;
        data.aBone[1].nParent = 0;
        data.aBone[0].Bind = Translation(5, 0, 0);
        data.aBone[1].Bind = Translation(7, 0, 0);
        data.aBone[0].Rest = TMatrix::Multiply(TMatrix::RotationZ(90.0f), Translation(1, 0, 0));
        data.aBone[1].Rest = Translation(0, 2, 0);
        pose.m_nBoneCount = 2;
        skeleton.pSkeletonData = &data;
        skeleton.pSkeletonPose = &pose;
        skin.m_nPaletteCount = 2;
        skin.aPalette[0] = 1;
        skin.aPalette[1] = 0;
        meshData.pSkeletonMeshData = reinterpret_cast<TResource*>(&skin);
        mesh.pMeshData = &meshData;
        mesh.pSkeleton = &skeleton;
        TSkeletonManager::EvaluateSkeleton(&skeleton);
        pose.SwapBuffers();
    }
    void TearDown() override
    {
        m_pSkeletonNode->DeleteObject(&skeleton);
        m_pMeshNode->DeleteObject(&mesh);
        pose.Unload();
        g_pNodeManager->UpdateManager(0.0f);
        g_pCluster->Clear();
    }

    TAnimationSkeleton* m_pPlugin = nullptr;
    TNode* m_pSkeletonNode = nullptr;
    TNode* m_pMeshNode = nullptr;
    TSkeletonData data;
    TSkeletonPose pose;
    TSkeleton skeleton;
    TSkeletonMeshData skin{};
    TMeshData meshData;
    TMesh mesh;
    TRecordingParameter parameter;
};
} // namespace

TEST_F(AnimationSkeletonTest, PaletteMatricesAreBindTimesPublished)
{
    ASSERT_NE(nullptr, m_pPlugin);
    m_pPlugin->Apply(&mesh, nullptr, &parameter, nullptr, nullptr);
    ASSERT_EQ(60u, parameter.aMatrix.size());
    ExpectRow(parameter.aMatrix[0].aRow[3], -1, 7, 0);
    ExpectRow(parameter.aMatrix[1].aRow[3], 1, 5, 0);
    EXPECT_EQ(&skeleton, skin.pSkeleton);

    // A shorter palette leaves the later entries as the last draw wrote them.
    skin.m_nPaletteCount = 1;
    skin.aPalette[0] = 0;
    m_pPlugin->Apply(&mesh, nullptr, &parameter, nullptr, nullptr);
    ExpectRow(parameter.aMatrix[0].aRow[3], 1, 5, 0);
    ExpectRow(parameter.aMatrix[1].aRow[3], 1, 5, 0);

    // Carried from the skeleton's node into the mesh's node.
    skin.aPalette[0] = 1;
    m_pSkeletonNode->SetLocalMatrix(Translation(10, 0, 0), TNode::OrdinaryCause());
    m_pMeshNode->SetLocalMatrix(Translation(0, 0, 100), TNode::OrdinaryCause());
    skeleton.m_nFlags = SKELETON_SKIN_IN_MESH_SPACE;
    m_pPlugin->Apply(&mesh, nullptr, &parameter, nullptr, nullptr);
    ExpectRow(parameter.aMatrix[0].aRow[3], 9, 7, -100);

    // Objects other than meshes, and meshes without a skin, write nothing.
    parameter.aMatrix.clear();
    m_pPlugin->Apply(&skeleton, nullptr, &parameter, nullptr, nullptr);
    m_pPlugin->Apply(nullptr, nullptr, &parameter, nullptr, nullptr);
    mesh.pSkeleton = nullptr;
    m_pPlugin->Apply(&mesh, nullptr, &parameter, nullptr, nullptr);
    EXPECT_TRUE(parameter.aMatrix.empty());
}
