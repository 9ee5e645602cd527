#include "directx/render/dxrendertypes.h"

#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshdatainstancing.h"
#include "directx/render/dxshader.h"
#include "directx/render/dxtexture.h"
#include "directx/render/dxviewport.h"
#include "directx/render/dxtextureanimation.h"
#include "engine/render/meshdata.h"
#include "engine/render/shader.h"
#include "engine/render/viewport.h"
#include "engine/system/scenetypes.h"

const TName g_NameNormal("Normal", true);
const TName g_NameInactive("Inactive", true);

namespace
{
constexpr u16 MATERIAL_TYPE_ID = 39;

// Built on first use; loaded objects take their virtual tables from it.
template <class T> const T* Prototype()
{
    static const T s_Prototype{};
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

// The resource head's two link arrays (their item words), the last entries of every resource.
TClusterField UserLinks()
{
    return TClusterField(CLUSTER_MEMBER_RUN, 48, RESOURCE_LINK_TYPE_ID, 1, "TResourceLink", "TResource");
}

TClusterField UseLinks()
{
    return TClusterField(CLUSTER_MEMBER_RUN, 36, RESOURCE_LINK_TYPE_ID, 1, "TResourceLink", "TResource");
}

// The virtual-table word of the shader's embedded parameter n, counted from the last.
TClusterField Parameter(u32 fromLast)
{
    const u32 offset = SHADER_FIRST_PARAMETER_TABLE + (SHADER_PARAMETER_CAPACITY - 1 - fromLast) * SHADER_PARAMETER_ENTRY_SIZE;
    return TClusterField(CLUSTER_MEMBER_VIRTUAL_TABLE, offset, SHADER_PARAMETER_TYPE_ID, 1, "__vfptr", "TShaderParameter");
}

// The material of the mesh data's embedded surface n, counted from the last.
TClusterField SurfaceMaterial(u32 fromLast)
{
    const u32 offset = MESH_FIRST_SURFACE_MATERIAL + (MESH_SURFACE_CAPACITY - 1 - fromLast) * sizeof(TMeshSurface);
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, MATERIAL_TYPE_ID, 1, "pMaterial", "TMeshSurface");
}
} // namespace

const TClusterTypeDecl& ShaderParameterDecl()
{
    static TClusterTypeDecl s_Decl(
        "TShaderParameter", SHADER_PARAMETER_TYPE_ID, sizeof(TShaderParameter), Prototype<TDxShaderLocalParameter>(), 0,
        {TClusterField(CLUSTER_MEMBER_VIRTUAL_TABLE, 0, SHADER_PARAMETER_TYPE_ID, 1, "__vfptr")});
    return s_Decl;
}

const TClusterTypeDecl& ShaderProgramDataDecl()
{
    static TClusterTypeDecl s_Decl("TDxShaderProgramData", SHADER_PROGRAM_DATA_TYPE_ID,
                                   sizeof(TDxShaderProgramData), nullptr, 0);
    return s_Decl;
}

const TClusterTypeDecl& ShaderDecl()
{
    static TClusterTypeDecl s_Decl(
        "TShader", SHADER_TYPE_ID, sizeof(TShader), Prototype<TDxShader>(), 1,
        {TClusterField(CLUSTER_MEMBER_RUN, SHADER_PROGRAM_DATA_OFFSET, SHADER_PROGRAM_DATA_TYPE_ID, 1,
                       "TDxShaderProgramData"),
         Parameter(0),  Parameter(1),  Parameter(2),  Parameter(3),  Parameter(4),  Parameter(5),
         Parameter(6),  Parameter(7),  Parameter(8),  Parameter(9),  Parameter(10), Parameter(11),
         Parameter(12), Parameter(13), Parameter(14), Parameter(15), Parameter(16), Parameter(17),
         Parameter(18), Parameter(19), Parameter(20), Parameter(21), Parameter(22), Parameter(23),
         Link(72, TEXTURE_TYPE_ID, "aTexture", SHADER_TEXTURE_SLOTS), UserLinks(), UseLinks()});
    return s_Decl;
}

const TClusterTypeDecl& TextureDecl()
{
    static TClusterTypeDecl s_Decl("TTexture", TEXTURE_TYPE_ID, sizeof(TTexture), Prototype<TDxTexture>(), 1,
                                   {UserLinks(), UseLinks()});
    return s_Decl;
}

const TClusterTypeDecl& TextureAnimationDecl()
{
    static TClusterTypeDecl s_Decl("TTextureAnimation", TEXTURE_ANIMATION_TYPE_ID, sizeof(TTextureAnimation),
                                   Prototype<TDxTextureAnimation>(), 1,
                                   {Link(88, TEXTURE_TYPE_ID, "pTexture"), UserLinks(), UseLinks()});
    return s_Decl;
}

const TClusterTypeDecl& MeshDataInstancingDecl()
{
    static TClusterTypeDecl s_Decl("TMeshDataInstancing", MESH_DATA_INSTANCING_TYPE_ID, sizeof(TMeshDataInstancing),
                                   Prototype<TDxMeshDataInstancing>(), 1, {Link(180, MESH_DATA_TYPE_ID, "pMeshData")});
    return s_Decl;
}

const TClusterTypeDecl& MeshDataDecl()
{
    static TClusterTypeDecl s_Decl(
        "TMeshData", MESH_DATA_TYPE_ID, sizeof(TMeshData), Prototype<TDxMeshData>(), 1,
        {Link(820, SKELETON_MESH_DATA_TYPE_ID, "pSkeletonMeshData"),
         Link(816, MESH_DATA_INSTANCING_TYPE_ID, "pInstancing"),
         SurfaceMaterial(0),  SurfaceMaterial(1),  SurfaceMaterial(2),  SurfaceMaterial(3),
         SurfaceMaterial(4),  SurfaceMaterial(5),  SurfaceMaterial(6),  SurfaceMaterial(7),
         SurfaceMaterial(8),  SurfaceMaterial(9),  SurfaceMaterial(10), SurfaceMaterial(11),
         SurfaceMaterial(12), SurfaceMaterial(13), SurfaceMaterial(14), SurfaceMaterial(15), UserLinks(),
         UseLinks()});
    return s_Decl;
}

const TClusterTypeDecl& ViewportDecl()
{
    static TClusterTypeDecl s_Decl("TViewport", VIEWPORT_TYPE_ID, sizeof(TViewport), Prototype<TDxViewport>(), 1,
                                   {Link(44, RENDER_SCENE_TYPE_ID, "aRenderScene", VIEWPORT_RENDER_SCENES),
                                    Link(16, CAMERA_TYPE_ID, "pCamera")});
    return s_Decl;
}

namespace
{
// Built with the program's statics, ahead of the descriptor linking at start-up.
const TClusterTypeDecl* const s_apDecl[] = {&ShaderParameterDecl(), &ShaderProgramDataDecl(), &ShaderDecl(),
                                            &TextureDecl(),         &TextureAnimationDecl(),  &MeshDataInstancingDecl(),
                                            &MeshDataDecl(),        &ViewportDecl()};
} // namespace
