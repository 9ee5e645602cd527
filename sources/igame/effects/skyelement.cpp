#include "igame/effects/skyelement.h"

#include "core/cluster/clustertypedecl.h"
#include "igame/effects/atmosphere.h"

namespace
{
// Declared with the program's statics.
const TClusterTypeDecl* const s_apDecl[] = {&SkyElementTemplateDecl(), &SkyElementDecl()};
} // namespace

const TClusterTypeDecl& SkyElementDecl()
{
    static TClusterTypeDecl s_Decl("TSkyElement", SKY_ELEMENT_TYPE_ID, sizeof(TSkyElement), nullptr, 0);
    return s_Decl;
}

const TClusterTypeDecl& SkyElementTemplateDecl()
{
    static TClusterTypeDecl s_Decl("TSkyElementTemplate", SKY_ELEMENT_TEMPLATE_TYPE_ID, sizeof(TSkyElementTemplate),
                                   nullptr, 0);
    return s_Decl;
}
