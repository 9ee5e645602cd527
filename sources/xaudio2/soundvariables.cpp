// The sound variables that the start-up reads before the sound system exists: the
// command-line parameter "sound_enabled" sets this one. The sound manager reads it when it
// starts its engine.
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
    // Read when the sound engine starts; nothing runs yet to apply a change.
    void OnChange() override {}
};

Tsound_enabledVariable s_sound_enabledVariable;
} // namespace
