#include "soundrecords.h"

#include "engine/system/node.h"
#include "repositorywriter.h"
#include "xaudio2/gamesound.h"
#include "xaudio2/gamesoundmanager.h"
#include "xaudio2/gamesoundnode.h"
#include "xaudio2/soundgrouptree.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundgroup.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <cstring>
#include <memory>

namespace
{
std::unique_ptr<TSoundRecords> s_pCurrent;

// The game sounds' volume: full up to 0.25 of 50 units, a fifth at the end.
constexpr f32 GAME_SOUND_CURVE_SCALER = 50.0f;
constexpr TSoundCurvePoint kGameSoundCurve[SOUND_CURVE_POINTS] = {
    {0.0f, 1.0f}, {0.25f, 1.0f}, {0.5f, 0.6f}, {0.75f, 0.35f}, {1.0f, 0.2f}};
} // namespace

TSoundRecords& TSoundRecords::Current()
{
    if (!s_pCurrent || g_pXAudio2SoundManager->Groups().GetCount() == 0)
    {
        s_pCurrent.reset();
        s_pCurrent.reset(new TSoundRecords());
    }
    return *s_pCurrent;
}

TSoundRecords::TSoundRecords()
{
    TXAudio2SoundManager& sounds = *g_pXAudio2SoundManager;
    for (u32 i = 0; i < SOUND_GROUP_TREE_SIZE; ++i)
    {
        const char* path = SoundGroupTree()[i].GetText();
        TXAudio2SoundGroup& group = m_aGroup.emplace_back();
        group.m_Name = SoundGroupTree()[i];
        // The parent is the path without its last part.
        const char* last = std::strrchr(path, '/');
        if (last != path)
        {
            char parent[64] = {};
            std::memcpy(parent, path, static_cast<size_t>(last - path));
            TResource::LinkTo(&group, FindGroup(parent));
        }
        sounds.Groups().Add(&group);
    }
    for (u32 i = 0; i < SOUND_RECORD_COUNT; ++i)
        sounds.Sounds().Add(&m_aSound.emplace_back());
}

TSoundRecords::~TSoundRecords()
{
    // The nodes went with the cluster.
    for (TGameSoundNode& node : m_aGameSoundNode)
        node.pNode = nullptr;
}

TXAudio2SoundGroup* TSoundRecords::FindGroup(const char* path)
{
    for (TXAudio2SoundGroup& group : m_aGroup)
        if (group.m_Name == TName(path))
            return &group;
    return nullptr;
}

TXAudio2SoundData* TSoundRecords::FindClip(const char* name)
{
    for (TXAudio2SoundData& clip : m_aClip)
        if (clip.m_Name == TName(name))
            return &clip;
    return nullptr;
}

TXAudio2SoundData* TSoundRecords::AddClip(TRepositoryWriter& writer, const TClipRecipe& recipe)
{
    TXAudio2SoundData& clip = m_aClip.emplace_back();
    clip.m_Name.Set(recipe.szName, true);
    clip.m_nFlags = recipe.nFlags;
    clip.pGroup = FindGroup(recipe.szGroup);
    const std::vector<u8> block = SynthesizeClip(recipe);
    writer.AddBlock(&clip, block.data(), static_cast<u32>(block.size()));
    g_pXAudio2SoundManager->Data().Add(&clip);
    // The pool hands out its highest records first: the bound ones are the lowest.
    if (m_nBoundRecords < SOUND_RECORD_COUNT)
        m_aSound[m_nBoundRecords++].pSoundData = &clip;
    return &clip;
}

TGameSound* TSoundRecords::AddGameSound(std::initializer_list<TXAudio2SoundData*> clips, u32 mode, u32 loop)
{
    TGameSound& sound = m_aGameSound.emplace_back();
    sound.Settings.nPlayMode = mode;
    sound.Settings.nLoop = loop;
    sound.Settings.fCurveDistanceScaler = GAME_SOUND_CURVE_SCALER;
    for (TXAudio2SoundData* clip : clips)
        if (sound.m_nClipCount < GAME_SOUND_CLIP_CAPACITY)
            sound.aSoundData[sound.m_nClipCount++] = clip;
    std::memcpy(sound.aCurve, kGameSoundCurve, sizeof kGameSoundCurve);
    g_pGameSoundManager->GameSounds().Add(&sound);
    return &sound;
}

TGameSoundNode* TSoundRecords::AddGameSoundNode(TNode* node, TGameSound* sound)
{
    TGameSoundNode& object = m_aGameSoundNode.emplace_back();
    object.pGameSound = sound;
    node->AddObject(&object);
    g_pGameSoundManager->GameSoundNodes().Add(&object);
    return &object;
}

i32 TSoundRecords::ListManagers(TClusterManager** managers, i32 count)
{
    TClusterManager* const sound[] = {g_pXAudio2SoundManager, g_pGameSoundManager};
    for (TClusterManager* manager : sound)
    {
        bool listed = false;
        for (i32 i = 0; i < count; ++i)
            listed = listed || managers[i] == manager;
        if (!listed)
            managers[count++] = manager;
    }
    g_pXAudio2SoundManager->_ResetDynamicSounds();
    return count;
}
