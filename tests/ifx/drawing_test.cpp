// Particles drawn through the game's particle shaders on the software device: one golden image a
// blend mode, the LOD ranks a distance leaves out, the shadow pass and its switch, the pass's
// defines, and the quads' corners and texture rectangles.
#include "gameshaderfixture.h"

#include "core/math/random.h"
#include "directx/render/dxcameramanager.h"
#include "engine/render/camera.h"
#include "engine/render/rendercontext.h"
#include "engine/render/texture.h"
#include "engine/system/node.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/particlequad.h"
#include "ifx/particlevertexstream.h"

#include <cmath>
#include <cstring>
#include <set>
#include <vector>

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

TEST_F(ParticleDrawTest, AlphaBlendedParticlesMatchTheirGoldenImage)
{
    EXPECT_EQ(DrawGolden(PARTICLE_BLEND_ALPHA, "particles_alphablend", 0xFF304860), "");
}

TEST_F(ParticleDrawTest, AddedParticlesMatchTheirGoldenImage)
{
    EXPECT_EQ(DrawGolden(PARTICLE_BLEND_ADD, "particles_add", 0xFF304860), "");
}

TEST_F(ParticleDrawTest, SubtractedParticlesMatchTheirGoldenImage)
{
    EXPECT_EQ(DrawGolden(PARTICLE_BLEND_SUBTRACT, "particles_subtract", 0xFFC0D0E0), "");
}

TEST_F(ParticleDrawTest, MultiplyingParticlesMatchTheirGoldenImage)
{
    EXPECT_EQ(DrawGolden(PARTICLE_BLEND_MULTIPLY, "particles_multiply", 0xFFC0D0E0), "");
}

namespace
{
// Sixteen particles at the origin, one of each LOD rank.
TIParticleSystem* Ranked(TNode& node)
{
    const u32 id = TName("ranked", true).GetId();
    auto* data = static_cast<TIParticleEmitterData*>(g_pParticleManager->CreateEmitterData(&id));
    data->m_nMaxParticles = 16;
    data->Lifetime = {10.0f, 0.0f};
    data->aSize[0] = data->aSize[1] = data->aSize[2] = {1.0f, 0.0f};
    data->aScale[0] = data->aScale[1] = {1.0f, 0.0f};
    data->TimeScale = {1.0f, 0.0f};
    TParticleEmitter* emitter = g_pParticleManager->CreateEmitter(&node, data);
    auto* system = static_cast<TIParticleSystem*>(g_pParticleManager->CreateSystem(emitter));
    system->ResetParticles();
    emitter->Emit(16);
    system->Update(0.001f);
    return system;
}
} // namespace

TEST_F(ParticleDrawTest, DistantSystemsDrawAShareOfTheirRanks)
{
    for (auto [distance, level] : {std::pair{100.0f, 0u}, {100.5f, 3u}, {200.5f, 6u}, {800.0f, 10u}, {800.5f, 12u}})
        EXPECT_EQ(ParticleLodLevel(distance), level) << distance;

    TIParticleSystem* system = Ranked(m_Node);
    std::set<u32> ranks;
    for (i32 i = 0; i < 16; ++i)
        ranks.insert(system->aParticle[i].nLodRank);
    ASSERT_EQ(ranks.size(), 16u);
    TParticleVertexStream& stream = TParticleVertexStream::Get();
    const auto drawnAt = [&](f32 distance) {
        LookFrom(distance);
        BeginImage(16);
        const u32 before = stream.GetDrawnVertices();
        TRenderContext context;
        system->Render(&context);
        m_pManager->GetDevice()->EndScene();
        return (stream.GetDrawnVertices() - before) / PARTICLE_QUAD_VERTICES;
    };
    EXPECT_EQ(drawnAt(50.0f), 16u);
    EXPECT_EQ(drawnAt(150.0f), 13u);
    EXPECT_EQ(drawnAt(900.0f), 4u);
}

TEST_F(ParticleDrawTest, TheShadowPassAndThePassDefines)
{
    TIParticleSystem* system = Ranked(m_Node);
    TParticleVertexStream& stream = TParticleVertexStream::Get();
    TDxShader* shadow = Shader("Shader_particle_shadow");
    TDxShader* alpha = Shader("Shader_particle_alphablend");
    TDxShader* pass = Shader("Shader_mesh");
    pass->SetDefine(TName("DAlphaBlend", true), TName("1", true));
    TRenderContext context(pass);
    context.SetPassName(TName("shadow_buffer", true));
    TRenderTarget* depth =
        g_pDxRenderTargetManager->CreateRenderTarget(TName("depth", true), 32, 32, 516, 0, 0, 0);
    BeginImage(32, depth);

    // Switched off: nothing drawn, the shadow shader not even given the pass's defines.
    SetParticleShadowsEnabled(0);
    shadow->SetDefine(TName("DStale", true), TName("1", true));
    u32 before = stream.GetDrawnVertices();
    system->Render(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before);
    EXPECT_STREQ(shadow->GetDefineText().GetText(), "DStale=1|");

    // On: the shadow shader takes the pass's defines without "DAlphaBlend", and draws.
    SetParticleShadowsEnabled(1);
    system->Render(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before + 16 * PARTICLE_QUAD_VERTICES);
    EXPECT_EQ(shadow->GetDefineText().GetId(), 0u);
    EXPECT_EQ(alpha->m_aDefine.GetCount(), 0u);

    // An ordinary pass draws with the blend mode's shader, with the pass's defines likewise.
    alpha->SetDefine(TName("DStale", true), TName("1", true));
    context.SetPassName(TName());
    before = stream.GetDrawnVertices();
    system->Render(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before + 16 * PARTICLE_QUAD_VERTICES);
    EXPECT_EQ(alpha->m_aDefine.GetCount(), 0u);
    pass->RemoveDefine(TName("DAlphaBlend", true));
    m_pManager->GetDevice()->EndScene();
    // Blend modes past 3 have no shader: nothing drawn.
    system->pEmitter->pEmitterData->m_nBlendMode = 4;
    before = stream.GetDrawnVertices();
    system->Render(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before);
}

TEST_F(ParticleDrawTest, QuadsTurnStretchAndTakeTheirSheetFrame)
{
    const u32 id = TName("quads", true).GetId();
    auto* data = static_cast<TIParticleEmitterData*>(Manager().CreateEmitterData(&id));
    data->aScale[0] = {2.0f, 0.0f};
    data->aScale[1] = {1.0f, 0.0f};
    const f32 rectangle[4] = {0.0f, 0.0f, 1.0f, 0.5f};
    std::memcpy(data->aTextureRect, rectangle, sizeof rectangle);
    data->m_nQuadRotationMode = PARTICLE_ROTATION_ANGLE;
    data->m_nQuadOrientation = PARTICLE_WORLD_FRAME;
    for (f32& m : data->aColorMultiplier)
        m = 1.0f;
    data->aColorKey[0][0] = 1.0f;
    data->aColorKey[0][3] = 1.0f;
    data->aColorKeyAge[0] = data->aColorKeyAge[1] = 1.0f;
    TMatrix node(1.0f);
    node.aRow[3] = TVector(5.0f, 0.0f, 0.0f, 1.0f);

    TParticle p = {};
    p.aPosition[1] = 1.0f;
    p.aScale[0] = 1.0f;
    p.aSize[0] = p.aSize[1] = p.aSize[2] = 2.0f;
    TParticleVertex quad[PARTICLE_QUAD_VERTICES];
    const auto write = [&] { TParticleQuadWriter(*data, node, m_Camera, nullptr).Write(p, quad); };
    write();
    // Half size 1; corners at +-(h R1 + w R2) and +-(h R1 - w R2): R1 = X, R2 = Y, w 2, h 1.
    // The second position is the emitter's world centre; the frame is normal, tangent, binormal.
    for (auto [got, expected] : {std::pair{quad[0].aPosition[0], 1.0f}, {quad[0].aPosition[1], 3.0f}, {quad[1].aPosition[1], -1.0f},
                                 {quad[2].aPosition[0], -1.0f}, {quad[5].aPosition[1], 3.0f}, {quad[5].aPosition[0], -1.0f},
                                 {quad[3].aCentre[0], 5.0f}, {quad[0].aNormal[2], 1.0f}, {quad[0].aTangent[0], 1.0f},
                                 {quad[0].aBinormal[1], 1.0f}, {quad[0].aTexCoord[0], 1.0f}, {quad[0].aTexCoord[1], 0.0f},
                                 {quad[1].aTexCoord[1], 0.5f}})
        EXPECT_FLOAT_EQ(got, expected);
    EXPECT_EQ(quad[0].nColour, 0xFFFF0000u);

    // Turned a quarter: the first axis becomes Y; plus 45 degrees in rotation mode 0.
    p.aAngle[0] = 90.0f;
    write();
    EXPECT_NEAR(quad[0].aTangent[1], 1.0f, 1e-6f);
    data->m_nQuadRotationMode = PARTICLE_ROTATION_PLUS_45;
    p.aAngle[0] = -45.0f;
    write();
    EXPECT_NEAR(quad[0].aTangent[0], 1.0f, 1e-6f);

    // A 16-texel-wide texture moves every value by half a texel; a sheet of 4 frames in 2
    // columns takes frame 3's cell; frames past the last stay on it.
    TTexture* texture = Puff();
    data->m_nSheetFrames = 4;
    data->m_nSheetColumns = 2;
    const TParticleQuadWriter sheet(*data, node, m_Camera, texture);
    f32 cell[4];
    sheet.FrameRectangle(3.0f, cell);
    const f32 half = 0.5f / 16.0f;
    EXPECT_FLOAT_EQ(cell[0], half + 0.5f);
    EXPECT_FLOAT_EQ(cell[1], half + 0.25f);
    EXPECT_FLOAT_EQ(cell[2], half + 1.0f);
    EXPECT_FLOAT_EQ(cell[3], half + 0.5f);
    sheet.FrameRectangle(9.0f, cell);
    EXPECT_FLOAT_EQ(cell[0], half + 0.5f);
    sheet.FrameRectangle(-1.0f, cell);
    EXPECT_FLOAT_EQ(cell[0], half);
    // The layout byte 0 lays the frames in one row.
    data->m_nSheetColumns = 0;
    const TParticleQuadWriter row(*data, node, m_Camera, texture);
    row.FrameRectangle(1.0f, cell);
    EXPECT_FLOAT_EQ(cell[0], half + 0.25f);
    EXPECT_FLOAT_EQ(cell[3], half + 0.5f);

    // Orientation modes past 9 face the camera.
    data->m_nQuadOrientation = 10;
    data->m_nQuadRotationMode = PARTICLE_ROTATION_ANGLE;
    p.aAngle[0] = 0.0f;
    const TMatrix turned = TMatrix::RotationY(90.0f);
    const TParticleQuadWriter facing(*data, turned, m_Camera, nullptr);
    const TParticleQuadWriter::TFrame frame = facing.MakeFrame(p, TVector(0, 1, 0, 1));
    for (u32 axis = 0; axis < 3; ++axis)
        EXPECT_FLOAT_EQ(frame.aAxis[axis].Dot(m_Camera.m_Placement.aRow[axis]), 1.0f) << axis;
    // Along the direction, the camera's Y made perpendicular to it.
    data->m_nQuadOrientation = PARTICLE_ALONG_DIRECTION;
    p.aDirection[0] = 1.0f;
    p.aDirection[1] = 1.0f;
    const TParticleQuadWriter along(*data, node, m_Camera, nullptr);
    const TParticleQuadWriter::TFrame flight = along.MakeFrame(p, TVector(0, 1, 0, 1));
    EXPECT_NEAR(flight.aAxis[0].x, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(flight.aAxis[0].Dot(flight.aAxis[1]), 0.0f, 1e-6f);
    EXPECT_NEAR(flight.aAxis[1].Length(), 1.0f, 1e-6f);
}

TEST_F(ParticleDrawTest, TheStreamsVertexHasSevenElementsInOrder)
{
    const TMeshDescription& format = ParticleVertexFormat();
    EXPECT_EQ(format.nStride, 72u);
    ASSERT_EQ(format.nElementCount, 7u);
    // usage, type, usage index, offset
    const u32 elements[7][4] = {{1, 3, 0, 0}, {1, 3, 1, 12}, {4, 3, 0, 24}, {7, 3, 0, 36}, {8, 3, 0, 48}, {6, 2, 0, 60}, {11, 5, 0, 68}};
    for (u32 i = 0; i < 7; ++i)
    {
        const auto& e = format.aElement[i];
        EXPECT_EQ(std::vector<u32>({e.nUsage, e.nType, e.nUsageIndex, e.nFirst}), std::vector<u32>(elements[i], elements[i] + 4)) << i;
    }
    EXPECT_STREQ(format.VertexLayout.GetText(), "particle");
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

    TParticleVertexStream& stream = TParticleVertexStream::Get();
    BeginImage(16);
    TRenderContext context;
    u32 before = stream.GetDrawnVertices();
    nodeSystem->Draw(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before + 4 * PARTICLE_QUAD_VERTICES);
    // The node's speed 5 of 0 to 10 drives multiplier 20 to 2; multiplier 24 (source 5) the rate
    // scale to a half, on the data and its sub-emitters; the node's motion is the base velocity.
    EXPECT_FLOAT_EQ(emitter->GetMultiplier(PARTICLE_MULTIPLIER_SPEED), 2.0f);
    EXPECT_FLOAT_EQ(data->m_fRateScale, 0.5f);
    EXPECT_FLOAT_EQ(data->m_BaseVelocity.x, 5.0f);
    EXPECT_NE(data->m_nFlags & PARTICLE_RATE_CHANGED, 0u);

    // A spot pass of the same frame draws the queue again: the smoke goes over its light too.
    before = stream.GetDrawnVertices();
    nodeSystem->Draw(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before + 4 * PARTICLE_QUAD_VERTICES);
    // Shadow maps only with the shadow flag, every time.
    before = stream.GetDrawnVertices();
    TRenderContext shadow;
    shadow.SetPassName(TName("shadow_buffer", true));
    nodeSystem->Draw(&shadow);
    EXPECT_EQ(stream.GetDrawnVertices(), before);
    nodeSystem->m_nRenderFlags = PARTICLE_NODE_CASTS_SHADOW;
    nodeSystem->Draw(&shadow);
    nodeSystem->Draw(&shadow);
    EXPECT_EQ(stream.GetDrawnVertices(), before + 8 * PARTICLE_QUAD_VERTICES);
    // Not while the device does not draw.
    m_pManager->SetRunning(0);
    before = stream.GetDrawnVertices();
    nodeSystem->Draw(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before);
    m_pManager->SetRunning(1);
    nodeSystem->Draw(&context);
    EXPECT_EQ(stream.GetDrawnVertices(), before + 4 * PARTICLE_QUAD_VERTICES);
    m_pManager->GetDevice()->EndScene();
}
