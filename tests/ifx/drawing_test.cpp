// Particles drawn through the game's particle shaders on the software device: one golden image a
// blend mode, and a node system drawn with its drivers applied.
#include "gameshaderfixture.h"

#include "core/math/random.h"
#include "directx/render/dxcameramanager.h"
#include "engine/render/camera.h"
#include "engine/render/rendercontext.h"
#include "engine/render/texture.h"
#include "engine/system/node.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/particlevertexstream.h"

#include <cmath>
#include <cstring>
#include <tuple>

namespace
{
constexpr u32 kSize = 128;

class ParticleDrawTest : public GameShaderTest
{
protected:
    void SetUp() override
    {
        GameShaderTest::SetUp();
        TRandom::Shared().Seed(77);
        Manager().Suspend(1, 1);
        m_Node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        LookFrom(10.0f);
    }
    void TearDown() override
    {
        Manager().Flush();
        TParticleVertexStream::Get().Reset();
        g_pDxCameraManager->SetCamera(nullptr);
        GameShaderTest::TearDown();
    }

    static TIFXParticleManager& Manager() { return *static_cast<TIFXParticleManager*>(g_pParticleManager); }

    // The camera on the -Z side of the origin at that distance, looking at it.
    void LookFrom(f32 distance)
    {
        m_Eye.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        TMatrix eye(1.0f);
        eye.aRow[3] = TVector(0.0f, 0.0f, -distance, 1.0f);
        m_Eye.SetLocalMatrix(eye, TNode::OrdinaryCause());
        if (!m_Camera.pNode)
            m_Eye.AddObject(&m_Camera);
        m_Camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
        m_Camera.m_fHorizontalFov = m_Camera.m_fVerticalFov = 50.0f;
        m_Camera.m_fNearClip = 0.5f;
        m_Camera.m_fFarClip = 2000.0f;
        m_Camera.UpdateProjection(1, 1);
        m_Camera.UpdateView();
        g_pDxCameraManager->SetCamera(&m_Camera);
        m_pFinal->aMatrix = {m_Camera.m_ViewProjection};
    }

    // A soft white puff, opaque at its centre.
    TTexture* Puff()
    {
        TTexture* texture = g_pDxTextureManager->CreateTexture(TName("particle_puff", true), 16, 16, 1, 1,
                                                               TEXTURE_2D, 0x102, TEXTURE_DYNAMIC);
        u32 pitch = 0;
        u32 size = 0;
        auto* bits = static_cast<u8*>(texture->Lock(TEXTURE_LOCK_WRITE_DISCARD, 0, pitch, size));
        for (u32 y = 0; y < 16; ++y)
            for (u32 x = 0; x < 16; ++x)
            {
                const f32 dx = (static_cast<f32>(x) - 7.5f) / 7.5f, dy = (static_cast<f32>(y) - 7.5f) / 7.5f;
                const f32 edge = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
                const u32 pixel = static_cast<u32>(std::min(255.0f, edge * 2.0f * 255.0f)) << 24 | 0xFFFFFF;
                std::memcpy(bits + y * pitch + 4 * x, &pixel, 4);
            }
        texture->Unlock(0);
        return texture;
    }

    // A burst of forty puffs turning orange to grey as they rise and spread.
    TIParticleSystem* Burst(u32 blend, TTexture* texture)
    {
        const u32 id = TName("burst", true).GetId();
        auto* data = static_cast<TIParticleEmitterData*>(Manager().CreateEmitterData(&id));
        data->m_nBlendMode = blend;
        data->m_nMaxParticles = 40;
        data->StartBurst = {40.0f, 0.5f};
        data->Lifetime = {4.0f, 1.0f};
        data->Speed = {1.5f, 1.0f};
        data->ConeAngle = {60.0f, 0.0f};
        data->m_nShape = PARTICLE_SHAPE_ELLIPSOID_VOLUME;
        for (TParticleRange& extent : data->aExtent)
            extent = {1.0f, 0.0f};
        data->aSize[0] = {0.8f, 0.4f};
        data->aSize[1] = {1.6f, 0.4f};
        data->aSize[2] = {2.4f, 0.4f};
        data->MiddleSizeAge = {0.5f, 0.0f};
        data->aScale[0] = data->aScale[1] = {1.0f, 0.0f};
        data->aAngle[0] = {0.0f, 90.0f};
        data->TimeScale = {1.0f, 0.0f};
        const f32 keys[4][4] = {{1.0f, 0.55f, 0.15f, 0.95f},
                                {1.0f, 0.85f, 0.5f, 0.8f},
                                {0.5f, 0.5f, 0.55f, 0.6f},
                                {0.4f, 0.4f, 0.45f, 0.0f}};
        std::memcpy(data->aColorKey, keys, sizeof keys);
        for (f32& m : data->aColorMultiplier)
            m = 1.0f;
        data->aColorKeyAge[0] = 0.2f;
        data->aColorKeyAge[1] = 0.6f;
        const f32 rectangle[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        std::memcpy(data->aTextureRect, rectangle, sizeof rectangle);
        data->aTexture[0] = texture;
        TParticleEmitter* emitter = Manager().CreateEmitter(&m_Node, data);
        auto* system = static_cast<TIParticleSystem*>(Manager().CreateSystem(emitter));
        system->Start();
        for (int i = 0; i < 10; ++i)
            system->Update(0.1f);
        return system;
    }

    std::string DrawGolden(u32 blend, const char* golden, u32 background)
    {
        TTexture* texture = Puff();
        TIParticleSystem* system = Burst(blend, texture);
        TRenderTarget* target = BeginImage(kSize);
        m_pManager->GetDevice()->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
        TRenderContext context;
        system->Render(&context);
        return EndImage(target, golden);
    }

    TNode m_Eye;
    TCamera m_Camera;
    TNode m_Node;
};
} // namespace

TEST_F(ParticleDrawTest, EachBlendModeMatchesItsGoldenImage)
{
    for (const auto& [blend, golden, background] :
         {std::tuple{PARTICLE_BLEND_ALPHA, "particles_alphablend", 0xFF304860u}, {PARTICLE_BLEND_ADD, "particles_add", 0xFF304860u},
          {PARTICLE_BLEND_SUBTRACT, "particles_subtract", 0xFFC0D0E0u},
          {PARTICLE_BLEND_MULTIPLY, "particles_multiply", 0xFFC0D0E0u}})
    {
        TRandom::Shared().Seed(77);
        EXPECT_EQ(DrawGolden(blend, golden, background), "") << golden;
    }
}

TEST_F(ParticleDrawTest, ANodeSystemDrawsEachTimeItsQueueIsDrawnWithItsDriversApplied)
{
    const u32 id = TName("driven", true).GetId();
    auto* data = static_cast<TIParticleEmitterData*>(Manager().CreateEmitterData(&id));
    data->m_nMaxParticles = 8;
    data->StartBurst = {4.0f, 0.5f};
    data->Lifetime = {10.0f, 0.0f};
    data->aSize[0] = data->aSize[1] = data->aSize[2] = {1.0f, 0.0f};
    data->aScale[0] = data->aScale[1] = {1.0f, 0.0f};
    data->TimeScale = {1.0f, 0.0f};
    auto* nodeSystem = static_cast<TIParticleNodeSystem*>(Manager().CreateNodeSystem(&m_Node, data, nullptr));
    nodeSystem->m_nDriverCount = 2;
    nodeSystem->aDriver[0] = {PARTICLE_DRIVER_NODE_SPEED, 2, 0.0f, 10.0f, 1.0f, 3.0f};
    nodeSystem->aDriver[1] = {5, PARTICLE_DRIVER_RATE_SCALE, 0.0f, 10.0f, 0.0f, 1.0f};
    nodeSystem->Activate();
    ASSERT_NE(nodeSystem->pParticleSystem, nullptr);
    TParticleEmitter* emitter = nodeSystem->pParticleSystem->pEmitter;
    emitter->SetMultiplier(PARTICLE_MULTIPLIER_CONE, 5.0f);
    Manager().Update(0.01f);
    m_Node.m_Vector = TVector(5.0f, 0.0f, 0.0f, 0.0f);

    // The vertices the node system draws in that pass, drawn that many times.
    const auto drawn = [&](TRenderContext* pass, int times = 1) {
        const u32 before = TParticleVertexStream::Get().GetDrawnVertices();
        for (int i = 0; i < times; ++i)
            nodeSystem->Draw(pass);
        return TParticleVertexStream::Get().GetDrawnVertices() - before;
    };
    BeginImage(16);
    TRenderContext context;
    EXPECT_EQ(drawn(&context), 4 * PARTICLE_QUAD_VERTICES);
    // The node's speed 5 of 0 to 10 drives multiplier 20 to 2; multiplier 24 (source 5) the rate
    // scale to a half, on the data and its sub-emitters; the node's motion is the base velocity.
    EXPECT_FLOAT_EQ(emitter->GetMultiplier(PARTICLE_MULTIPLIER_SPEED), 2.0f);
    EXPECT_FLOAT_EQ(data->m_fRateScale, 0.5f);
    EXPECT_FLOAT_EQ(data->m_BaseVelocity.x, 5.0f);
    EXPECT_NE(data->m_nFlags & PARTICLE_RATE_CHANGED, 0u);

    // A spot pass of the same frame draws the queue again: the smoke goes over its light too.
    EXPECT_EQ(drawn(&context), 4 * PARTICLE_QUAD_VERTICES);
    // Shadow maps only with the shadow flag, every time.
    TRenderContext shadow;
    shadow.SetPassName(TName("shadow_buffer", true));
    EXPECT_EQ(drawn(&shadow), 0u);
    nodeSystem->m_nRenderFlags = PARTICLE_NODE_CASTS_SHADOW;
    EXPECT_EQ(drawn(&shadow, 2), 8 * PARTICLE_QUAD_VERTICES);
    // Not while the device does not draw.
    m_pManager->SetRunning(0);
    EXPECT_EQ(drawn(&context), 0u);
    m_pManager->SetRunning(1);
    EXPECT_EQ(drawn(&context), 4 * PARTICLE_QUAD_VERTICES);
    m_pManager->GetDevice()->EndScene();
}

// Ranks below the level of the distance are left out: the last distance of each level, and the
// first beyond it.
TEST(ParticleLod, EachDistanceLeavesOutTheRanksBelowItsLevel)
{
    for (const auto& [distance, level] : {std::pair{100.0f, 0u}, {100.00001f, 3u}, {800.0f, 10u}, {800.0001f, 12u}})
        EXPECT_EQ(ParticleLodLevel(distance), level) << distance;
}
