#pragma once
// The small repository the sound tests load: the group tree, the pool of sound records and a
// few short clips, written through the engine's own save as the level's are.
#include "core/system/types.h"

constexpr u32 SOUND_TEST_REPOSITORY_ID = 7;

// Clips: "tone" (mono, 1 kHz, 0.25 s, peak 0.5 of full scale) and "stereo" (0.25 s, 500 Hz on
// the left, 750 Hz on the right) in the game's effects, "hum" (mono, 200 Hz, endless) in the
// ambience, "track" (stereo, 0.3 s, a music track) in the common music, "click" (0.02 s) in
// the common effects. False when the file cannot be written.
bool WriteSoundTestRepository(const char* path);
// The same records with the game's own clips in place of the tests' (AddGameClips).
bool WriteGameSoundRepository(const char* path);
