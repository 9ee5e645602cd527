#include "levelwater.h"
#include "levelmeshes.h"

#include "core/math/matrix.h"
#include "core/system/name.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace
{
constexpr i32 WATER_TEXTURE_SIZE = 32;
constexpr f32 POND_X = 28.0f;
constexpr f32 POND_Z = -50.0f;
constexpr f32 POND_HALF_X = 5.0f;
constexpr f32 POND_HALF_Z = 3.5f;
// Just over the apron, so the ground does not hide it.
constexpr f32 POND_HEIGHT = 0.05f;
// Frames a second of the ripples.
constexpr f32 WATER_ANIMATION_SPEED = 2.0f;

// Ripples running across the pond, a quarter of their wave further each frame: the normal's x
// and y as red and green about 0.5, up as blue.
std::vector<u32> Ripples(u32 frame)
{
    std::vector<u32> pixels(WATER_TEXTURE_SIZE * WATER_TEXTURE_SIZE);
    constexpr f32 turn = 6.2831853f / WATER_TEXTURE_SIZE;
    const f32 shift = 1.5707963f * static_cast<f32>(frame);
    for (i32 y = 0; y < WATER_TEXTURE_SIZE; ++y)
        for (i32 x = 0; x < WATER_TEXTURE_SIZE; ++x)
        {
            const f32 nx = 0.6f * std::sin(turn * 2.0f * static_cast<f32>(x + y) + shift);
            const f32 ny = 0.6f * std::cos(turn * 3.0f * static_cast<f32>(y) - shift);
            const f32 nz = std::sqrt(std::max(0.0f, 1.0f - 0.5f * (nx * nx + ny * ny)));
            auto byte = [](f32 c) { return static_cast<u32>((c * 0.5f + 0.5f) * 255.0f + 0.5f); };
            pixels[static_cast<size_t>(y * WATER_TEXTURE_SIZE + x)] =
                0xFF000000u | byte(nx) << 16 | byte(ny) << 8 | static_cast<u32>(nz * 255.0f + 0.5f);
        }
    return pixels;
}

struct TLevelWater
{
    TRenderQueue queue{};
};

TLevelWater s_Water;
} // namespace

i32 AddLevelWater(TRepositoryWriter& writer, TNode* level, TClusterManager**, i32 count)
{
    // Not enabled: the scene's walk leaves it to the water step.
    s_Water.queue = TRenderQueue{};
    s_Water.queue.m_Name = TName(LEVEL_WATER_QUEUE, true);
    TRenderScene* scene = g_pRenderSceneManager->Scenes()[0];
    scene->aRenderQueue[scene->m_nQueueCount++] = &s_Water.queue;
    g_pRenderSceneManager->Queues().Add(&s_Water.queue);

    // The animation's frames are the textures it uses, in order; the pond shows its target.
    TTextureAnimation* animation = g_pDxTextureManager->CreateTextureAnimation(TName(LEVEL_WATER_NORMALS, true));
    for (u32 frame = 0; frame < LEVEL_WATER_FRAMES; ++frame)
    {
        char name[32];
        std::snprintf(name, sizeof name, "%s_%u", LEVEL_WATER_NORMALS, frame);
        TResource::LinkTo(animation, MakeTexture(writer, name, WATER_TEXTURE_SIZE, WATER_TEXTURE_SIZE, Ripples(frame)));
    }
    animation->m_nFrameCount = LEVEL_WATER_FRAMES;
    animation->m_nPlaying = 1;
    animation->m_nLoop = 1;
    animation->m_fSpeed = WATER_ANIMATION_SPEED;
    TMaterial* material = g_pDxMaterialManager->CreateMaterial(TName("pond_water", true));
    material->aTexture[0] = animation->GetTargetTexture();

    std::vector<TMeshVertex> quad;
    AddFace(quad, TVector(0, 0, 0, 1), TVector(POND_HALF_X, 0, 0, 0), TVector(0, 0, POND_HALF_Z, 0), 0xFFFFFFFFu);
    TNode* node = g_pNodeManager->CreateNode("pond");
    level->AddChild(node);
    TMatrix at(1.0f);
    at.aRow[3] = TVector(POND_X, POND_HEIGHT, POND_Z, 1.0f);
    node->SetLocalMatrix(at, TNode::OrdinaryCause());
    TMesh* mesh = g_pDxMeshManager->CreateMesh(node);
    mesh->pMeshData = MakeMeshData(writer, "pond", quad, material);
    mesh->SetQueue(&s_Water.queue);
    return count;
}
