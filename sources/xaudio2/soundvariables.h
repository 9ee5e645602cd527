#pragma once
// The sound system's console variables: the device, the 3D computations, the reverb switch and
// the volumes of the group tree (value / 10 on their groups, so 10 is full volume).
#include "engine/system/command/variable.h"

#define SOUND_VARIABLE(name) DECLARE_VARIABLE_CLASS(TVariable, name)

SOUND_VARIABLE(sound_enabled)
SOUND_VARIABLE(sound_device_index)
SOUND_VARIABLE(sound_dopplerscale)
SOUND_VARIABLE(sound_distancescale)
SOUND_VARIABLE(sound_updateinterval)
SOUND_VARIABLE(sound_3dfilterq)
SOUND_VARIABLE(sound_initialfadetime)
SOUND_VARIABLE(sound_reverb)
SOUND_VARIABLE(device_audio_mainvolume)
SOUND_VARIABLE(device_audio_ambientvolume)
SOUND_VARIABLE(device_audio_effectsvolume)
SOUND_VARIABLE(device_audio_musicvolume)
SOUND_VARIABLE(device_audio_speechvolume)

// sound_reverb on the running reverb voice: the effect and its return on, or both off.
void ApplySoundReverb();

// The five volume variables, so that a start of the sound engine applies them all.
constexpr u32 SOUND_VOLUME_VARIABLE_COUNT = 5;
TVariable* const* SoundVolumeVariables();
