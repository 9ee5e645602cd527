#include "engine/input/inputtypes.h"

#include "engine/input/inputaction.h"
#include "engine/input/inputactiongroup.h"
#include "engine/input/inputcursor.h"
#include "engine/input/inputobject.h"

namespace
{
const TInputAction s_ActionPrototype{};
const TInputActionGroup s_ActionGroupPrototype{};
const TInputCursor s_CursorPrototype{};
const TInputObject s_ObjectPrototype{};
} // namespace

const TClusterTypeDecl& InputActionDecl()
{
    static TClusterTypeDecl s_Decl("TInputAction", INPUT_ACTION_TYPE_ID, sizeof(TInputAction),
                                   &s_ActionPrototype, 0,
                                   {
                                       TClusterField(CLUSTER_MEMBER_REFERENCE, 24, INPUT_ACTION_GROUP_TYPE_ID,
                                                     1, "pGroup", "TInputAction"),
                                   });
    return s_Decl;
}

const TClusterTypeDecl& InputActionGroupDecl()
{
    static TClusterTypeDecl s_Decl(
        "TInputActionGroup", INPUT_ACTION_GROUP_TYPE_ID, sizeof(TInputActionGroup), &s_ActionGroupPrototype,
        0,
        {
            TClusterField(CLUSTER_MEMBER_REFERENCE, 8, INPUT_ACTION_TYPE_ID, INPUT_ACTION_GROUP_SIZE,
                          "aSortedAction", "TInputActionGroup"),
        });
    return s_Decl;
}

const TClusterTypeDecl& InputCursorDecl()
{
    static TClusterTypeDecl s_Decl(
        "TInputCursor", INPUT_CURSOR_TYPE_ID, sizeof(TInputCursor), &s_CursorPrototype, 0,
        {
            TClusterField(CLUSTER_MEMBER_REFERENCE, 28, INPUT_ACTION_TYPE_ID, 1, "pMoveUp", "TInputCursor"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 32, INPUT_ACTION_TYPE_ID, 1, "pMoveDown", "TInputCursor"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 36, INPUT_ACTION_TYPE_ID, 1, "pMoveLeft", "TInputCursor"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 40, INPUT_ACTION_TYPE_ID, 1, "pMoveRight",
                          "TInputCursor"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 52, INPUT_ACTION_TYPE_ID, INPUT_CURSOR_ACTION_COUNT,
                          "pAction", "TInputCursor"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 72, INPUT_SCRIPT_TYPE_ID, INPUT_CURSOR_ACTION_COUNT,
                          "pScriptActionDown", "TInputCursor"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 92, INPUT_SCRIPT_TYPE_ID, INPUT_CURSOR_ACTION_COUNT,
                          "pScriptActionUp", "TInputCursor"),
            TClusterField(CLUSTER_MEMBER_REFERENCE, 128, INPUT_TEXTURE_TYPE_ID, 1, "pTexture",
                          "TInputCursor"),
        });
    return s_Decl;
}

const TClusterTypeDecl& InputObjectDecl()
{
    static TClusterTypeDecl s_Decl("TInputObject", INPUT_OBJECT_TYPE_ID, sizeof(TInputObject),
                                   &s_ObjectPrototype, 0,
                                   {
                                       TClusterField(CLUSTER_MEMBER_REFERENCE, 24, INPUT_SCRIPT_TYPE_ID, 1,
                                                     "pScriptUpdate", "TInputObject"),
                                       TClusterField(CLUSTER_MEMBER_REFERENCE, 28, INPUT_SCRIPT_TYPE_ID, 1,
                                                     "pScriptInput", "TInputObject"),
                                       TClusterField(CLUSTER_MEMBER_REFERENCE, 32, INPUT_SCRIPT_TYPE_ID, 1,
                                                     "pScriptActivate", "TInputObject"),
                                       TClusterField(CLUSTER_MEMBER_REFERENCE, 36, INPUT_SCRIPT_TYPE_ID, 1,
                                                     "pScriptDeactivate", "TInputObject"),
                                   });
    return s_Decl;
}

namespace
{
// Built with the program's statics, ahead of the descriptor linking at start-up.
const TClusterTypeDecl* const s_apDecl[] = {&InputActionDecl(), &InputActionGroupDecl(), &InputCursorDecl(),
                                            &InputObjectDecl()};
} // namespace
