// The sound variables: "sound_enabled", which the start-up reads before the sound system exists
// (the command-line parameter of that name sets it) and the sound manager reads when it starts,
// and the distance and update settings of positioned sounds, which the game's sound player
// writes.
#include "engine/system/command/variable.h"

namespace
{
class Tsound_enabledVariable : public TVariable
{
public:
    Tsound_enabledVariable()
        : TVariable("sound_enabled", "Enable or disable sound at startup.", VARIABLE_NOT_SAVED)
    {
        m_Value.SetInt(1);
    }
    // Read when the sound service starts.
    void OnChange() override {}
};

// A float variable of the startup section, read where it is used.
#define SOUND_FLOAT_VARIABLE(name, description, value)                                                       \
    class T##name##Variable : public TVariable                                                               \
    {                                                                                                        \
    public:                                                                                                  \
        T##name##Variable() : TVariable(#name, description, VARIABLE_STARTUP) { m_Value.SetFloat(value); }   \
        void OnChange() override {}                                                                          \
    };                                                                                                       \
    T##name##Variable s_##name##Variable;

Tsound_enabledVariable s_sound_enabledVariable;
SOUND_FLOAT_VARIABLE(sound_distancescale, "Sound distance attenuation intensity scale.", 100.0f)
SOUND_FLOAT_VARIABLE(sound_updateinterval,
                     "Minimum interval to update sound listener/emitter velocity and doppler effect.", 0.05f)
} // namespace
