// The shader repository the build writes (tools/shaders): its shaders load from it, find their
// programs by key and draw; the scene's shading models (objects, instances, skinned vertices,
// two texture stages) against their golden images.
#include "gameshaderfixture.h"

namespace
{
TMeshVertexElement StreamElement(u32 first, u32 usage, u32 type, u32 index = 0)
{
    return {first, usage, type, index};
}

// Position (float3), texture coordinates (float2), colour; the blend indices of instances and
// of skins (ubyte4) and the skin's weights (float4) behind.
struct TVertex
{
    f32 x, y, z;
    f32 u, v;
    u32 nColor;
    u8 aBone[4];
    f32 aWeight[4];
};

class ShaderRepositoryTest : public GameShaderTest
{
protected:
    TMeshDescription Layout(const char* name, u32 extra) const
    {
        TMeshDescription description = {};
        description.nStride = sizeof(TVertex);
        description.nElementCount = 3;
        description.aElement[0] = StreamElement(0, 1, 3);   // position
        description.aElement[1] = StreamElement(12, 6, 2);  // texture coordinates
        description.aElement[2] = StreamElement(20, 11, 5); // colour
        if (extra >= 1)
            description.aElement[description.nElementCount++] = StreamElement(24, 3, 6); // blend indices
        if (extra >= 2)
            description.aElement[description.nElementCount++] = StreamElement(28, 2, 4); // blend weights
        description.VertexLayout = TName(name, true);
        return description;
    }

    // A quad from (x0, y0) to (x1, y1) in clip space, its corners in the given colours.
    static void AddQuad(std::vector<TVertex>& vertices, f32 x0, f32 y0, f32 x1, f32 y1, const u32 (&colours)[4],
                        u8 bone = 0)
    {
        // Clockwise on the screen: the front faces the meshes' shaders draw.
        const f32 corners[4][4] = {{x0, y0, 0, 1}, {x0, y1, 0, 0}, {x1, y1, 1, 0}, {x1, y0, 1, 1}};
        for (u32 i = 0; i < 4; ++i)
            vertices.push_back({corners[i][0], corners[i][1], 0.5f, corners[i][2], corners[i][3], colours[i],
                                {bone, static_cast<u8>(bone + 1), 0, 0}, {0.75f, 0.25f, 0.0f, 0.0f}});
    }

};

const u32 kWhiteTexels[4] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
const u32 kRainbow[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00};

TEST_F(ShaderRepositoryTest, EveryShaderTheCanvasBindsFindsAProgramWithAndWithoutATexture)
{
    EXPECT_NE(g_pDxShaderManager->FindGlobalParameter(TName("CanvasColor")), nullptr);
    EXPECT_NE(g_pDxShaderManager->m_pGlobalEffect, nullptr);
    TMeshDescription canvas = {};
    canvas.VertexLayout = TName("canvas", true);
    TTexture* texture = MakeChecker("checker", 0xFFFFFFFF, 0xFF000000);
    for (const char* name : {"Shader_canvas", "Shader_canvasalpha", "Shader_canvasmul", "Shader_canvasadd",
                             "Shader_canvas2d", "Shader_canvas2dline", "Shader_canvas3d", "Shader_canvas3dAlpha",
                             "Shader_canvas3dline", "Shader_canvas3dAdd", "Shader_canvas3dMul"})
    {
        TDxShader* shader = Shader(name);
        ASSERT_NE(shader, nullptr);
        ASSERT_EQ(shader->Require(), 0u) << name;
        for (TTexture* slot : {static_cast<TTexture*>(nullptr), texture})
        {
            shader->SetTexture(0, slot);
            ASSERT_EQ(shader->Begin(nullptr, &canvas, nullptr), 0) << name;
            ASSERT_NE(shader->GetCurrentProgram(), nullptr);
            EXPECT_NE(shader->GetCurrentProgram()->pEffect, nullptr) << name;
            // The textured program links the slot's texture onto sampler 0.
            EXPECT_EQ(Bound(0) != nullptr, slot != nullptr) << name;
            shader->End();
        }
        shader->SetTexture(0, nullptr);
    }
}

TEST_F(ShaderRepositoryTest, TexturedColouredAndInstancedMeshesMatchTheirGoldenImages)
{
    std::vector<TVertex> vertices;
    AddQuad(vertices, -0.9f, -0.9f, -0.1f, 0.9f, kRainbow);
    TDxMeshData* coloured = MakeQuads("coloured", Layout("mesh", 0), vertices);
    vertices.clear();
    AddQuad(vertices, 0.1f, -0.9f, 0.9f, 0.9f, kWhiteTexels);
    TDxMeshData* textured = MakeQuads("textured", Layout("mesh", 0), vertices);
    TDxShader* shader = Shader("Shader_mesh");
    TTexture* checker = MakeChecker("checker", 0xFFFF8000, 0xFF0080FF);

    TRenderTarget* target = BeginImage();
    coloured->Draw(TMatrix(1.0f), shader, nullptr);
    shader->SetTexture(0, checker);
    // Moved by its world matrix: up by a tenth of the view.
    TMatrix up(1.0f);
    up.aRow[3] = TVector(0.0f, 0.1f, 0.0f, 1.0f);
    textured->Draw(up, shader, nullptr);
    EXPECT_EQ(EndImage(target, "shaders_mesh"), "");

    // Instances are placed and tinted by their own matrix and colour.
    // Two copies of a small quad: the first blend index tells the copy.
    vertices.clear();
    AddQuad(vertices, -0.2f, -0.2f, 0.2f, 0.2f, kWhiteTexels, 0);
    AddQuad(vertices, -0.2f, -0.2f, 0.2f, 0.2f, kWhiteTexels, 1);
    TDxMeshData* mesh = MakeQuads("crate", Layout("mesh_instanced", 1), vertices);
    u8 parameters[MESH_OBJECT_PARAMETERS_SIZE] = {};
    mesh->CreateInstancing(2, parameters);
    TDxShader* instanced = Shader("Shader_meshinstanced");

    target = BeginImage();
    const TVector tints[3] = {TVector(1.0f, 0.2f, 0.2f, 1.0f), TVector(0.2f, 1.0f, 0.2f, 1.0f),
                              TVector(0.3f, 0.3f, 1.0f, 1.0f)};
    for (u32 i = 0; i < 3; ++i)
    {
        TMatrix place = TMatrix::RotationZ(15.0f * static_cast<f32>(i));
        place.aRow[3] = TVector(-0.6f + 0.6f * static_cast<f32>(i), 0.3f * static_cast<f32>(i) - 0.3f, 0.0f, 1.0f);
        std::memcpy(parameters, &tints[i], sizeof(TVector));
        g_pDxMeshManager->SetObjectParameters(parameters);
        mesh->Draw(place, instanced, nullptr);
    }
    g_pDxMeshManager->FlushInstancing();
    EXPECT_EQ(EndImage(target, "shaders_instances"), "");
}

} // namespace
