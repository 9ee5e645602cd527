#include "levelmotionblur.h"
#include "levelmeshes.h"

#include "core/math/quaternion.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/animationmanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonpose.h"
#include "igame/effects/effectsmanager.h"
#include "igame/effects/motionblurobject.h"
#include "repositorywriter.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr f32 MAST_HALF_WIDTH = 0.15f;
constexpr f32 MAST_HALF_HEIGHT = 2.5f;
constexpr f32 DISH_HEIGHT = 5.0f;
constexpr i32 SPIN_KEYS = 12;
// Keys a second: a turn in three seconds.
constexpr f32 SPIN_TIME_SCALE = 4.0f;
constexpr f32 PI = 3.14159265f;

// Grey paint with a darker band across.
std::vector<u32> Paint()
{
    std::vector<u32> pixels(16);
    for (u32 i = 0; i < pixels.size(); ++i)
        pixels[i] = i / 4 == 1 ? 0xFF505860u : 0xFFC8CCD0u;
    return pixels;
}

struct TLevelAntenna
{
    TLevelAntenna(TRepositoryWriter& writer, TNode* level);
    // The written level's cluster has freed the nodes by now: the objects leave no node.
    ~TLevelAntenna()
    {
        skeleton.pNode = nullptr;
        blur.pNode = nullptr;
    }

    TSkeletonData spinData;
    TSkeletonPose pose;
    TSkeleton skeleton;
    TAnimationKey keys[SPIN_KEYS + 1];
    TAnimationData spinKeys;
    TAnimation spin{};
    TMotionBlurObject blur;
};

TLevelAntenna::TLevelAntenna(TRepositoryWriter& writer, TNode* level)
{
    TMaterial* paint = g_pDxMaterialManager->CreateMaterial(TName("radar_paint", true));
    paint->aTexture[0] = MakeTexture(writer, "radar_paint", 4, 4, Paint());
    TRenderQueue* normal = g_pRenderSceneManager->Scenes()[0]->FindQueue(TName("Normal", true));

    TNode* mast = g_pNodeManager->CreateNode("radar_antenna");
    level->AddChild(mast);
    TMatrix at(1.0f);
    at.aRow[3] = TVector(LEVEL_RADAR_X, 0.0f, LEVEL_RADAR_Z, 1.0f);
    mast->SetLocalMatrix(at, TNode::OrdinaryCause());
    TMesh* mastMesh = g_pDxMeshManager->CreateMesh(mast);
    mastMesh->pMeshData =
        MakeMeshData(writer, "radar_mast", LitBox(MAST_HALF_WIDTH, MAST_HALF_HEIGHT, MAST_HALF_WIDTH, 1.0f), paint);
    mastMesh->SetQueue(normal);

    // The skeleton's one bone turns about the mast's top; the dish's node follows it.
    spinData.m_Name.Set("radar_spin_skeleton", true);
    spinData.m_nBoneCount = 1;
    spinData.aBone[0].nParent = -1;
    spinData.aBone[0].Bind = spinData.aBone[0].Rest = TMatrix(1.0f);
    pose.m_Name.Set("radar_spin_pose", true);
    pose.m_nBoneCount = 1;
    pose.pSkeleton = &skeleton;
    for (i32 k = 0; k <= SPIN_KEYS; ++k)
    {
        const f32 heading = -2.0f * PI * static_cast<f32>(k % SPIN_KEYS) / SPIN_KEYS;
        keys[k].SetRotation(TQuaternion(0.0f, std::sin(heading * 0.5f), 0.0f, std::cos(heading * 0.5f)));
        const f32 position[4] = {0.0f, DISH_HEIGHT, 0.0f, 1.0f};
        const f32 scale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        std::memcpy(keys[k].aPosition, position, sizeof position);
        std::memcpy(keys[k].aScale, scale, sizeof scale);
    }
    spinKeys.m_Name.Set("radar_spin", true);
    spinKeys.m_nLength = SPIN_KEYS;
    spinKeys.m_nTrackCount = 1;
    writer.AddBlock(&spinKeys, keys, sizeof keys);
    spin.m_nState = ANIMATION_PLAYING;
    spin.m_fTimeScale = SPIN_TIME_SCALE;
    spin.m_nLoop = 1;
    spin.m_fSpeed = 1.0f;
    spin.pSkeleton = &skeleton;
    spin.pAnimationData = &spinKeys;
    std::memset(spin.aBoneMap, ANIMATION_NO_TRACK, sizeof spin.aBoneMap);
    spin.aBoneMap[0] = 0;
    skeleton.pSkeletonData = &spinData;
    skeleton.pSkeletonPose = &pose;
    skeleton.Function.nInstructionCount = 1;
    skeleton.Function.aInstruction[0] = {BLEND_COPY, 0, 0, BLEND_OPERAND_NONE, 0.0f};
    skeleton.Function.aAnimation[0] = &spin;
    mast->AddObject(&skeleton);

    // The dish: a wide panel on the turning node, and the object that blurs it.
    TNode* dish = g_pNodeManager->CreateNode(LEVEL_RADAR_DISH);
    mast->AddChild(dish);
    dish->SetLocalMatrix(keys[0].ToMatrix(), TNode::OrdinaryCause());
    skeleton.aLinkedNode[0] = {0, dish};
    skeleton.m_nLinkedNodeCount = 1;
    TMesh* dishMesh = g_pDxMeshManager->CreateMesh(dish);
    dishMesh->pMeshData = MakeMeshData(writer, "radar_dish", LitBox(1.8f, 0.45f, 0.12f, 1.0f), paint);
    dishMesh->SetQueue(normal);
    blur.pMesh = dishMesh;
    blur.m_fFixedSpin = LEVEL_RADAR_SPIN;
    dish->AddObject(&blur);

    g_pSkeletonManager->SkeletonData().Add(&spinData);
    g_pSkeletonManager->Poses().Add(&pose);
    g_pSkeletonManager->Skeletons().Add(&skeleton);
    g_pAnimationManager->AnimationData().Add(&spinKeys);
    g_pAnimationManager->Animations().Add(&spin);
    g_pEffectsManager->MotionBlurObjects().Add(&blur);
}

std::unique_ptr<TLevelAntenna> s_pAntenna;
} // namespace

i32 AddLevelMotionBlur(TRepositoryWriter& writer, TNode* level, TClusterManager**, i32 count)
{
    s_pAntenna = std::make_unique<TLevelAntenna>(writer, level);
    return count;
}
