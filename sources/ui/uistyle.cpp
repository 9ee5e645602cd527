#include "ui/uistyle.h"

#include "core/cluster/clusterfield.h"
#include "core/cluster/clustertypedecl.h"
#include "engine/render/texture.h"

namespace
{
const TUIIcon s_IconPrototype{};
const TUIStyle s_StylePrototype{};
} // namespace

const TClusterTypeDecl& UIIconDecl()
{
    static TClusterTypeDecl s_Decl(
        "TUIIcon", UI_ICON_TYPE_ID, sizeof(TUIIcon), &s_IconPrototype, 0,
        {
            TClusterField(CLUSTER_MEMBER_REFERENCE, 68, TEXTURE_TYPE_ID, 1, "pNormal", "TUIIcon"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 72, TEXTURE_TYPE_ID, 1, "pDown", "TUIIcon"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 76, TEXTURE_TYPE_ID, 1, "pMouseOver", "TUIIcon"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 80, TEXTURE_TYPE_ID, 1, "pDisabled", "TUIIcon"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 84, TEXTURE_TYPE_ID, 1, "pGlow", "TUIIcon"),
        });
    return s_Decl;
}

const TClusterTypeDecl& UIStyleDecl()
{
    static TClusterTypeDecl s_Decl(
        "TUIStyle", UI_STYLE_TYPE_ID, sizeof(TUIStyle), &s_StylePrototype, 0,
        {
            TClusterField(CLUSTER_MEMBER_REFERENCE, 284, UI_ICON_TYPE_ID, 1, "pIcon", "TUIStyle"),
        });
    return s_Decl;
}

namespace
{
// Built with the program's statics, ahead of the descriptor linking at start-up.
const TClusterTypeDecl* const s_apDecl[] = {&UIIconDecl(), &UIStyleDecl()};
} // namespace
