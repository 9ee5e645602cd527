#include "levelmotionblur.h"
#include "levelloopingbone.h"
#include "levelmeshes.h"

#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
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
    ~TLevelAntenna() { blur.pNode = nullptr; }

    std::unique_ptr<TLevelLoopingBone> spin;
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

    // The one bone turns about the mast's top; the dish's node follows it.
    std::vector<TAnimationKey> keys;
    for (i32 k = 0; k <= SPIN_KEYS; ++k)
        keys.push_back(LevelYawKey(-2.0f * PI * static_cast<f32>(k % SPIN_KEYS) / SPIN_KEYS, 0.0f, DISH_HEIGHT, 0.0f));
    spin = std::make_unique<TLevelLoopingBone>(writer, "radar_spin", std::move(keys), SPIN_TIME_SCALE);

    // The dish: a wide panel on the turning node, and the object that blurs it.
    TNode* dish = g_pNodeManager->CreateNode(LEVEL_RADAR_DISH);
    mast->AddChild(dish);
    dish->SetLocalMatrix(spin->FirstKey().ToMatrix(), TNode::OrdinaryCause());
    spin->Attach(mast, dish);
    TMesh* dishMesh = g_pDxMeshManager->CreateMesh(dish);
    dishMesh->pMeshData = MakeMeshData(writer, "radar_dish", LitBox(1.8f, 0.45f, 0.12f, 1.0f), paint);
    dishMesh->SetQueue(normal);
    blur.pMesh = dishMesh;
    blur.m_fFixedSpin = LEVEL_RADAR_SPIN;
    dish->AddObject(&blur);

    g_pEffectsManager->MotionBlurObjects().Add(&blur);
}

std::unique_ptr<TLevelAntenna> s_pAntenna;
} // namespace

i32 AddLevelMotionBlur(TRepositoryWriter& writer, TNode* level, TClusterManager**, i32 count)
{
    s_pAntenna = std::make_unique<TLevelAntenna>(writer, level);
    return count;
}
