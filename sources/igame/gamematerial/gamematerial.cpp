#include "igame/gamematerial/gamematerial.h"

#include "core/cluster/clustertypedecl.h"
#include "ifx/particletypes.h"
#include "xaudio2/soundtypes.h"

namespace
{
const TGameMaterial* Prototype()
{
    static const TGameMaterial s_Prototype = {};
    return &s_Prototype;
}

const TClusterTypeDecl* const s_pDecl = &GameMaterialDecl();
} // namespace

const TClusterTypeDecl& GameMaterialDecl()
{
    static TClusterTypeDecl s_Decl(
        "TGameMaterial", GAME_MATERIAL_TYPE_ID, sizeof(TGameMaterial), Prototype(), 0,
        {TClusterField(CLUSTER_MEMBER_REFERENCE, offsetof(TGameMaterial, pRicocheEffect),
                       PARTICLE_EMITTER_DATA_TYPE_ID, 1, "pRicocheEffect"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, offsetof(TGameMaterial, pRicocheSoundData), SOUND_DATA_TYPE_ID, 1,
                       "pRicocheSoundData"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, offsetof(TGameMaterial, pImpactEffect),
                       PARTICLE_EMITTER_DATA_TYPE_ID, 1, "pImpactEffect"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, offsetof(TGameMaterial, pImpactSoundData), SOUND_DATA_TYPE_ID, 1,
                       "pImpactSoundData")});
    return s_Decl;
}
