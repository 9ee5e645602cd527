#include "ifx/particletypes.h"

#include "core/cluster/clustertypedecl.h"
#include "engine/system/typedeclfields.h"
#include "ifx/ifxparticlemanager.h"
#include "xaudio2/soundtypes.h"

namespace
{
constexpr u32 TEXTURE_TYPE = 36;
constexpr u32 RENDER_QUEUE_TYPE = 58;
constexpr u32 FRAME_SIZE = sizeof(TParticleEmitterData);
constexpr u32 FIRST_FRAME = 84;
const char* const kData = "TParticleEmitterData";
} // namespace

// The six references of an emitter-data image at `base`, named after the data when embedded.
#define PARTICLE_EMITTER_DATA_FIELDS(base, owner)                                                            \
    TypeResourceUses(base, owner), TypeResourceUsers(base, owner),                                           \
        TypeLink((base) + 436, TEXTURE_TYPE, "aTexture", PARTICLE_TEXTURE_COUNT, owner),                     \
        TypeLink((base) + 532, PARTICLE_EMITTER_DATA_TYPE_ID, "pEmitEmitter", 1, owner),                     \
        TypeLink((base) + 548, PARTICLE_EMITTER_DATA_TYPE_ID, "aSubEmitter", PARTICLE_SUB_EMITTER_CAPACITY,  \
                 owner),                                                                                     \
        TypeLink((base) + 776, SOUND_DATA_TYPE_ID, "pSoundData", 1, owner)
#define PARTICLE_FRAME_FIELDS(k) PARTICLE_EMITTER_DATA_FIELDS(FIRST_FRAME + FRAME_SIZE * (k), kData)

const TClusterTypeDecl& ParticleEmitterDataDecl()
{
    static TClusterTypeDecl s_Decl("TParticleEmitterData", PARTICLE_EMITTER_DATA_TYPE_ID,
                                   sizeof(TIParticleEmitterData), TypePrototype<TIParticleEmitterData>(), 1,
                                   {PARTICLE_EMITTER_DATA_FIELDS(0, nullptr)});
    return s_Decl;
}

const TClusterTypeDecl& ParticleEmitterAnimationDecl()
{
    static TClusterTypeDecl s_Decl(
        "TParticleEmitterAnimation", PARTICLE_EMITTER_ANIMATION_TYPE_ID, sizeof(TIParticleEmitterAnimation),
        TypePrototype<TIParticleEmitterAnimation>(), 1,
        {TypeResourceUses(), TypeResourceUsers(), PARTICLE_FRAME_FIELDS(0), PARTICLE_FRAME_FIELDS(1),
         PARTICLE_FRAME_FIELDS(2), PARTICLE_FRAME_FIELDS(3), PARTICLE_FRAME_FIELDS(4),
         PARTICLE_FRAME_FIELDS(5), PARTICLE_FRAME_FIELDS(6), PARTICLE_FRAME_FIELDS(7)});
    return s_Decl;
}

#undef PARTICLE_FRAME_FIELDS
#undef PARTICLE_EMITTER_DATA_FIELDS

const TClusterTypeDecl& ParticleEmitterDecl()
{
    static TClusterTypeDecl s_Decl("TParticleEmitter", PARTICLE_EMITTER_TYPE_ID, sizeof(TIParticleEmitter),
                                   TypePrototype<TIParticleEmitter>(), 1,
                                   {TypeLink(4, NODE_TYPE_ID, "TNodeObject::pNode"),
                                    TypeLink(12, PARTICLE_EMITTER_ANIMATION_TYPE_ID, "pAnimation"),
                                    TypeLink(40, PARTICLE_EMITTER_DATA_TYPE_ID, "pEmitterData"),
                                    TypeLink(44, PARTICLE_SYSTEM_TYPE_ID, "pSystem")});
    return s_Decl;
}

const TClusterTypeDecl& ParticleGlobalAreaDecl()
{
    static TClusterTypeDecl s_Decl("TParticleGlobalArea", PARTICLE_GLOBAL_AREA_TYPE_ID,
                                   sizeof(TIParticleGlobalArea), TypePrototype<TIParticleGlobalArea>(), 1,
                                   {TypeLink(4, NODE_TYPE_ID, "TNodeObject::pNode")});
    return s_Decl;
}

const TClusterTypeDecl& ParticleSystemDecl()
{
    static TClusterTypeDecl s_Decl(
        "TParticleSystem", PARTICLE_SYSTEM_TYPE_ID, sizeof(TIParticleSystem),
        TypePrototype<TIParticleSystem>(), 1,
        {TypeLink(12, PARTICLE_EMITTER_TYPE_ID, "pEmitter"),
         TypeLink(168, TEXTURE_TYPE, "aTexture", PARTICLE_TEXTURE_COUNT),
         TypeLink(188, PARTICLE_SYSTEM_TYPE_ID, "aSubSystem", PARTICLE_SUB_EMITTER_CAPACITY)});
    return s_Decl;
}

const TClusterTypeDecl& ParticleNodeSystemDecl()
{
    static TClusterTypeDecl s_Decl(
        "TParticleNodeSystem", PARTICLE_NODE_SYSTEM_TYPE_ID, sizeof(TIParticleNodeSystem),
        TypePrototype<TIParticleNodeSystem>(), 1,
        {TypeLink(4, NODE_TYPE_ID, "TRenderObject::TNodeObject::pNode"),
         TypeLink(12, RENDER_QUEUE_TYPE, "TRenderObject::pRenderQueue"),
         TypeLink(16, 0, "TRenderObject::pPrev"), TypeLink(20, 0, "TRenderObject::pNext"),
         TypeLink(28, TEXTURE_TYPE, "pColor"), TypeLink(32, TEXTURE_TYPE, "pNormal"),
         TypeLink(36, TEXTURE_TYPE, "pMask"), TypeLink(40, PARTICLE_EMITTER_DATA_TYPE_ID, "pEmitterData"),
         TypeLink(52, PARTICLE_SYSTEM_TYPE_ID, "pParticleSystem"),
         TypeLink(160, NODE_TYPE_ID, "pVisibilityDriver")});
    return s_Decl;
}

namespace
{
// Built with the program's statics, ahead of the descriptor linking at start-up.
[[maybe_unused]] const TClusterTypeDecl* const s_apDecl[] = {
    &ParticleEmitterDataDecl(), &ParticleEmitterAnimationDecl(), &ParticleEmitterDecl(),
    &ParticleGlobalAreaDecl(),  &ParticleSystemDecl(),           &ParticleNodeSystemDecl(),
};
} // namespace
