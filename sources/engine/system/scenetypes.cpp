#include "engine/system/scenetypes.h"

#include "core/cluster/cluster.h"
#include "engine/render/camera.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/render/environment.h"
#include "engine/render/imposter.h"
#include "engine/render/imposterdata.h"
#include "engine/render/light.h"
#include "engine/render/lightset.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/meshsurface.h"
#include "engine/render/movie.h"
#include "engine/render/propdatarender.h"
#include "engine/render/renderobject.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/staticdecalpool.h"
#include "engine/render/texturefont.h"
#include "engine/render/viewportset.h"
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/automat.h"
#include "engine/system/automatstate.h"
#include "engine/system/dynamicspropproxy.h"
#include "engine/system/node.h"
#include "engine/system/nodeobject.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propproxy.h"
#include "engine/system/resource.h"
#include "engine/system/script.h"
#include "engine/system/scriptobject.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonmeshdata.h"
#include "engine/system/skeletonpose.h"
#include "engine/system/triggeractor.h"
#include "engine/system/triggergeometry.h"
#include "engine/system/triggergeometrylink.h"

#include <cstring>

namespace
{
// A polymorphic type's prototype: built on first use, destroyed at exit; the cluster restores
// loaded objects' virtual tables from it.
template <class T> const T* Prototype()
{
    static const T s_Prototype{};
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

// A dynamic array: the member's offset is that of its item pointer, after capacity and count.
TClusterField Array(u32 offset, u32 typeId, const char* name)
{
    return TClusterField(CLUSTER_MEMBER_RUN, offset, typeId, 1, name);
}

// The two link arrays of the resource head, first in every resource's list.
TClusterField ResourceUses()
{
    return Array(36, RESOURCE_LINK_TYPE_ID, "TResource::TResourceLink");
}

TClusterField ResourceUsers()
{
    return Array(48, RESOURCE_LINK_TYPE_ID, "TResource::TResourceLink");
}
} // namespace

const TClusterTypeDecl& NodeObjectDecl()
{
    static TClusterTypeDecl s_Decl("TNodeObject", NODE_OBJECT_TYPE_ID, sizeof(TNodeObject),
                                   Prototype<TNodeObject>(), 1, {Link(4, NODE_TYPE_ID, "pNode")});
    return s_Decl;
}

const TClusterTypeDecl& NodeLinkDecl()
{
    static TClusterTypeDecl s_Decl("TNodeLink", NODE_LINK_TYPE_ID, sizeof(TNodeLink), nullptr, 0,
                                   {Link(0, NODE_TYPE_ID, "pNode")});
    return s_Decl;
}

const TClusterTypeDecl& NodeDecl()
{
    static TClusterTypeDecl s_Decl(
        "TNode", NODE_TYPE_ID, sizeof(TNode), nullptr, 0,
        {Link(8, NODE_TYPE_ID, "pParent"), Link(28, 0, "aObject", NODE_OBJECT_CAPACITY),
         Array(20, NODE_LINK_TYPE_ID, "TNodeLink"), Array(220, USER_DATA_TYPE_ID, "TUserData")});
    return s_Decl;
}

const TClusterTypeDecl& UserDataDecl()
{
    static TClusterTypeDecl s_Decl("TUserData", USER_DATA_TYPE_ID, sizeof(TUserData), nullptr, 0);
    return s_Decl;
}

const TClusterTypeDecl& ResourceLinkDecl()
{
    static TClusterTypeDecl s_Decl("TResourceLink", RESOURCE_LINK_TYPE_ID, sizeof(TResourceLink), nullptr, 0,
                                   {Link(4, 0, "pResource")});
    return s_Decl;
}

const TClusterTypeDecl& ResourceDecl()
{
    static TClusterTypeDecl s_Decl("TResource", RESOURCE_TYPE_ID, sizeof(TResource), Prototype<TResource>(),
                                   1, {ResourceUses(), ResourceUsers()});
    return s_Decl;
}

const TClusterTypeDecl& ScriptDecl()
{
    static TClusterTypeDecl s_Decl("TScript", SCRIPT_TYPE_ID, sizeof(TScript), Prototype<TScript>(), 1,
                                   {Link(4, SCRIPT_OBJECT_TYPE_ID, "pObject")});
    return s_Decl;
}

const TClusterTypeDecl& ScriptObjectDecl()
{
    static TClusterTypeDecl s_Decl("TScriptObject", SCRIPT_OBJECT_TYPE_ID, sizeof(TScriptObject),
                                   Prototype<TScriptObject>(), 1);
    return s_Decl;
}

const TClusterTypeDecl& PropDataDecl()
{
    static TClusterTypeDecl s_Decl("TPropData", 29, sizeof(TPropData), Prototype<TPropData>(), 1,
                                   {ResourceUses(),
                                    ResourceUsers(),
                                    Link(76, 18, "pNode"),
                                    Link(216, 63, "pScript"),
                                    Link(220, 60, "pScriptActivate"),
                                    Link(224, 60, "pScriptDeactivate"),
                                    Link(228, 60, "pScriptUpdate"),
                                    Link(232, 32, "pProp"),
                                    Link(92, 18, "aSubNode[0].pNode"),
                                    Link(100, 18, "aSubNode[1].pNode"),
                                    Link(108, 18, "aSubNode[2].pNode"),
                                    Link(116, 18, "aSubNode[3].pNode"),
                                    Link(124, 18, "aSubNode[4].pNode"),
                                    Link(132, 18, "aSubNode[5].pNode"),
                                    Link(140, 18, "aSubNode[6].pNode"),
                                    Link(148, 18, "aSubNode[7].pNode"),
                                    Link(156, 18, "aSubNode[8].pNode"),
                                    Link(164, 18, "aSubNode[9].pNode"),
                                    Link(172, 18, "aSubNode[10].pNode"),
                                    Link(180, 18, "aSubNode[11].pNode"),
                                    Link(188, 18, "aSubNode[12].pNode"),
                                    Link(196, 18, "aSubNode[13].pNode"),
                                    Link(204, 18, "aSubNode[14].pNode"),
                                    Link(212, 18, "aSubNode[15].pNode")});
    return s_Decl;
}

const TClusterTypeDecl& PropDataPoolDecl()
{
    static TClusterTypeDecl s_Decl("TPropDataPool", 30, sizeof(TPropDataPool), nullptr, 0,
                                   {Link(4, 29, "aFree", 1024), Link(4104, 32, "lProp.pFirst"), Link(4108, 32, "lProp.pLast"),
                                    Link(4112, 44, "pImposterData"), Link(4180, 32, "lPropUpdate.pFirst"),
                                    Link(4184, 32, "lPropUpdate.pLast")});
    return s_Decl;
}

namespace
{
const TClusterTypeDecl& PropProxyDecl()
{
    static TClusterTypeDecl s_Decl("TPropProxy", 31, sizeof(TPropProxy), Prototype<TPropProxy>(), 1,
                                   {Link(4, 32, "pProp")});
    return s_Decl;
}
} // namespace

const TClusterTypeDecl& PropDecl()
{
    static TClusterTypeDecl s_Decl("TProp", 32, sizeof(TProp), Prototype<TProp>(), 1,
                                   {Link(4, 18, "TNodeObject::pNode"), Link(20, 29, "pPropData"),
                                    Link(24, 30, "pPropDataPool"), Link(52, 45, "pImposter"),
                                    Link(56, 0, "pMethods"), Link(60, 0, "pProxy"), Link(64, 32, "pNext"),
                                    Link(68, 32, "pPrev"), Link(76, 32, "pNext2"), Link(80, 32, "pPrev2")});
    return s_Decl;
}

const TClusterTypeDecl& TextureFontDecl()
{
    static TClusterTypeDecl s_Decl("TTextureFont", 38, sizeof(TTextureFont), Prototype<TTextureFont>(), 1,
                                   {ResourceUses(), ResourceUsers()});
    return s_Decl;
}

const TClusterTypeDecl& MaterialDecl()
{
    static TClusterTypeDecl s_Decl(
        "TMaterial", 39, sizeof(TMaterial), Prototype<TMaterial>(), 1,
        {ResourceUses(), ResourceUsers(), Link(68, 35, "pShader"), Link(72, 36, "aTexture", 22)});
    return s_Decl;
}

namespace
{
const TClusterTypeDecl& MeshSurfaceDecl()
{
    static TClusterTypeDecl s_Decl("TMeshSurface", 40, sizeof(TMeshSurface), nullptr, 0,
                                   {Link(20, 39, "pMaterial")});
    return s_Decl;
}
} // namespace

const TClusterTypeDecl& MeshDecl()
{
    static TClusterTypeDecl s_Decl(
        "TMesh", 43, sizeof(TMesh), Prototype<TMesh>(), 1,
        {Link(4, 18, "TRenderObject::TNodeObject::pNode"), Link(12, 58, "TRenderObject::pRenderQueue"),
         Link(16, 0, "TRenderObject::pPrev"), Link(20, 0, "TRenderObject::pNext"), Link(28, 42, "pMeshData"),
         Link(32, 53, "pSkeleton"), Link(344, 43, "aMeshLod", 4)});
    return s_Decl;
}

const TClusterTypeDecl& ImposterDataDecl()
{
    static TClusterTypeDecl s_Decl(
        "TImposterData", 44, sizeof(TImposterData), nullptr, 0,
        {Link(4, 36, "pTextureColor"), Link(8, 36, "pTextureNormal"), Link(372, 29, "pSource")});
    return s_Decl;
}

const TClusterTypeDecl& ImposterDecl()
{
    static TClusterTypeDecl s_Decl("TImposter", 45, sizeof(TImposter), Prototype<TImposter>(), 1,
                                   {Link(4, 18, "TRenderObject::TNodeObject::pNode"),
                                    Link(12, 58, "TRenderObject::pRenderQueue"),
                                    Link(16, 0, "TRenderObject::pPrev"), Link(20, 0, "TRenderObject::pNext"),
                                    Link(28, 44, "pImposterData")});
    return s_Decl;
}

const TClusterTypeDecl& ViewportSetDecl()
{
    static TClusterTypeDecl s_Decl("TViewportSet", 47, sizeof(TViewportSet), nullptr, 0,
                                   {Link(8, 46, "aViewport", 8)});
    return s_Decl;
}

const TClusterTypeDecl& CameraDecl()
{
    static TClusterTypeDecl s_Decl("TCamera", 48, sizeof(TCamera), Prototype<TCamera>(), 1,
                                   {Link(4, 18, "TNodeObject::pNode")});
    return s_Decl;
}

const TClusterTypeDecl& LightSetDecl()
{
    static TClusterTypeDecl s_Decl("TLightSet", 49, sizeof(TLightSet), nullptr, 0);
    return s_Decl;
}

const TClusterTypeDecl& LightDecl()
{
    static TClusterTypeDecl s_Decl(
        "TLight", 50, sizeof(TLight), Prototype<TLight>(), 1,
        {Link(4, 18, "TNodeObject::pNode"), Link(132, 49, "pLightSet"), Link(136, 36, "pProjection")});
    return s_Decl;
}

const TClusterTypeDecl& SkeletonDataDecl()
{
    static TClusterTypeDecl s_Decl("TSkeletonData", 51, sizeof(TSkeletonData), Prototype<TSkeletonData>(), 1,
                                   {ResourceUses(), ResourceUsers()});
    return s_Decl;
}

const TClusterTypeDecl& SkeletonMeshDataDecl()
{
    static TClusterTypeDecl s_Decl("TSkeletonMeshData", 52, sizeof(TSkeletonMeshData), nullptr, 0,
                                   {Link(0, 42, "pMeshData"), Link(4, 51, "pSkeletonData")});
    return s_Decl;
}

const TClusterTypeDecl& SkeletonDecl()
{
    static TClusterTypeDecl s_Decl(
        "TSkeleton", 53, sizeof(TSkeleton), Prototype<TSkeleton>(), 1,
        {Link(4, 18, "TNodeObject::pNode"),       Link(16, 51, "pSkeletonData"),
         Link(20, 54, "pSkeletonPose"),           Link(92, 56, "Function.aAnimation", 8),
         Link(2580, 18, "aLinkedNode[0].pNode"),  Link(2588, 18, "aLinkedNode[1].pNode"),
         Link(2596, 18, "aLinkedNode[2].pNode"),  Link(2604, 18, "aLinkedNode[3].pNode"),
         Link(2612, 18, "aLinkedNode[4].pNode"),  Link(2620, 18, "aLinkedNode[5].pNode"),
         Link(2628, 18, "aLinkedNode[6].pNode"),  Link(2636, 18, "aLinkedNode[7].pNode"),
         Link(2644, 18, "aLinkedNode[8].pNode"),  Link(2652, 18, "aLinkedNode[9].pNode"),
         Link(2660, 18, "aLinkedNode[10].pNode"), Link(2668, 18, "aLinkedNode[11].pNode"),
         Link(2676, 18, "aLinkedNode[12].pNode"), Link(2684, 18, "aLinkedNode[13].pNode"),
         Link(2692, 18, "aLinkedNode[14].pNode"), Link(2700, 18, "aLinkedNode[15].pNode"),
         Link(2708, 18, "aLinkedNode[16].pNode"), Link(2716, 18, "aLinkedNode[17].pNode"),
         Link(2724, 18, "aLinkedNode[18].pNode"), Link(2732, 18, "aLinkedNode[19].pNode"),
         Link(2740, 18, "aLinkedNode[20].pNode"), Link(2748, 18, "aLinkedNode[21].pNode"),
         Link(2756, 18, "aLinkedNode[22].pNode"), Link(2764, 18, "aLinkedNode[23].pNode"),
         Link(2772, 18, "aLinkedNode[24].pNode"), Link(2780, 18, "aLinkedNode[25].pNode"),
         Link(2788, 18, "aLinkedNode[26].pNode"), Link(2796, 18, "aLinkedNode[27].pNode"),
         Link(2804, 18, "aLinkedNode[28].pNode"), Link(2812, 18, "aLinkedNode[29].pNode"),
         Link(2820, 18, "aLinkedNode[30].pNode"), Link(2828, 18, "aLinkedNode[31].pNode"),
         Link(2836, 18, "aLinkedNode[32].pNode"), Link(2844, 18, "aLinkedNode[33].pNode"),
         Link(2852, 18, "aLinkedNode[34].pNode"), Link(2860, 18, "aLinkedNode[35].pNode"),
         Link(2868, 18, "aLinkedNode[36].pNode"), Link(2876, 18, "aLinkedNode[37].pNode"),
         Link(2884, 18, "aLinkedNode[38].pNode"), Link(2892, 18, "aLinkedNode[39].pNode")});
    return s_Decl;
}

const TClusterTypeDecl& SkeletonPoseDecl()
{
    static TClusterTypeDecl s_Decl("TSkeletonPose", 54, sizeof(TSkeletonPose), Prototype<TSkeletonPose>(), 1,
                                   {ResourceUses(), ResourceUsers(), Link(108, 53, "pSkeleton")});
    return s_Decl;
}

const TClusterTypeDecl& AnimationDataDecl()
{
    static TClusterTypeDecl s_Decl("TAnimationData", 55, sizeof(TAnimationData), Prototype<TAnimationData>(),
                                   1, {ResourceUses(), ResourceUsers()});
    return s_Decl;
}

const TClusterTypeDecl& AnimationDecl()
{
    static TClusterTypeDecl s_Decl(
        "TAnimation", 56, sizeof(TAnimation), nullptr, 0,
        {Link(28, 53, "pSkeleton"), Link(32, 55, "pAnimationData"), Link(44, 60, "aEventFunction", 16)});
    return s_Decl;
}

namespace
{
const TClusterTypeDecl& RenderObjectDecl()
{
    static TClusterTypeDecl s_Decl("TRenderObject", 57, sizeof(TRenderObject), Prototype<TRenderObject>(), 1,
                                   {Link(4, 18, "TNodeObject::pNode"), Link(12, 58, "pRenderQueue"),
                                    Link(16, 0, "pPrev"), Link(20, 0, "pNext")});
    return s_Decl;
}

} // namespace

const TClusterTypeDecl& RenderQueueDecl()
{
    static TClusterTypeDecl s_Decl("TRenderQueue", 58, sizeof(TRenderQueue), nullptr, 0,
                                   {Link(12, 0, "lObject.pFirst"), Link(16, 0, "lObject.pLast")});
    return s_Decl;
}

const TClusterTypeDecl& RenderSceneDecl()
{
    static TClusterTypeDecl s_Decl("TRenderScene", 59, sizeof(TRenderScene), nullptr, 0,
                                   {Link(8, 58, "aRenderQueue", 24), Link(104, 49, "pLightSet")});
    return s_Decl;
}

const TClusterTypeDecl& TriggerGeometryDecl()
{
    static TClusterTypeDecl s_Decl(
        "TTriggerGeometry", 66, sizeof(TTriggerGeometry), Prototype<TTriggerGeometry>(), 1,
        {Link(4, 18, "TNodeObject::pNode"), Link(84, 60, "pScriptOnEnter"), Link(88, 60, "pScriptOnExit")});
    return s_Decl;
}

const TClusterTypeDecl& TriggerGeometryLinkDecl()
{
    static TClusterTypeDecl s_Decl("TTriggerGeometryLink", 67, sizeof(TTriggerGeometryLink), nullptr, 0,
                                   {Link(0, 0, "pGeometry")});
    return s_Decl;
}

const TClusterTypeDecl& TriggerActorDecl()
{
    static TClusterTypeDecl s_Decl(
        "TTriggerActor", 68, sizeof(TTriggerActor), Prototype<TTriggerActor>(), 1,
        {Link(4, 18, "TNodeObject::pNode"), Link(32, 60, "pScriptOnEnter"), Link(36, 60, "pScriptOnExit")});
    return s_Decl;
}

const TClusterTypeDecl& EnvironmentDecl()
{
    static TClusterTypeDecl s_Decl("TEnvironment", 77, sizeof(TEnvironment), Prototype<TEnvironment>(), 1,
                                   {Link(4, 18, "TNodeObject::pNode"), Link(80, 36, "pTexture")});
    return s_Decl;
}

const TClusterTypeDecl& DynamicsPropProxyDecl()
{
    static TClusterTypeDecl s_Decl("TDynamicsPropProxy", 81, sizeof(TDynamicsPropProxy),
                                   Prototype<TDynamicsPropProxy>(), 1, {Link(4, 32, "TPropProxy::pProp")});
    return s_Decl;
}

const TClusterTypeDecl& AutomatStateDecl()
{
    static TClusterTypeDecl s_Decl("TAutomatState", 83, sizeof(TAutomatState), nullptr, 0,
                                   {Link(4, 84, "pAutomat"), Link(8, 60, "pScriptOnActivate"),
                                    Link(12, 60, "pScriptOnDeactivate"), Link(16, 60, "pScriptOnUpdate")});
    return s_Decl;
}

const TClusterTypeDecl& AutomatDecl()
{
    static TClusterTypeDecl s_Decl("TAutomat", 84, sizeof(TAutomat), nullptr, 0,
                                   {Link(8, 83, "aState", 32), Link(136, 83, "pActiveState")});
    return s_Decl;
}

const TClusterTypeDecl& DecalDataDecl()
{
    static TClusterTypeDecl s_Decl(
        "TDecalData", 91, sizeof(TDecalData), nullptr, 0,
        {Link(0, 36, "pTextureColor"), Link(4, 36, "pTextureNormal"), Link(8, 36, "pTextureMask")});
    return s_Decl;
}

const TClusterTypeDecl& DecalDecl()
{
    static TClusterTypeDecl s_Decl("TDecal", 92, sizeof(TDecal), nullptr, 0, {Link(8, 91, "pDecalData")});
    return s_Decl;
}

const TClusterTypeDecl& StaticDecalPoolDecl()
{
    static TClusterTypeDecl s_Decl(
        "TStaticDecalPool", 94, sizeof(TStaticDecalPool), Prototype<TStaticDecalPool>(), 1,
        {ResourceUses(), ResourceUsers(), Link(68, 18, "pNode"), Link(72, 91, "pDecalData")});
    return s_Decl;
}

namespace
{
const TClusterTypeDecl& MovieDecl()
{
    static TClusterTypeDecl s_Decl("TMovie", 95, sizeof(TMovie), nullptr, 0, {Link(68, 60, "pScriptEnd")});
    return s_Decl;
}
} // namespace

const TClusterTypeDecl& PropDataRenderDecl()
{
    static TClusterTypeDecl s_Decl("TPropDataRender", 125, sizeof(TPropDataRender), nullptr, 0,
                                   {Link(0, 18, "pRoot"), Link(12, 43, "aMesh", 8)});
    return s_Decl;
}

namespace
{
// Built with the program's statics, ahead of the descriptor linking at start-up.
const TClusterTypeDecl* const s_apDecl[] = {
    &NodeObjectDecl(),   &NodeLinkDecl(),        &NodeDecl(),
    &UserDataDecl(),     &ResourceLinkDecl(),    &ResourceDecl(),
    &ScriptDecl(),       &ScriptObjectDecl(),    &PropDataDecl(),
    &PropDataPoolDecl(), &PropProxyDecl(),       &PropDecl(),
    &TextureFontDecl(),  &MaterialDecl(),        &MeshSurfaceDecl(),
    &MeshDecl(),         &ImposterDataDecl(),    &ImposterDecl(),
    &ViewportSetDecl(),  &CameraDecl(),          &LightSetDecl(),
    &LightDecl(),        &SkeletonDataDecl(),    &SkeletonMeshDataDecl(),
    &SkeletonDecl(),     &SkeletonPoseDecl(),    &AnimationDataDecl(),
    &AnimationDecl(),    &RenderObjectDecl(),    &RenderQueueDecl(),
    &RenderSceneDecl(),  &TriggerGeometryDecl(), &TriggerGeometryLinkDecl(),
    &TriggerActorDecl(), &EnvironmentDecl(),     &DynamicsPropProxyDecl(),
    &AutomatStateDecl(), &AutomatDecl(),         &DecalDataDecl(),
    &DecalDecl(),        &StaticDecalPoolDecl(),
    &MovieDecl(),        &PropDataRenderDecl(),
};
} // namespace

const TClusterTypeDecl* const* SceneTypeDecls(u32& count)
{
    count = sizeof s_apDecl / sizeof s_apDecl[0];
    return s_apDecl;
}

bool IsNodeObjectType(const TClusterTypeDecl* decl)
{
    if (!decl->GetPrototype() || decl->GetVirtualTableWords() != 1)
        return false;
    for (u32 m = 0; m < decl->GetMemberCount(); ++m)
    {
        const TClusterMemberDecl& member = decl->GetMember(m);
        const u32 length = static_cast<u32>(std::strlen(member.szName));
        if (member.nKind == CLUSTER_MEMBER_REFERENCE && member.nOffset == 4 &&
            member.nTypeId == NODE_TYPE_ID && length >= 5 &&
            std::strcmp(member.szName + length - 5, "pNode") == 0)
            return true;
    }
    return false;
}

bool IsResourceType(const TClusterTypeDecl* decl)
{
    if (!decl->GetPrototype() || decl->GetVirtualTableWords() != 1 ||
        decl->GetObjectSize() < sizeof(TResource))
        return false;
    for (u32 m = 0; m < decl->GetMemberCount(); ++m)
    {
        const TClusterMemberDecl& member = decl->GetMember(m);
        if (member.nKind == CLUSTER_MEMBER_RUN && member.nOffset == 36 &&
            member.nTypeId == RESOURCE_LINK_TYPE_ID)
            return true;
    }
    return false;
}

bool IsInsideClusterArray(u32 typeId, const void* data, i32 count, u32 size)
{
    if (count == 0)
        return true;
    const TClusterSlot& slot = g_pCluster->GetSlot(typeId);
    if (count < 0 || !data || !slot.pData || slot.nKind != CLUSTER_ARRAY_MANAGED)
        return false;
    const u8* begin = static_cast<const u8*>(data);
    if (begin < slot.pData)
        return false;
    const u64 offset = static_cast<u64>(begin - slot.pData);
    return offset % size == 0 && offset + static_cast<u64>(count) * size <= static_cast<u32>(slot.nSize);
}

// Names the scene enters in the name table at start-up for the render side: the overlay
// shaders' cached resource references and the vertex-transform variants.
const TName g_NameShaderOverlayBlend("Shader_overlayblend", true);
const TName g_NameShaderOverlayAdd("Shader_overlayadd", true);
const TName g_NameShaderOverlayMul("Shader_overlaymul", true);
const TName g_aNameTransform[SCENE_TRANSFORM_COUNT] = {
    TName("_transform_normal", true),     TName("_transform_instance", true),
    TName("_transform_blendshape", true), TName("_transform_softbind1", true),
    TName("_transform_softbind2", true),  TName("_transform_softbind3", true),
    TName("_transform_softbind4", true),
};
