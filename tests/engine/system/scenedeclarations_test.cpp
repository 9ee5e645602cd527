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
#include "engine/render/trackdecal.h"
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

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// One declared word run: where the C++ member lies, its bytes, and the end of the declared name.
struct TPin
{
    size_t nOffset;
    size_t nBytes;
    std::string name;
};

// The word of a dynamic array that holds its records' address: {capacity, count, data}.
constexpr size_t RUN_DATA = 8;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#define LINK(Type, member) TPin{offsetof(Type, member), sizeof(static_cast<Type*>(nullptr)->member), #member}
// A run of records (a dynamic array): its data word, named after the record type.
#define RUN(Type, member, record) TPin{offsetof(Type, member) + RUN_DATA, 4, record}
#define USES(Type) RUN(Type, aUses, "TResourceLink"), RUN(Type, aUsers, "TResourceLink")

// The pins of a list of elements of the same member: "array[i].field" for each i.
template <class Element>
std::vector<TPin> Elements(size_t first, size_t count, size_t field, const char* array, const char* name)
{
    std::vector<TPin> pins;
    for (size_t i = 0; i < count; ++i)
        pins.push_back({first + i * sizeof(Element), 4, std::string(array) + "[" + std::to_string(i) + "]." + name});
    return pins;
}

const TClusterTypeDecl* FindDecl(const char* name)
{
    u32 count = 0;
    const TClusterTypeDecl* const* decls = SceneTypeDecls(count);
    for (u32 i = 0; i < count; ++i)
        if (std::strcmp(decls[i]->GetName(), name) == 0)
            return decls[i];
    return nullptr;
}

bool EndsWith(const char* text, const std::string& end)
{
    const size_t length = std::strlen(text);
    return length >= end.size() && std::strcmp(text + length - end.size(), end.c_str()) == 0 &&
           (length == end.size() || text[length - end.size() - 1] == ':');
}

// Every declared member is pinned, and every pin is a declared member of that place and extent.
void ExpectPinned(const char* type, const std::vector<TPin>& pins)
{
    const TClusterTypeDecl* decl = FindDecl(type);
    ASSERT_NE(decl, nullptr) << type;
    EXPECT_EQ(pins.size(), decl->GetMemberCount()) << type << ": members without a pin";
    for (const TPin& pin : pins)
    {
        bool found = false;
        for (u32 m = 0; m < decl->GetMemberCount() && !found; ++m)
        {
            const TClusterMemberDecl& member = decl->GetMember(m);
            if (member.nOffset != pin.nOffset || !EndsWith(member.szName, pin.name))
                continue;
            found = true;
            EXPECT_EQ(4u * member.nCount, pin.nBytes) << type << "." << pin.name << ": count of words";
        }
        EXPECT_TRUE(found) << type << "." << pin.name << " is not declared at " << pin.nOffset;
    }
}
} // namespace

TEST(SceneDeclarations, EveryDeclaredLinkIsTheMemberItNames)
{
    ExpectPinned("TNodeObject", {LINK(TNodeObject, pNode)});
    ExpectPinned("TNodeLink", {LINK(TNodeLink, pNode)});
    ExpectPinned("TNode", {LINK(TNode, pParent), LINK(TNode, aObject), RUN(TNode, aChild, "TNodeLink"),
                           RUN(TNode, aUserData, "TUserData")});
    ExpectPinned("TResourceLink", {LINK(TResourceLink, pResource)});
    ExpectPinned("TResource", {USES(TResource)});
    ExpectPinned("TScript", {LINK(TScript, pObject)});
    std::vector<TPin> propData = {USES(TPropData),
                                  LINK(TPropData, pNode),
                                  LINK(TPropData, pScript),
                                  LINK(TPropData, pScriptActivate),
                                  LINK(TPropData, pScriptDeactivate),
                                  LINK(TPropData, pScriptUpdate),
                                  LINK(TPropData, pProp)};
    const size_t subNodes = offsetof(TPropData, aSubNode);
    for (const TPin& pin : Elements<decltype(TPropData::aSubNode[0])>(
             subNodes + offsetof(std::remove_reference_t<decltype(TPropData::aSubNode[0])>, pNode),
             std::extent_v<decltype(TPropData::aSubNode)>, 0, "aSubNode", "pNode"))
        propData.push_back(pin);
    ExpectPinned("TPropData", propData);
    ExpectPinned("TPropDataPool", {LINK(TPropDataPool, aFree), LINK(TPropDataPool, lProp.pFirst),
                                   LINK(TPropDataPool, lProp.pLast), LINK(TPropDataPool, pImposterData),
                                   LINK(TPropDataPool, lPropUpdate.pFirst), LINK(TPropDataPool, lPropUpdate.pLast)});
    ExpectPinned("TPropProxy", {LINK(TPropProxy, pProp)});
    ExpectPinned("TProp", {LINK(TProp, pNode), LINK(TProp, pPropData), LINK(TProp, pPropDataPool),
                           LINK(TProp, pImposter), LINK(TProp, pMethods), LINK(TProp, pProxy), LINK(TProp, pNext),
                           LINK(TProp, pPrev), LINK(TProp, pNext2), LINK(TProp, pPrev2)});
    ExpectPinned("TTextureFont", {USES(TTextureFont)});
    ExpectPinned("TMaterial", {USES(TMaterial), LINK(TMaterial, pShader), LINK(TMaterial, aTexture)});
    ExpectPinned("TMeshSurface", {LINK(TMeshSurface, pMaterial)});
    ExpectPinned("TMesh", {LINK(TMesh, pNode), LINK(TMesh, pRenderQueue), LINK(TMesh, pPrev), LINK(TMesh, pNext),
                           LINK(TMesh, pMeshData), LINK(TMesh, pSkeleton), LINK(TMesh, aMeshLod)});
    ExpectPinned("TImposterData", {LINK(TImposterData, pTextureColor), LINK(TImposterData, pTextureNormal),
                                   LINK(TImposterData, pSource)});
    ExpectPinned("TImposter", {LINK(TImposter, pNode), LINK(TImposter, pRenderQueue), LINK(TImposter, pPrev),
                               LINK(TImposter, pNext), LINK(TImposter, pImposterData)});
    ExpectPinned("TViewportSet", {LINK(TViewportSet, aViewport)});
    ExpectPinned("TCamera", {LINK(TCamera, pNode)});
    ExpectPinned("TLightSet", std::vector<TPin>{});
    ExpectPinned("TLight", {LINK(TLight, pNode), LINK(TLight, pLightSet), LINK(TLight, pProjection)});
    ExpectPinned("TSkeletonData", {USES(TSkeletonData)});
    ExpectPinned("TSkeletonMeshData", {LINK(TSkeletonMeshData, pMeshData), LINK(TSkeletonMeshData, pSkeletonData)});
    std::vector<TPin> skeleton = {LINK(TSkeleton, pNode), LINK(TSkeleton, pSkeletonData),
                                  LINK(TSkeleton, pSkeletonPose), LINK(TSkeleton, Function.aAnimation)};
    for (const TPin& pin : Elements<decltype(TSkeleton::aLinkedNode[0])>(
             offsetof(TSkeleton, aLinkedNode) +
                 offsetof(std::remove_reference_t<decltype(TSkeleton::aLinkedNode[0])>, pNode),
             std::extent_v<decltype(TSkeleton::aLinkedNode)>, 0, "aLinkedNode", "pNode"))
        skeleton.push_back(pin);
    ExpectPinned("TSkeleton", skeleton);
    ExpectPinned("TSkeletonPose", {USES(TSkeletonPose), LINK(TSkeletonPose, pSkeleton)});
    ExpectPinned("TAnimationData", {USES(TAnimationData)});
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
    ExpectPinned("TTrackDecal", {LINK(TTrackDecal, pNode), LINK(TTrackDecal, pDecal)});
    ExpectPinned("TStaticDecalPool", {USES(TStaticDecalPool), LINK(TStaticDecalPool, pNode),
                                      LINK(TStaticDecalPool, pDecalData)});
    ExpectPinned("TMovie", {LINK(TMovie, pScriptEnd)});
    ExpectPinned("TPropDataRender", {LINK(TPropDataRender, pRoot), LINK(TPropDataRender, aMesh)});
}
#pragma GCC diagnostic pop
