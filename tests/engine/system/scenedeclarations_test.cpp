// The stored scene types' declared links, pinned against the C++ members they name: the offset
// of each, and its count of words against the member's extent. The image round trip takes its
// positions from the declarations themselves, so only this finds a declaration that names the
// wrong word.
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
#include "engine/system/automatmanager.h"
#include "engine/system/automatstate.h"
#include "engine/system/dynamicspropproxy.h"
#include "engine/system/node.h"
#include "engine/system/nodeobject.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propproxy.h"
#include "engine/system/resource.h"
#include "engine/system/scenetypes.h"
#include "engine/system/script.h"
#include "engine/system/scriptobject.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonmeshdata.h"
#include "engine/system/skeletonpose.h"
#include "engine/system/triggeractor.h"
#include "engine/system/triggergeometry.h"
#include "engine/system/triggergeometrylink.h"
#include "engine/system/triggermanager.h"

#include "support/declaredlinks.h"

#include <cstring>

namespace
{
void ExpectPinned(const char* type, const std::vector<TLinkPin>& pins)
{
    u32 count = 0;
    const TClusterTypeDecl* const* decls = SceneTypeDecls(count);
    for (u32 i = 0; i < count; ++i)
        if (std::strcmp(decls[i]->GetName(), type) == 0)
            return ExpectDeclaredLinks(*decls[i], pins);
    ADD_FAILURE() << type << " is no scene type";
}
} // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
TEST(SceneDeclarations, EveryDeclaredLinkIsTheMemberItNames)
{
    ExpectPinned("TNodeObject", {LINK(TNodeObject, pNode)});
    ExpectPinned("TNodeLink", {LINK(TNodeLink, pNode)});
    ExpectPinned("TNode", {LINK(TNode, pParent), LINK(TNode, aObject), RUN(TNode, aChild, "TNodeLink"),
                           RUN(TNode, aUserData, "TUserData")});
    ExpectPinned("TResourceLink", {LINK(TResourceLink, pResource)});
    ExpectPinned("TResource", {RESOURCE_USES(TResource)});
    ExpectPinned("TScript", {LINK(TScript, pObject)});
    std::vector<TLinkPin> propData = {RESOURCE_USES(TPropData),
                                  LINK(TPropData, pNode),
                                  LINK(TPropData, pScript),
                                  LINK(TPropData, pScriptActivate),
                                  LINK(TPropData, pScriptDeactivate),
                                  LINK(TPropData, pScriptUpdate),
                                  LINK(TPropData, pProp)};
    for (const TLinkPin& pin : ElementLinks<decltype(TPropData::aSubNode)>(
             offsetof(TPropData, aSubNode), offsetof(TNamedNode, pNode), "aSubNode", "pNode"))
        propData.push_back(pin);
    ExpectPinned("TPropData", propData);
    ExpectPinned("TPropDataPool", {LINK(TPropDataPool, aFree), LINK(TPropDataPool, lProp.pFirst),
                                   LINK(TPropDataPool, lProp.pLast), LINK(TPropDataPool, pImposterData),
                                   LINK(TPropDataPool, lPropUpdate.pFirst), LINK(TPropDataPool, lPropUpdate.pLast)});
    ExpectPinned("TPropProxy", {LINK(TPropProxy, pProp)});
    ExpectPinned("TProp", {LINK(TProp, pNode), LINK(TProp, pPropData), LINK(TProp, pPropDataPool),
                           LINK(TProp, pImposter), LINK(TProp, pMethods), LINK(TProp, pProxy), LINK(TProp, pNext),
                           LINK(TProp, pPrev), LINK(TProp, pNext2), LINK(TProp, pPrev2)});
    ExpectPinned("TTextureFont", {RESOURCE_USES(TTextureFont)});
    ExpectPinned("TMaterial", {RESOURCE_USES(TMaterial), LINK(TMaterial, pShader), LINK(TMaterial, aTexture)});
    ExpectPinned("TMeshSurface", {LINK(TMeshSurface, pMaterial)});
    ExpectPinned("TMesh", {LINK(TMesh, pNode), LINK(TMesh, pRenderQueue), LINK(TMesh, pPrev), LINK(TMesh, pNext),
                           LINK(TMesh, pMeshData), LINK(TMesh, pSkeleton), LINK(TMesh, aMeshLod)});
    ExpectPinned("TImposterData", {LINK(TImposterData, pTextureColor), LINK(TImposterData, pTextureNormal),
                                   LINK(TImposterData, pSource)});
    ExpectPinned("TImposter", {LINK(TImposter, pNode), LINK(TImposter, pRenderQueue), LINK(TImposter, pPrev),
                               LINK(TImposter, pNext), LINK(TImposter, pImposterData)});
    ExpectPinned("TViewportSet", {LINK(TViewportSet, aViewport)});
    ExpectPinned("TCamera", {LINK(TCamera, pNode)});
    ExpectPinned("TLightSet", std::vector<TLinkPin>{});
    ExpectPinned("TLight", {LINK(TLight, pNode), LINK(TLight, pLightSet), LINK(TLight, pProjection)});
    ExpectPinned("TSkeletonData", {RESOURCE_USES(TSkeletonData)});
    ExpectPinned("TSkeletonMeshData", {LINK(TSkeletonMeshData, pMeshData), LINK(TSkeletonMeshData, pSkeletonData)});
    std::vector<TLinkPin> skeleton = {LINK(TSkeleton, pNode), LINK(TSkeleton, pSkeletonData),
                                  LINK(TSkeleton, pSkeletonPose), LINK(TSkeleton, Function.aAnimation)};
    for (const TLinkPin& pin : ElementLinks<decltype(TSkeleton::aLinkedNode)>(
             offsetof(TSkeleton, aLinkedNode), offsetof(TBoneNodeLink, pNode), "aLinkedNode", "pNode"))
        skeleton.push_back(pin);
    ExpectPinned("TSkeleton", skeleton);
    ExpectPinned("TSkeletonPose", {RESOURCE_USES(TSkeletonPose), LINK(TSkeletonPose, pSkeleton)});
    ExpectPinned("TAnimationData", {RESOURCE_USES(TAnimationData)});
    ExpectPinned("TAnimation", {LINK(TAnimation, pSkeleton), LINK(TAnimation, pAnimationData),
                                LINK(TAnimation, aEventFunction)});
    ExpectPinned("TRenderObject", {LINK(TRenderObject, pNode), LINK(TRenderObject, pRenderQueue),
                                   LINK(TRenderObject, pPrev), LINK(TRenderObject, pNext)});
    ExpectPinned("TRenderQueue", {LINK(TRenderQueue, lObject.pFirst), LINK(TRenderQueue, lObject.pLast)});
    ExpectPinned("TRenderScene", {LINK(TRenderScene, aRenderQueue), LINK(TRenderScene, pLightSet)});
    ExpectPinned("TTriggerGeometry", {LINK(TTriggerGeometry, pNode), LINK(TTriggerGeometry, pScriptOnEnter),
                                      LINK(TTriggerGeometry, pScriptOnExit)});
    ExpectPinned("TTriggerGeometryLink", {LINK(TTriggerGeometryLink, pGeometry)});
    ExpectPinned("TTriggerActor", {LINK(TTriggerActor, pNode), LINK(TTriggerActor, pScriptOnEnter),
                                   LINK(TTriggerActor, pScriptOnExit)});
    ExpectPinned("TEnvironment", {LINK(TEnvironment, pNode), LINK(TEnvironment, pTexture)});
    ExpectPinned("TDynamicsPropProxy", {LINK(TDynamicsPropProxy, pProp)});
    ExpectPinned("TAutomatState", {LINK(TAutomatState, pAutomat), LINK(TAutomatState, pScriptOnActivate),
                                   LINK(TAutomatState, pScriptOnDeactivate), LINK(TAutomatState, pScriptOnUpdate)});
    ExpectPinned("TAutomat", {LINK(TAutomat, aState), LINK(TAutomat, pActiveState)});
    ExpectPinned("TDecalData", {LINK(TDecalData, pTextureColor), LINK(TDecalData, pTextureNormal),
                                LINK(TDecalData, pTextureMask)});
    ExpectPinned("TDecal", {LINK(TDecal, pDecalData)});
    ExpectPinned("TStaticDecalPool", {RESOURCE_USES(TStaticDecalPool), LINK(TStaticDecalPool, pNode),
                                      LINK(TStaticDecalPool, pDecalData)});
    ExpectPinned("TMovie", {LINK(TMovie, pScriptEnd)});
    ExpectPinned("TPropDataRender", {LINK(TPropDataRender, pRoot), LINK(TPropDataRender, aMesh)});
}
#pragma GCC diagnostic pop
