#pragma once
// TMesh (stored type 43, 372 bytes): the render object of static geometry. A queue draw picks
// the mesh itself or one of its coarser versions by the main camera's distance and drops meshes
// far beyond their size; its texture animation moves the texture coordinates.
#include "core/math/boundbox.h"
#include "core/math/matrix.h"
#include "core/math/vector.h"
#include "core/system/name.h"
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/render/renderobject.h"

class TCamera;
class TMeshData;
class TSkeleton;

constexpr u32 MESH_MATERIAL_VECTORS = 10;

// The mesh's values handed to its effect as one vector array, and its shader's name.
struct TMeshMaterial
{
    TVector aVector[MESH_MATERIAL_VECTORS];
    TName m_Shader;
};
static_assert(sizeof(TMeshMaterial) == 164);

constexpr u32 MESH_LOD_CAPACITY = 4;
// Scaled distances where the next coarser version takes over.
constexpr f32 MESH_LOD_DISTANCE[3] = {100.0f, 200.0f, 400.0f};
constexpr f32 MESH_LOD_LAST_DISTANCE = 800.0f;
// Distance over the box diagonal beyond which a mesh is not drawn.
constexpr f32 MESH_DISTANCE_CUT = 200.0f;
// Mesh-data flags.
constexpr u32 MESH_DATA_TRANSPARENT = 1;
// The mesh casts shadows (the bit the other casters' render flags use for it too).
constexpr u32 MESH_DATA_CASTS_SHADOW = 2;
constexpr u32 MESH_DATA_NEVER_CUT = 4 | 16;

class TMesh;
class TRenderContext;

// Told when a texture animation reaches a period on an axis.
class TTextureAnimationListener
{
public:
    virtual ~TTextureAnimationListener() = default;
    virtual void OnTextureAnimationEvent(TMesh* mesh) = 0;
};

// The texture-coordinate animation and the texture matrix it moves.
struct TMeshTextureAnimation
{
    TName m_Name;
    f32 aTranslationRate[4];
    f32 aRotationRate[3];
    f32 aPeriod[3];
    u32 m_nStop;
    TMatrix m_Matrix;
    TTextureAnimationListener* pListener;
    u32 m_nActive;
};
static_assert(sizeof(TMeshTextureAnimation) == 120);

class TMesh : public TRenderObject
{
public:
    TMesh();

    // The render object's queue membership; a mesh with a texture animation also joins the mesh
    // manager's animated list while enabled and active, and leaves it when disabled.
    void OnEnable(u32 enabled) override;
    // The node enabled and visible: LOD choice, distance cut and draw.
    void Draw(TRenderContext* context) override;
    // The LOD choice without the cut, drawn through the chosen mesh's own Render.
    void Render() override;
    const TBoundBox* GetBoundBox() override;
    u32 IsTransparent() override;
    u32 CastsShadow() override;

    // The mesh to draw at the scaled distance: itself or one of its coarser versions.
    TMesh* PickLod(f32 distance);
    // The main camera's distance times the LOD factor; null when cut by distance (cut 1).
    TMesh* SelectLod(u32 cut) { return SelectLodAt(GetMatrix()->Translation(), cut); }
    // The same, measured at another position.
    TMesh* SelectLodAt(const TVector& position, u32 cut);
    // Draws at a world matrix other than the node's (instances of one mesh), its LOD chosen and
    // cut there; the node's state is not asked.
    void DrawAt(const TMatrix& world, TRenderContext* context);
    // Advances the texture animation by t seconds; 1 when an axis reached its period.
    u32 AnimateTexture(f32 t);

    TMeshData* pMeshData;
    TSkeleton* pSkeleton;
    TMeshTextureAnimation m_TextureAnimation;
    // Set by a day/night atmosphere change that blends the mesh in and out.
    f32 m_fBlendWeight;
    f32 m_fBlendOffset;
    TMeshMaterial m_Material;
    u32 m_nDefaultWord;
    u8 m_nBoneCount;
    u8 m_nFirstBone;
    u8 m_aReserved334[2];
    f32 m_fLodDistanceScale;
    i32 m_nLodCount;
    TMesh* aMeshLod[MESH_LOD_CAPACITY];
    TMesh* pAnimatedNext;
    TMesh* pAnimatedPrev;
    u8 m_aReserved368[4];
};

static_assert(sizeof(TMesh) == 372);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TMesh, pMeshData) == 28);
static_assert(offsetof(TMesh, pSkeleton) == 32);
static_assert(offsetof(TMesh, m_TextureAnimation) == 36);
static_assert(offsetof(TMesh, m_fBlendWeight) == 156);
static_assert(offsetof(TMesh, m_fBlendOffset) == 160);
static_assert(offsetof(TMesh, m_Material) == 164);
static_assert(offsetof(TMesh, m_nDefaultWord) == 328);
static_assert(offsetof(TMesh, m_nBoneCount) == 332);
static_assert(offsetof(TMesh, m_nFirstBone) == 333);
static_assert(offsetof(TMesh, m_fLodDistanceScale) == 336);
static_assert(offsetof(TMesh, m_nLodCount) == 340);
static_assert(offsetof(TMesh, aMeshLod) == 344);
static_assert(offsetof(TMesh, pAnimatedNext) == 360);
static_assert(offsetof(TMesh, pAnimatedPrev) == 364);
#pragma GCC diagnostic pop

// The mesh flags and box the LOD choice reads: the first description words of the mesh data.
u32 MeshDataFlags(const TMeshData* data);
const TBoundBox* MeshDataBoundBox(const TMeshData* data);

// Between a mesh's LOD choice and its draw: the chosen mesh's texture matrix and material, and
// the mesh with the world matrix it is drawn at (a plant's or a vegetation area's, not always
// its node's) for the shader-parameter plug-ins.
extern TMatrix g_CurrentTextureMatrix;
extern const TMeshMaterial* g_pCurrentMeshMaterial;
extern const TMesh* g_pCurrentWorldMesh;
extern TMatrix g_CurrentMeshWorld;
// Set by the platform: the mesh data's draw, and the camera manager's main camera.
extern void (*g_pDrawMeshData)(TMeshData* data, const TMatrix& world, TRenderContext* context, TMesh* mesh);
extern TCamera* (*g_pFindMainCamera)();
// The variable render_mesh_loddistancefactor.
f32 MeshLodDistanceFactor();
