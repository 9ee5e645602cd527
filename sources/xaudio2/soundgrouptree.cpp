#include "xaudio2/soundgrouptree.h"

const TName* SoundGroupTree()
{
    static const TName s_aGroup[SOUND_GROUP_TREE_SIZE] = {
        TName("/master", true),
        TName("/master/game", true),
        TName("/master/menu", true),
        TName("/master/common", true),
        TName("/master/game/ambient", true),
        TName("/master/game/effects", true),
        TName("/master/game/music", true),
        TName("/master/game/speech", true),
        TName("/master/menu/effects", true),
        TName("/master/menu/music", true),
        TName("/master/menu/speech", true),
        TName("/master/common/effects", true),
        TName("/master/common/music", true),
        TName("/master/common/speech", true),
    };
    return s_aGroup;
}

namespace
{
// Registered before main, with the program's other names.
const TName* const s_pRegistered = SoundGroupTree();
} // namespace
