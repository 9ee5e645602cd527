#include "levelvegetation.h"
#include "levelmeshes.h"

#include "core/system/string.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/imposterdata.h"
#include "engine/render/impostermanager.h"
#include "engine/render/mesh.h"
#include "engine/render/propdatarender.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/vegetation/vegetationarea.h"
#include "igame/effects/vegetation/vegetationcluster.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"
#include "igame/effects/vegetation/vegetationmanager.h"
#include "igame/effects/vegetation/vegetationvertex.h"
#include "repositorywriter.h"

#include <cmath>
#include <memory>
#include <vector>

namespace
{
constexpr u32 BLADES_SIZE = 32;
constexpr u32 PLANT_KINDS = 2;
// Instances a patch: a grid across the strip, each moved by up to half its spacing.
constexpr f32 INSTANCE_SPACING = 1.5f;
constexpr u32 PATCH_SEED = 0x5EED;
// A strip of grass along the north edge of the aerodrome's runway, towards its west end.
constexpr TVegetationStrip AERODROME_STRIP = {1000.0f, 1300.0f, -262.0f, 8.0f};
// Along the test scene's near edge, behind the camera's view of the apron (the other effects'
// frames stay as they are).
constexpr TVegetationStrip LEVEL_STRIP = {10.0f, 70.0f, -96.0f, 6.0f};

// Blades: vertical stripes of two greens (the flowering kind dotted yellow at the top).
std::vector<u32> Blades(bool flowers)
{
    std::vector<u32> pixels(BLADES_SIZE * BLADES_SIZE);
    for (u32 y = 0; y < BLADES_SIZE; ++y)
        for (u32 x = 0; x < BLADES_SIZE; ++x)
        {
            const bool light = (x * 7 + y / 5) % 5 < 2;
            u32 colour = light ? 0xFF4E9A2E : 0xFF2F6B1F;
            if (flowers && y < 8 && (x * 3 + y) % 7 == 0)
                colour = 0xFFE8D040;
            pixels[y * BLADES_SIZE + x] = colour;
        }
    return pixels;
}

// The far quads' pictures: one column of the shared imposter texture a plant kind (an imposter
// type a kind: the instances' kind byte is their quads' type).
constexpr u32 IMPOSTER_COLUMN = 32;
// A tuft's half width and height in its size (the far quad is one size wide and tall).
constexpr f32 TUFT_HALF_WIDTH = 0.35f;
constexpr f32 TUFT_HEIGHT[PLANT_KINDS] = {0.5f, 0.7f};

// Each kind's tuft seen from the side, standing on the bottom of its column: its blades (as the
// mesh's texture) up to the tuft's height, a little ragged, and clear around them.
std::vector<u32> ImposterPictures()
{
    const u32 width = IMPOSTER_COLUMN * PLANT_KINDS;
    std::vector<u32> pixels(width * IMPOSTER_COLUMN, 0x002F6B1F);
    for (u32 k = 0; k < PLANT_KINDS; ++k)
    {
        const std::vector<u32> blades = Blades(k == 1);
        for (u32 x = 0; x < IMPOSTER_COLUMN; ++x)
        {
            const f32 across = std::fabs((x + 0.5f) / IMPOSTER_COLUMN - 0.5f);
            if (across > TUFT_HALF_WIDTH)
                continue;
            const f32 height = TUFT_HEIGHT[k] * (0.75f + 0.25f * static_cast<f32>((x * 5) % 7) / 6.0f);
            const u32 top = IMPOSTER_COLUMN - static_cast<u32>(height * IMPOSTER_COLUMN);
            for (u32 y = top; y < IMPOSTER_COLUMN; ++y)
                pixels[y * width + k * IMPOSTER_COLUMN + x] = blades[y * BLADES_SIZE + x % BLADES_SIZE];
        }
    }
    return pixels;
}

// A tuft: two crossed upright quads of half width w and height h about (x, z), seen from both
// sides.
void AddTuft(std::vector<TLitVertex>& out, f32 x, f32 z, f32 w, f32 h, f32 turn)
{
    const f32 c = std::cos(turn), s = std::sin(turn);
    const TVector centre(x, h * 0.5f, z, 1.0f);
    const TVector up(0.0f, h * 0.5f, 0.0f, 0.0f);
    for (const TVector& across : {TVector(w * c, 0.0f, w * s, 0.0f), TVector(-w * s, 0.0f, w * c, 0.0f)})
    {
        AddFace(out, centre, across, up);
        AddFace(out, centre, across.Negated(), up);
    }
}

// A plant mesh in the "vegetation" layout: each vertex with its cell of the ground grid under the
// mesh's box, so that the shaders stand it on the ground.
TDxMeshData* PlantMeshData(TRepositoryWriter& writer, const char* name, const std::vector<TLitVertex>& lit,
                           TMaterial* material)
{
    const TBoundBox box = VerticesBox(lit.data(), static_cast<u32>(lit.size()), sizeof(TLitVertex));
    std::vector<TVegetationVertex> vertices;
    for (const TLitVertex& v : lit)
        vertices.push_back({v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v,
                            static_cast<f32>(VegetationGroundCell(v.x, v.z, box))});
    return MakeMeshData(writer, name, VegetationVertexDescription(), vertices.data(),
                        static_cast<u32>(vertices.size()), material);
}

// The generator of the instances' places: the same sequence on every run.
struct TLcg
{
    u32 nState;
    f32 Next()
    {
        nState = nState * 1664525u + 1013904223u;
        return static_cast<f32>(nState >> 8) / static_cast<f32>(1u << 24);
    }
};

i16 Steps(f32 world)
{
    return static_cast<i16>(std::lround(world / 0.1f));
}

// The queue went with the cluster too.
void Forget(TRenderObject& object)
{
    object.pNode = nullptr;
    object.pRenderQueue = nullptr;
    object.pPrev = object.pNext = nullptr;
}

struct TLevelVegetation
{
    TLevelVegetation(TRepositoryWriter& writer, TNode* level, const TVegetationStrip& strip);
    // The written level's cluster has freed the nodes by now: the objects leave no node.
    ~TLevelVegetation()
    {
        for (TVegetationArea& area : areas)
            Forget(area);
        for (TVegetationClusterProxy& proxy : proxies)
            Forget(proxy);
    }

    TVegetationArea areas[LEVEL_VEGETATION_AREAS];
    TVegetationCluster patches[LEVEL_VEGETATION_PATCHES];
    TVegetationClusterProxy proxies[LEVEL_VEGETATION_PATCHES];
    TPropDataRender kinds[PLANT_KINDS]{};
    TImposterData imposters[PLANT_KINDS]{};
    std::vector<TImposterRecord> instances[LEVEL_VEGETATION_PATCHES];
};

TLevelVegetation::TLevelVegetation(TRepositoryWriter& writer, TNode* level, const TVegetationStrip& strip)
{
    TVegetationManager& manager = *g_pVegetationManager;
    TRenderQueue* normal = g_pRenderSceneManager->Scenes()[0]->FindQueue(TName("Normal", true));
    // The far quads are drawn by the imposter manager once the queue is drawn: it hears the queue.
    normal->m_nFlags |= RENDER_QUEUE_NOTIFY;
    TNode* plants = g_pNodeManager->CreateNode("vegetation_plants");
    level->AddChild(plants);
    plants->Enable(0, 0);

    // The plant kinds: a tuft of grass, a tuft in flower; their meshes drawn only per instance.
    const char* kindNames[PLANT_KINDS] = {"grass_tuft", "flower_tuft"};
    TTexture* textures[PLANT_KINDS] = {};
    for (u32 k = 0; k < PLANT_KINDS; ++k)
    {
        TMaterial* material = g_pDxMaterialManager->CreateMaterial(TName(kindNames[k], true));
        textures[k] = MakeTexture(writer, kindNames[k], BLADES_SIZE, BLADES_SIZE, Blades(k == 1));
        material->aTexture[0] = textures[k];
        std::vector<TLitVertex> tuft;
        AddTuft(tuft, 0.0f, 0.0f, TUFT_HALF_WIDTH, TUFT_HEIGHT[k], 0.4f);
        TNode* node = g_pNodeManager->CreateNode(kindNames[k]);
        plants->AddChild(node);
        TMesh* mesh = g_pDxMeshManager->CreateMesh(node);
        mesh->pMeshData = PlantMeshData(writer, kindNames[k], tuft, material);
        mesh->pRenderQueue = normal;
        kinds[k].pRoot = node;
        kinds[k].aMesh[0] = mesh;
        manager.PlantMeshes().Add(&kinds[k]);
    }

    // The far quads' pictures, the kind's imposter type its column of them.
    TTexture* pictures =
        MakeTexture(writer, "vegetation_imposters", IMPOSTER_COLUMN * PLANT_KINDS, IMPOSTER_COLUMN, ImposterPictures());
    for (u32 k = 0; k < PLANT_KINDS; ++k)
    {
        TImposterData& imposter = imposters[k];
        imposter.pTextureColor = pictures;
        imposter.m_Vector = TVector(static_cast<f32>(k) / PLANT_KINDS, 1.0f / PLANT_KINDS, 0.0f, 0.0f);
        imposter.m_BoundBox = *MeshDataBoundBox(kinds[k].aMesh[0]->pMeshData);
        g_pImposterManager->ImposterData().Add(&imposter);
    }

    // The areas: one patch of scattered tufts a cell, placed by the game's probes.
    TMaterial* areaMaterial = g_pDxMaterialManager->CreateMaterial(TName("grass_area", true));
    areaMaterial->aTexture[0] = textures[0];
    std::vector<TLitVertex> patch;
    TLcg scatter{PATCH_SEED};
    for (u32 i = 0; i < 12; ++i)
        AddTuft(patch, scatter.Next() * 16.0f - 8.0f, scatter.Next() * 16.0f - 8.0f, 0.3f, 0.4f, scatter.Next() * 3.0f);
    TMesh* areaMesh = g_pDxMeshManager->CreateMesh(nullptr);
    areaMesh->pMeshData = PlantMeshData(writer, "grass_area", patch, areaMaterial);
    for (u32 i = 0; i < LEVEL_VEGETATION_AREAS; ++i)
    {
        char name[32];
        FormatStringN(name, sizeof name, LEVEL_VEGETATION_AREA, i);
        TNode* node = g_pNodeManager->CreateNode(name);
        level->AddChild(node);
        node->Enable(0, 0);
        TVegetationArea& area = areas[i];
        area.m_Bounds.minimum = TVector(-10.0f, 0.0f, -10.0f, 1.0f);
        area.m_Bounds.maximum = TVector(10.0f, 0.5f, 10.0f, 1.0f);
        area.m_Bounds.Update();
        area.m_nMeshCount = 1;
        area.aMesh[0] = areaMesh;
        node->AddObject(&area);
        area.SetQueue(normal);
        manager.Areas().Add(&area);
    }

    // The patches along the strip, every seventh plant in flower.
    TLcg place{PATCH_SEED};
    const f32 length = (strip.x1 - strip.x0) / LEVEL_VEGETATION_PATCHES;
    for (u32 p = 0; p < LEVEL_VEGETATION_PATCHES; ++p)
    {
        char name[32];
        FormatStringN(name, sizeof name, LEVEL_VEGETATION_PATCH, p);
        const f32 x0 = strip.x0 + p * length;
        std::vector<TImposterRecord>& records = instances[p];
        for (f32 z = strip.z - strip.depth * 0.5f; z < strip.z + strip.depth * 0.5f; z += INSTANCE_SPACING)
            for (f32 x = x0; x < x0 + length; x += INSTANCE_SPACING)
            {
                TImposterRecord record{};
                const f32 px = x + (place.Next() - 0.5f) * INSTANCE_SPACING;
                const f32 pz = z + (place.Next() - 0.5f) * INSTANCE_SPACING;
                const u8 heading = static_cast<u8>(place.Next() * 255.0f);
                const u8 size = static_cast<u8>(40 + place.Next() * 30.0f);
                const u8 shade = static_cast<u8>(200 + place.Next() * 55.0f);
                const u8 kind = records.size() % 7 == 6 ? 1 : 0;
                for (u32 c = 0; c < IMPOSTER_VERTICES; ++c)
                {
                    TImposterVertex& v = record.aVertex[c];
                    v.aPosition[0] = Steps(px);
                    v.aPosition[1] = 0;
                    v.aPosition[2] = Steps(pz);
                    v.nCorner = static_cast<u16>(c);
                    v.nHeading = heading;
                    v.nSize = size;
                    v.nData = kind;
                    v.aColour[0] = shade;
                    v.aColour[1] = 255;
                    v.aColour[2] = shade;
                    v.aColour[3] = 255;
                }
                records.push_back(record);
            }
        TVegetationCluster& cluster = patches[p];
        cluster.m_Name = TName(name, true);
        cluster.m_Centre = TVector(x0 + length * 0.5f, 0.0f, strip.z, 1.0f);
        cluster.m_fSize = std::fmax(length, strip.depth);
        cluster.m_fExtraRadius = 1.0f;
        writer.AddBlock(&cluster, records.data(), static_cast<u32>(records.size() * sizeof(TImposterRecord)));
        manager.Clusters().Add(&cluster);

        TNode* node = g_pNodeManager->CreateNode(name);
        level->AddChild(node);
        TVegetationClusterProxy& proxy = proxies[p];
        proxy.pCluster = &cluster;
        proxy.m_nFlags = VEGETATION_PROXY_CASTS_SHADOW;
        node->AddObject(&proxy);
        proxy.SetQueue(normal);
        manager.Proxies().Add(&proxy);
    }

    TVegetationSettings settings = DefaultVegetationSettings();
    settings.aPlantKind[0] = 0;
    settings.aPlantKind[1] = 1;
    settings.nTexture = TName(kindNames[0], true).GetId();
    manager.SetData(0, &settings, sizeof settings);
}

std::unique_ptr<TLevelVegetation> s_pVegetation;

i32 Add(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count, const TVegetationStrip& strip)
{
    s_pVegetation = std::make_unique<TLevelVegetation>(writer, level, strip);
    managers[count++] = g_pVegetationManager;
    managers[count++] = g_pImposterManager;
    return count;
}
} // namespace

i32 AddLevelVegetation(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    return Add(writer, level, managers, count, LEVEL_STRIP);
}

i32 AddAerodromeVegetation(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    return Add(writer, level, managers, count, AERODROME_STRIP);
}
