#pragma once
// The engine sounds of the level's vehicles: eight game sounds (the vehicle's slots), each of
// one clip made here as a short 16-bit mono PCM tone, the same bytes on every run.
#include "core/system/types.h"

class TGameSound;
class TRepositoryWriter;

// Makes the clips (their blocks into the writer) and the game sounds, added to the sound
// managers' arrays; the sounds and clips live until the next call.
void MakeLevelEngineSounds(TRepositoryWriter& writer, TGameSound* slots[8]);
