#pragma once
// The reflection records of the UX classes: every UX member record is a link (a stored handle
// the loader turns into a pointer). A control class repeats the fifteen links of UX::TControl
// under the path of the class that declares them ("UX::TControl::pStyle", or
// "UX::TCheckBox::UX::TControl::pStyle" in the classes built on the check box).
#include "core/cluster/clusterfield.h"
#include "core/cluster/clustertypedecl.h"
#include "engine/render/texture.h"
#include "ux/ux.style.h"

// Control classes store one virtual-table word.
constexpr u16 UX_VIRTUAL_TABLE_WORDS = 1;
// A link of any stored type.
constexpr u32 UX_ANY_TYPE = 0;

#define UX_LINK(offset, type, count, member, path)                                                           \
    TClusterField(CLUSTER_MEMBER_REFERENCE, offset, type, count, member, path)

#define UX_CONTROL_LINKS(path)                                                                               \
    UX_LINK(28, UX::TRANSITION_STYLE_TYPE_ID, 1, "pStyle", path),                                            \
        UX_LINK(36, TEXTURE_TYPE_ID, 1, "aTransitionImage[0].pTexture", path),                               \
        UX_LINK(72, TEXTURE_TYPE_ID, 1, "aTransitionImage[1].pTexture", path),                               \
        UX_LINK(108, TEXTURE_TYPE_ID, 1, "aTransitionImage[2].pTexture", path),                              \
        UX_LINK(144, TEXTURE_TYPE_ID, 1, "aTransitionImage[3].pTexture", path),                              \
        UX_LINK(180, TEXTURE_TYPE_ID, 1, "aTransitionImage[4].pTexture", path),                              \
        UX_LINK(216, TEXTURE_TYPE_ID, 1, "aTransitionImage[5].pTexture", path),                              \
        UX_LINK(668, UX_ANY_TYPE, 1, "pParent", path), UX_LINK(676, UX_ANY_TYPE, 1, "lChild.pFirst", path),  \
        UX_LINK(680, UX_ANY_TYPE, 1, "lChild.pLast", path), UX_LINK(684, UX_ANY_TYPE, 1, "pNext", path),     \
        UX_LINK(688, UX_ANY_TYPE, 1, "pPrev", path), UX_LINK(692, UX_ANY_TYPE, 1, "pToolTip", path),         \
        UX_LINK(708, TEXTURE_TYPE_ID, 1, "BackgroundImage.pTexture", path),                                  \
        UX_LINK(1312, UX_ANY_TYPE, 1, "pUserObject", path)

// The number of the links above.
constexpr u32 UX_CONTROL_LINK_COUNT = 15;

// The default instance of a class, built once on first use: the prototype of its descriptor.
template <class T> const T& UxPrototype()
{
    static const T s_Prototype;
    return s_Prototype;
}
