#pragma once
// TSoundRecords: the sound records of the repository being written: the 14 groups of the tree
// (SoundGroupTree),
// the pool of 256 sound records (the first ones bound to clips, so that the console plays
// them), the clips with their blocks, the game sounds and the game sound nodes, each added to
// its manager's array. The records live until the next repository is begun.
#include "clipsynth.h"
#include "core/system/types.h"

#include <deque>

class TClusterManager;
class TGameSound;
class TGameSoundNode;
class TNode;
class TRepositoryWriter;
class TXAudio2Sound;
class TXAudio2SoundData;
class TXAudio2SoundGroup;

// The pool of dynamic sounds the data carry.
constexpr u32 SOUND_RECORD_COUNT = 256;

class TSoundRecords
{
public:
    // The records of the repository being written: begun afresh (groups and pool) when the
    // cluster holds no sound group, as after a clear.
    static TSoundRecords& Current();
    ~TSoundRecords();

    TXAudio2SoundGroup* FindGroup(const char* path);
    TXAudio2SoundData* FindClip(const char* name);
    // The clip synthesised, its block added to the writer, in its group; a free pool record is
    // bound to it.
    TXAudio2SoundData* AddClip(TRepositoryWriter& writer, const TClipRecipe& recipe);
    // A game sound of the clips (up to 16) with default settings and a volume curve over 50
    // units.
    TGameSound* AddGameSound(std::initializer_list<TXAudio2SoundData*> clips, u32 mode, u32 loop);
    // A game sound node on the node.
    TGameSoundNode* AddGameSoundNode(TNode* node, TGameSound* sound);

    // Appends the sound managers unless listed, with the pool all free, for the save; answers
    // the new count.
    static i32 ListManagers(TClusterManager** managers, i32 count);

private:
    TSoundRecords();

    std::deque<TXAudio2SoundGroup> m_aGroup;
    std::deque<TXAudio2Sound> m_aSound;
    std::deque<TXAudio2SoundData> m_aClip;
    std::deque<TGameSound> m_aGameSound;
    std::deque<TGameSoundNode> m_aGameSoundNode;
    u32 m_nBoundRecords = 0;
};
