// The forward renderer's shaders of the game's shader repository against their golden images: a
// ground and two boxes lit by the sun, one of them reflecting its environment, and a spot light's
// pool of light on the ground added onto a dim directional pass.
#include "gameshaderfixture.h"

#include "directx/render/dxmeshdata.h"
#include "core/math/color.h"
#include "engine/render/camera.h"
#include "engine/render/environmentmanager.h"
#include "engine/render/imposterdata.h"
#include "engine/render/impostermanager.h"
#include "engine/render/light.h"
#include "engine/render/lightsettings.h"
#include "engine/render/mesh.h"
#include "engine/system/node.h"

#include <deque>
#include <vector>

namespace
{
// The "mesh_lit" layout: position, normal, texture coordinates.
struct TLitVertex
{
    f32 x, y, z;
    f32 nx, ny, nz;
    f32 u, v;
};

constexpr u32 kSize = 128;

// A face about its centre c with half-edges a and b (a x b points into the solid), its texture
// once across.
void AddFace(std::vector<TLitVertex>& vertices, const TVector& c, const TVector& a, const TVector& b)
{
    const TVector n = TVector::Cross(a, b).Normalized().Negated();
    const f32 corners[4][4] = {{1, -1, 1, 1}, {1, 1, 1, 0}, {-1, 1, 0, 0}, {-1, -1, 0, 1}};
    for (const auto& k : corners)
        vertices.push_back({c.x + k[0] * a.x + k[1] * b.x, c.y + k[0] * a.y + k[1] * b.y,
                            c.z + k[0] * a.z + k[1] * b.z, n.x, n.y, n.z, k[2], k[3]});
}

std::vector<TLitVertex> Box(f32 h)
{
    std::vector<TLitVertex> v;
    const TVector x(h, 0, 0, 0), y(0, h, 0, 0), z(0, 0, h, 0);
    AddFace(v, z.Negated(), x, y);
    AddFace(v, z, x.Negated(), y);
    AddFace(v, x, z, y);
    AddFace(v, x.Negated(), z.Negated(), y);
    AddFace(v, y, x, z);
    AddFace(v, y.Negated(), x, z.Negated());
    return v;
}

class ForwardShadersTest : public GameShaderTest
{
protected:
    void SetUp() override
    {
        GameShaderTest::SetUp();
        // The camera above and behind the origin, looking at it.
        m_Eye.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        TMatrix eye(1.0f);
        eye.SetOrientation(TVector(0.0f, -0.45f, 1.0f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
        eye.aRow[3] = TVector(0.0f, 3.0f, -6.0f, 1.0f);
        m_Eye.SetLocalMatrix(eye, TNode::OrdinaryCause());
        m_Eye.AddObject(&m_Camera);
        m_Camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
        m_Camera.m_fHorizontalFov = m_Camera.m_fVerticalFov = 60.0f;
        m_Camera.m_fNearClip = 0.5f;
        m_Camera.m_fFarClip = 100.0f;
        m_Camera.UpdateProjection(1, 1);
        m_Camera.UpdateView();
        m_pFinal->aMatrix = {m_Camera.m_ViewProjection};
    }
    void TearDown() override
    {
        g_pCurrentMeshMaterial = nullptr;
        for (TEnvironment& zone : m_aZone)
            zone.pNode->DeleteObject(&zone);
        g_pEnvironmentManager->Environments().SetCount(0);
        m_Eye.DeleteObject(&m_Camera);
        for (size_t i = 0; i < m_aObject.size(); ++i)
            m_aNode[i].DeleteObject(&m_aObject[i]);
        GameShaderTest::TearDown();
    }

    TNode& Place(const TMatrix& at)
    {
        TNode& node = m_aNode.emplace_back();
        node.m_nFlags = NODE_ENABLED | NODE_INHERITED;
        node.SetLocalMatrix(at, TNode::OrdinaryCause());
        return node;
    }

    TDxMeshData* MakeMesh(const char* name, const std::vector<TLitVertex>& vertices, TTexture* texture)
    {
        TMeshDescription description = {};
        description.nStride = sizeof(TLitVertex);
        description.nElementCount = 3;
        description.aElement[0] = {0, 1, 3, 0};  // position
        description.aElement[1] = {12, 4, 3, 0}; // normal
        description.aElement[2] = {24, 6, 2, 0}; // texture coordinates
        description.VertexLayout = TName("mesh_lit", true);
        TMaterial& material = m_aMaterial.emplace_back();
        material.aTexture[0] = texture;
        return MakeQuads(name, description, vertices, &material);
    }

    // Drawn at the placement by the pass shader, with the reflection amount of its material.
    void Draw(TDxMeshData* mesh, const TMatrix& at, TDxShader* shader, f32 reflection)
    {
        TNode& node = Place(at);
        TNodeObject& object = m_aObject.emplace_back();
        node.AddObject(&object);
        TMeshMaterial& material = m_aMeshMaterial.emplace_back();
        material.aVector[6] = TVector(reflection, 0.0f, 0.0f, 0.0f);
        g_pCurrentMeshMaterial = &material;
        mesh->DrawWithMaterials(*node.GetWorldMatrix(), &object, shader);
    }

    // The light's block as the forward renderer fills it: a directional light's own intensity.
    void UseLight(TLight& light, const TMatrix& at)
    {
        TNode& node = Place(at);
        node.AddObject(&light);
        g_LightSettings.Fill(light);
        if (light.m_nType == LIGHT_DIRECTIONAL)
            g_LightSettings.aValue[LIGHT_SETTINGS_INTENSITY] = light.m_fIntensity;
        node.DeleteObject(&light);
    }

    // A directional light of that intensity, colour and ambient, shining down and ahead.
    void Sun(f32 intensity, const TColor& colour, const TColor& ambient)
    {
        TLight sun;
        sun.m_nType = LIGHT_DIRECTIONAL;
        sun.m_fIntensity = intensity;
        std::memcpy(sun.m_aColor, &colour, sizeof colour);
        std::memcpy(sun.m_aSecondColor, &ambient, sizeof ambient);
        TMatrix shining(1.0f);
        shining.SetOrientation(TVector(0.5f, -0.8f, 0.4f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
        UseLight(sun, shining);
    }

    TDxMeshData* Ground(const char* name, u32 light, u32 dark)
    {
        std::vector<TLitVertex> ground;
        AddFace(ground, TVector(0, 0, 0, 0), TVector(4, 0, 0, 0), TVector(0, 0, 4, 0));
        return MakeMesh(name, ground, MakeChecker(name, light, dark));
    }

    void AddEnvironment(const TVector& at, f32 radius, f32 fade, TTexture* texture)
    {
        TMatrix place(1.0f);
        place.aRow[3] = at;
        TEnvironment& zone = m_aZone.emplace_back();
        Place(place).AddObject(&zone);
        zone.m_fInnerRadius = radius;
        zone.m_fFadeRange = fade;
        zone.pTexture = texture;
        g_pEnvironmentManager->Environments().Add(&zone);
    }

    TRenderTarget* Depth()
    {
        return g_pDxRenderTargetManager->CreateRenderTarget(TName("view_depth", true), kSize, kSize, 516, 0, 0, 0);
    }

    static TMatrix At(f32 x, f32 y, f32 z, f32 turn = 0.0f)
    {
        TMatrix m = TMatrix::RotationY(turn);
        m.aRow[3] = TVector(x, y, z, 1.0f);
        return m;
    }

    TNode m_Eye;
    TCamera m_Camera;
    std::deque<TNode> m_aNode;
    std::deque<TNodeObject> m_aObject;
    std::deque<TMaterial> m_aMaterial;
    std::deque<TMeshMaterial> m_aMeshMaterial;
    std::deque<TEnvironment> m_aZone;
};

TEST_F(ForwardShadersTest, TheSunLightsGroundAndBoxesAReflectiveBoxMixesInItsEnvironmentAndWireframeDrawsEdges)
{
    TDxMeshData* floor = Ground("grass", 0xFF4A7A3A, 0xFF3F6A32);
    TDxMeshData* crate = MakeMesh("crate", Box(0.75f), MakeChecker("crate", 0xFFE08030, 0xFFB06020));
    TDxMeshData* metal = MakeMesh("metal", Box(0.75f), MakeChecker("metal", 0xFF707070, 0xFF606060));
    // The global sky and a warm local zone about the metal box, which stands in its fade.
    AddEnvironment(TVector(0, 0, 0, 1), 0.0f, 0.0f, MakeChecker("sky", 0xFF80B0F0, 0xFF6090D0));
    AddEnvironment(TVector(2.5f, 0.75f, 0.5f, 1), 0.5f, 3.0f, MakeChecker("hangar", 0xFFF0A060, 0xFFC08040));

    Sun(1.0f, {1.0f, 0.95f, 0.8f, 1.0f}, {0.25f, 0.28f, 0.35f, 1.0f});

    TDxShader* shader = Shader("Shader_forwardrendering_light_directional");
    TRenderTarget* target = BeginImage(kSize, Depth());
    Draw(floor, At(0, 0, 0), shader, 0.0f);
    Draw(crate, At(-1.3f, 0.75f, 0.0f, 30.0f), shader, 0.0f);
    // The metal box's queue sets the define of reflecting objects on the pass shader.
    shader->SetDefine(g_NameReflectionDefine, TName("1", true));
    Draw(metal, At(1.3f, 0.75f, 0.5f, -20.0f), shader, 0.4f);
    shader->RemoveDefine(g_NameReflectionDefine);
    EXPECT_EQ(EndImage(target, "forward_directional"), "");

    // The debug switch render.wireframe sets the define "Wireframe": the same pass draws the edges.
    Sun(1.0f, {1.0f, 1.0f, 1.0f, 1.0f}, {0.3f, 0.3f, 0.3f, 1.0f});
    const TName wireframe("Wireframe", true);
    shader->SetDefine(wireframe, TName("1", true));
    target = BeginImage(kSize, Depth());
    Draw(crate, At(0.0f, 0.75f, 0.0f, 30.0f), shader, 0.0f);
    shader->RemoveDefine(wireframe);
    EXPECT_EQ(EndImage(target, "debug_wireframe"), "");
}

TEST_F(ForwardShadersTest, ASpotLightAddsAConeFadingWithItsRangeAndAngleReachingTheEdgeOfBoth)
{
    TDxMeshData* floor = Ground("apron", 0xFFB0B0B0, 0xFF909090);
    TDxMeshData* crate = MakeMesh("crate", Box(0.5f), MakeChecker("crate", 0xFFE08030, 0xFFB06020));
    TRenderTarget* target = BeginImage(kSize, Depth());

    // A dim night: the directional pass gives the ambient alone.
    Sun(0.0f, {0.0f, 0.0f, 0.0f, 0.0f}, {0.08f, 0.08f, 0.12f, 1.0f});
    TDxShader* directional = Shader("Shader_forwardrendering_light_directional");
    Draw(floor, At(0, 0, 0), directional, 0.0f);
    Draw(crate, At(0.8f, 0.5f, 0.4f, 25.0f), directional, 0.0f);

    // A spot light at the point, shining along the direction, as the pass takes it.
    const auto shine = [&](const TVector& from, const TVector& along, f32 range, f32 inner, f32 outer, f32 intensity,
                           const f32 (&colour)[4]) {
        TLight light;
        light.m_nType = LIGHT_SPOT;
        light.m_fIntensity = intensity;
        light.m_fRange = range;
        light.SetCone(inner, outer);
        std::memcpy(light.m_aColor, colour, sizeof colour);
        TMatrix at(1.0f);
        at.SetOrientation(along.Normalized(), TVector(0.0f, 0.0f, 1.0f, 0.0f));
        at.aRow[3] = from;
        UseLight(light, at);
    };
    // A floodlight above, tilted towards the camera's side.
    const f32 warm[4] = {1.0f, 0.85f, 0.6f, 1.0f};
    shine(TVector(0.0f, 4.0f, 0.0f, 1.0f), TVector(0.15f, -1.0f, 0.1f, 0.0f), 7.0f, 0.35f, 0.6f, 1.5f, warm);
    TDxShader* spot = Shader("Shader_forwardrendering_light_spot");
    Draw(floor, At(0, 0, 0), spot, 0.0f);
    Draw(crate, At(0.8f, 0.5f, 0.4f, 25.0f), spot, 0.0f);
    EXPECT_EQ(EndImage(target, "forward_spot"), "");

    // Spot light reaches to the very edge of its range and the rim of its cone, faint there: a
    // strong light straight down whose range ends on the ground before its wide cone does, and a
    // narrow one whose cone's rim lies on the ground well within its range.
    target = BeginImage(kSize, Depth());
    Sun(0.0f, {0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f});
    Draw(floor, At(0, 0, 0), directional, 0.0f);
    const f32 white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const TVector down(0.0f, -1.0f, 0.0f, 0.0f);
    // Range 3 from 2 up: a ring of radius 2.24 on the ground, its cone's rim at 5.1.
    shine(TVector(1.0f, 2.0f, 0.0f, 1.0f), down, 3.0f, 1.0f, 1.2f, 20.0f, white);
    Draw(floor, At(0, 0, 0), spot, 0.0f);
    // Cone 0.4 from 3 up: a rim of radius 1.27, its range's ring at 9.5.
    shine(TVector(-2.0f, 3.0f, 0.0f, 1.0f), down, 10.0f, 0.1f, 0.4f, 3.0f, white);
    Draw(floor, At(0, 0, 0), spot, 0.0f);
    EXPECT_EQ(EndImage(target, "forward_spot_reach"), "");
}

// An imposter of size 100 (two units) on the ground, its colour texture lit by the sun.
TEST_F(ForwardShadersTest, EveryProgramTheForwardPassesAskForIsListedAndAnImposterStandsUprightLitByTheSun)
{
    TImposterData data{};
    data.pTextureColor = MakeChecker("tree", 0xFF20C020, 0xFF20C020);
    g_pImposterManager->ImposterData().Add(&data);
    g_pImposterManager->SetShader(Shader("Shader_imposter_forwardrendering"));
    TMatrix tree(1.0f);
    tree.aRow[1] = TVector(0.0f, 2.0f, 0.0f, 0.0f);
    const f32 white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    ASSERT_EQ(g_pImposterManager->QueueDraw(&data, tree, white, 1.0f), 1u);

    TRenderTarget* target = BeginImage(kSize, Depth());
    g_pImposterManager->DrawImposters();
    m_pManager->GetDevice()->EndScene();
    g_pImposterManager->ImposterData().SetCount(0);
    g_pImposterManager->SetShader(nullptr);
    u32 bytes = 0;
    const auto* pixels = static_cast<const u32*>(target->Lock(bytes, RENDER_TARGET_LOCK_READ));
    ASSERT_NE(pixels, nullptr);
    // The square is the texture, unchanged by a white sun; everything else the background.
    u32 green = 0, background = 0;
    for (u32 i = 0; i < kSize * kSize; ++i)
    {
        green += pixels[i] == 0xFF20C020;
        background += pixels[i] == 0xFF203040;
    }
    target->Unlock();
    EXPECT_GT(green, 200u);
    EXPECT_EQ(green + background, kSize * kSize);
    TMeshDescription mesh = {};
    for (const char* name : {"Shader_forwardrendering_light_directional", "Shader_forwardrendering_light_spot"})
        for (bool reflect : {false, true})
            for (const char* layout : {"mesh_lit", "mesh"})
                for (u32 mask : {0u, 1u})
                {
                    TDxShader* shader = Shader(name);
                    ASSERT_EQ(shader->Require(), 0u);
                    if (reflect)
                        shader->SetDefine(g_NameReflectionDefine, TName("1", true));
                    mesh.VertexLayout = TName(layout, true);
                    TMaterial material;
                    material.aTexture[0] = mask ? MakeChecker("any", 0, 0) : nullptr;
                    ASSERT_EQ(shader->Begin(nullptr, &mesh, &material), 0)
                        << name << " " << reflect << " " << layout << " " << mask;
                    shader->End();
                    shader->RemoveDefine(g_NameReflectionDefine);
                }
    TDxShader* imposter = Shader("Shader_imposter_forwardrendering");
    ASSERT_EQ(imposter->Require(), 0u);
    mesh.VertexLayout = TName("imposter", true);
    TTexture* texture = MakeChecker("imposter", 0, 0);
    for (u32 mask : {0u, 1u, 4u, 5u})
    {
        imposter->SetTexture(0, mask & 1 ? texture : nullptr)->SetTexture(2, mask & 4 ? texture : nullptr);
        ASSERT_EQ(imposter->Begin(nullptr, &mesh, nullptr), 0) << mask;
        imposter->End();
    }
}
} // namespace
