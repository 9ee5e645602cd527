#include "morvane/game/helpcategory.h"

#include "core/cluster/clustertypedecl.h"

namespace
{
// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &HelpCategoryDecl();
} // namespace

const TClusterTypeDecl& HelpCategoryDecl()
{
    static const THelpCategory s_Prototype{};
    static TClusterTypeDecl s_Decl("THelpCategory", HELP_CATEGORY_TYPE_ID, sizeof(THelpCategory), &s_Prototype, 0);
    return s_Decl;
}
