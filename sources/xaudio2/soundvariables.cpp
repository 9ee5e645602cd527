// The sound variables. "sound_enabled" is read before the sound system starts (the command-line
// parameter of that name sets it) and set to 0 when a start fails; the others of the startup
// section are read where they are used; the volume variables set their groups at once.
#include "xaudio2/soundvariables.h"

#include "engine/sound/soundgroup.h"
#include "engine/sound/soundmanager.h"
#include "xaudio2/soundgrouptree.h"
#include "xaudio2/xaudio2state.h"

namespace
{
// The groups of the tree (SoundGroupTree) each volume sets.
enum EGroup : u32
{
    MASTER = 0,
    GAME_AMBIENT = 4,
    GAME_EFFECTS = 5,
    GAME_MUSIC = 6,
    GAME_SPEECH = 7,
    MENU_EFFECTS = 8,
    MENU_MUSIC = 9,
    MENU_SPEECH = 10,
    COMMON_EFFECTS = 11,
    COMMON_MUSIC = 12,
    COMMON_SPEECH = 13,
};

// value / 10 on every group of the tree given that exists; a missing group is skipped.
void SetGroupVolumes(const TVariableValue& value, std::initializer_list<EGroup> groups)
{
    if (!g_pSoundManager)
        return;
    const f32 volume = value.ToFloat() / 10.0f;
    for (EGroup index : groups)
    {
        TSoundGroup* group = nullptr;
        g_pSoundManager->FindSoundGroup(group, SoundGroupTree()[index]);
        if (group)
            group->SetVolumeNow(volume);
    }
}
} // namespace

#define SOUND_VARIABLE_DEFINITION(name, description, flags, type, value, change)                               \
    T##name##Variable g_##name;                                                                                \
    T##name##Variable::T##name##Variable() : TVariable(#name, description, flags)                              \
    {                                                                                                          \
        m_Value.Set##type(value);                                                                              \
    }                                                                                                          \
    void T##name##Variable::OnChange()                                                                         \
    {                                                                                                          \
        change;                                                                                                \
    }

SOUND_VARIABLE_DEFINITION(sound_enabled, "Enable or disable sound at startup.", VARIABLE_NOT_SAVED, Int, 1, )
SOUND_VARIABLE_DEFINITION(sound_device_index, "Index of the sound device to use (0 = default).", VARIABLE_STARTUP,
                          Int, 0, )
SOUND_VARIABLE_DEFINITION(sound_dopplerscale, "Sound Doppler effect intensity scale.", VARIABLE_STARTUP, Float,
                          0.1f, )
SOUND_VARIABLE_DEFINITION(sound_distancescale, "Sound distance attenuation intensity scale.", VARIABLE_STARTUP,
                          Float, 100.0f, )
SOUND_VARIABLE_DEFINITION(sound_updateinterval,
                          "Minimum interval to update sound listener/emitter velocity and doppler effect.",
                          VARIABLE_STARTUP, Float, 0.05f, )
SOUND_VARIABLE_DEFINITION(sound_3dfilterq, "3D sound low-pass filter 1/Q factor.", VARIABLE_STARTUP, Float, 1.0f, )
SOUND_VARIABLE_DEFINITION(sound_initialfadetime, "Time for volume to reach full power from initialization.",
                          VARIABLE_STARTUP, Float, 4.0f, )
// On, as the engine starts the effect: a start applies the switch as it stands.
SOUND_VARIABLE_DEFINITION(sound_reverb, "Disable sound reverb", 0, Int, 1, ApplySoundReverb())
// Full volume unless the player turns it down (0 would leave the game silent).
SOUND_VARIABLE_DEFINITION(device_audio_mainvolume, "", 0, Float, 10.0f, SetGroupVolumes(m_Value, {MASTER}))
SOUND_VARIABLE_DEFINITION(device_audio_ambientvolume, "", 0, Float, 10.0f,
                          SetGroupVolumes(m_Value, {GAME_AMBIENT}))
SOUND_VARIABLE_DEFINITION(device_audio_effectsvolume, "Set the volume for the 'effects' sound group.", 0, Float,
                          8.0f,
                          SetGroupVolumes(m_Value, {GAME_EFFECTS, MENU_EFFECTS, COMMON_EFFECTS}))
SOUND_VARIABLE_DEFINITION(device_audio_musicvolume, "Set the volume for the 'music' sound group.", 0, Float, 4.0f,
                          SetGroupVolumes(m_Value, {GAME_MUSIC, MENU_MUSIC, COMMON_MUSIC}))
SOUND_VARIABLE_DEFINITION(device_audio_speechvolume, "Set the volume for the 'speech' sound group.", 0, Float,
                          4.0f,
                          SetGroupVolumes(m_Value, {GAME_SPEECH, MENU_SPEECH, COMMON_SPEECH}))

void ApplySoundReverb()
{
    IXAudio2SubmixVoice* reverb = g_XAudio2.pReverbVoice;
    if (!reverb)
        return;
    // A bypassed reverb passes its input dry: its return is shut with it, or the sends would
    // come back as dry sound beside the direct path.
    if (g_sound_reverb.GetValue().ToInt())
    {
        reverb->EnableEffect(0, XAUDIO2_COMMIT_NOW);
        reverb->SetVolume(1.0f, XAUDIO2_COMMIT_NOW);
    }
    else
    {
        reverb->DisableEffect(0, XAUDIO2_COMMIT_NOW);
        reverb->SetVolume(0.0f, XAUDIO2_COMMIT_NOW);
    }
}

TVariable* const* SoundVolumeVariables()
{
    // In the order a start applies them: the master before its children.
    static TVariable* const s_apVariable[SOUND_VOLUME_VARIABLE_COUNT] = {
        &g_device_audio_mainvolume, &g_device_audio_speechvolume, &g_device_audio_effectsvolume,
        &g_device_audio_musicvolume, &g_device_audio_ambientvolume};
    return s_apVariable;
}
