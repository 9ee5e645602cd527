#include "xaudio2/soundtypes.h"

#include "engine/system/scenetypes.h"
#include "xaudio2/gamesound.h"
#include "xaudio2/gamesoundnode.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2sounddatalibrary.h"
#include "xaudio2/xaudio2soundgeometry.h"
#include "xaudio2/xaudio2soundgroup.h"
#include "xaudio2/xaudio2soundparameter.h"
#include "xaudio2/xaudio2soundreverb.h"

namespace
{
// Built on first use, destroyed at exit; loaded objects take their virtual tables from it.
template <class T> const T* Prototype()
{
    static const T s_Prototype{};
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

// The two link arrays of the resource head (item pointers after capacity and count).
TClusterField ResourceUses()
{
    return TClusterField(CLUSTER_MEMBER_RUN, 36, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink");
}

TClusterField ResourceUsers()
{
    return TClusterField(CLUSTER_MEMBER_RUN, 48, RESOURCE_LINK_TYPE_ID, 1, "TResource::TResourceLink");
}
} // namespace

const TClusterTypeDecl& SoundGroupDecl()
{
    static TClusterTypeDecl s_Decl("TSoundGroup", SOUND_GROUP_TYPE_ID, sizeof(TXAudio2SoundGroup),
                                   Prototype<TXAudio2SoundGroup>(), 1, {ResourceUses(), ResourceUsers()});
    return s_Decl;
}

const TClusterTypeDecl& SoundDataLibraryDecl()
{
    static TClusterTypeDecl s_Decl("TSoundDataLibrary", SOUND_DATA_LIBRARY_TYPE_ID,
                                   sizeof(TXAudio2SoundDataLibrary), Prototype<TXAudio2SoundDataLibrary>(), 1,
                                   {ResourceUses(), ResourceUsers()});
    return s_Decl;
}

const TClusterTypeDecl& SoundDataDecl()
{
    static TClusterTypeDecl s_Decl(
        "TSoundData", SOUND_DATA_TYPE_ID, sizeof(TXAudio2SoundData), Prototype<TXAudio2SoundData>(), 1,
        {ResourceUses(), ResourceUsers(), Link(72, SOUND_DATA_LIBRARY_TYPE_ID, "pLibrary"),
         Link(76, SOUND_GROUP_TYPE_ID, "pGroup")});
    return s_Decl;
}

const TClusterTypeDecl& SoundParameterDecl()
{
    static TClusterTypeDecl s_Decl("TSoundParameter", SOUND_PARAMETER_TYPE_ID, sizeof(TXAudio2SoundParameter),
                                   Prototype<TXAudio2SoundParameter>(), 1);
    return s_Decl;
}

const TClusterTypeDecl& SoundDecl()
{
    static TClusterTypeDecl s_Decl(
        "TSound", SOUND_TYPE_ID, sizeof(TXAudio2Sound), Prototype<TXAudio2Sound>(), 1,
        {Link(4, NODE_TYPE_ID, "TNodeObject::pNode"), Link(12, SOUND_DATA_TYPE_ID, "pSoundData"),
         Link(16, SCRIPT_TYPE_ID, "pScriptStart"), Link(20, SCRIPT_TYPE_ID, "pScriptEnd"),
         Link(24, SCRIPT_TYPE_ID, "pScriptSyncPoint")});
    return s_Decl;
}

const TClusterTypeDecl& SoundGeometryDecl()
{
    static TClusterTypeDecl s_Decl("TSoundGeometry", SOUND_GEOMETRY_TYPE_ID, sizeof(TXAudio2SoundGeometry),
                                   Prototype<TXAudio2SoundGeometry>(), 1,
                                   {Link(4, NODE_TYPE_ID, "TNodeObject::pNode"),
                                    Link(12, SOUND_GEOMETRY_DATA_TYPE_ID, "pGeometryData")});
    return s_Decl;
}

const TClusterTypeDecl& SoundReverbDecl()
{
    static TClusterTypeDecl s_Decl("TSoundReverb", SOUND_REVERB_TYPE_ID, sizeof(TXAudio2SoundReverb),
                                   Prototype<TXAudio2SoundReverb>(), 1, {Link(4, NODE_TYPE_ID, "TNodeObject::pNode")});
    return s_Decl;
}

const TClusterTypeDecl& GameSoundDecl()
{
    static TClusterTypeDecl s_Decl("TGameSound", GAME_SOUND_TYPE_ID, sizeof(TGameSound),
                                   Prototype<TGameSound>(), 1,
                                   {Link(76, SOUND_DATA_TYPE_ID, "aSoundData", GAME_SOUND_CLIP_CAPACITY),
                                    Link(140, SOUND_TYPE_ID, "pSound")});
    return s_Decl;
}

const TClusterTypeDecl& GameSoundNodeDecl()
{
    static TClusterTypeDecl s_Decl("TGameSoundNode", GAME_SOUND_NODE_TYPE_ID, sizeof(TGameSoundNode),
                                   Prototype<TGameSoundNode>(), 1,
                                   {Link(4, NODE_TYPE_ID, "TNodeObject::pNode"),
                                    Link(12, GAME_SOUND_TYPE_ID, "pGameSound")});
    return s_Decl;
}

namespace
{
// Declared with the program's statics.
const TClusterTypeDecl* const s_apDecl[] = {
    &SoundGroupDecl(),    &SoundDataLibraryDecl(), &SoundDataDecl(),   &SoundParameterDecl(), &SoundDecl(),
    &SoundGeometryDecl(), &SoundReverbDecl(),      &GameSoundDecl(),   &GameSoundNodeDecl()};
} // namespace
