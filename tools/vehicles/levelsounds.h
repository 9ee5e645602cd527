#pragma once
// The engine sounds of the level's vehicles: eight game sounds (the vehicle's slots), each of
// one clip the clip writer synthesises from the tones given here.
#include "core/system/types.h"

class TGameSound;
class TRepositoryWriter;

// Makes the clips (their blocks into the writer) and the game sounds among the sound records of
// the repository being written.
void MakeLevelEngineSounds(TRepositoryWriter& writer, TGameSound* slots[8]);
