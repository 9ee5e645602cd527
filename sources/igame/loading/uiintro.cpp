#include "igame/loading/uiintro.h"

#include "core/cluster/clusterfield.h"
#include "core/cluster/clustertypedecl.h"
#include "engine/render/texture.h"

namespace
{
const TUIIntro s_IntroPrototype{};
} // namespace

const TClusterTypeDecl& UIIntroDecl()
{
    static TClusterTypeDecl s_Decl("TUIIntro", UI_INTRO_TYPE_ID, sizeof(TUIIntro), &s_IntroPrototype, 0,
                                   {
                                       TClusterField(CLUSTER_MEMBER_REFERENCE, offsetof(TUIIntro, aTexture),
                                                     TEXTURE_TYPE_ID, UI_INTRO_IMAGE_CAPACITY, "aTexture",
                                                     "TUIIntro"),
                                   });
    return s_Decl;
}

namespace
{
// Built with the program's statics, ahead of the descriptor linking at start-up.
const TClusterTypeDecl* const s_pDecl = &UIIntroDecl();
} // namespace
