// The atmosphere's console: "atmosphere_enable", "atmosphere_transition" (a timed blend of the
// first atmosphere change), "atmosphere_clouds", "atmosphere_overrideclouds" and the time of day
// "atmosphere_timeofday" (0-1).
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospheremanager.h"

#include <algorithm>

namespace
{
// Integers, 64-bit integers and floats as floats; any other value -1.
f32 NumberOf(const TVariableValue& value)
{
    const u32 type = value.nType;
    return type == VALUE_INT || type == VALUE_FLOAT || type == VALUE_INT64 ? value.ToFloat() : -1.0f;
}

class Tatmosphere_enableVariable : public TVariable
{
public:
    Tatmosphere_enableVariable() : TVariable("atmosphere_enable", "Enable atmosphere rendering.", 0) { m_Value.SetInt(1); }
    void OnChange() override
    {
        if (g_pAtmosphereManager)
            g_pAtmosphereManager->SetEnabled(m_Value.ToInt() != 0);
    }
};

class Tatmosphere_transitionVariable : public TVariable
{
public:
    Tatmosphere_transitionVariable() : TVariable("atmosphere_transition", "Atmosphere transition.", 0)
    {
        m_Value.SetFloat(0.0f);
    }
    void OnChange() override
    {
        TAtmosphereChange* change = g_pAtmosphereManager ? g_pAtmosphereManager->GetFirstChange() : nullptr;
        if (!change)
        {
            TCommandManager::Instance().PrintError("no atmosphere transition exists");
            return;
        }
        change->SetBlend(NumberOf(m_Value), 0);
    }
};

class Tatmosphere_cloudsVariable : public TVariable
{
public:
    Tatmosphere_cloudsVariable() : TVariable("atmosphere_clouds", "Atmosphere clouds density.", 0) { m_Value.SetFloat(0.0f); }
    void OnChange() override
    {
        if (g_pAtmosphereManager)
            g_pAtmosphereManager->SetCloudDensity(NumberOf(m_Value));
    }
};

class Tatmosphere_overridecloudsVariable : public TVariable
{
public:
    Tatmosphere_overridecloudsVariable()
        : TVariable("atmosphere_overrideclouds", "Atmosphere override clouds density.", 0)
    {
        m_Value.SetFloat(ATMOSPHERE_NO_OVERRIDE);
    }
    void OnChange() override
    {
        if (g_pAtmosphereManager)
            g_pAtmosphereManager->SetCloudOverride(NumberOf(m_Value));
    }
};

class Tatmosphere_timeofdayVariable : public TVariable
{
public:
    Tatmosphere_timeofdayVariable() : TVariable("atmosphere_timeofday", "Atmosphere time of day (0..1).", 0)
    {
        m_Value.SetFloat(0.0f);
    }
    // Not a number: midnight.
    void OnChange() override
    {
        if (g_pAtmosphereManager)
            g_pAtmosphereManager->SetTimeOfDay(std::max(NumberOf(m_Value), 0.0f));
    }
};

Tatmosphere_enableVariable s_atmosphere_enable;
Tatmosphere_transitionVariable s_atmosphere_transition;
Tatmosphere_cloudsVariable s_atmosphere_clouds;
Tatmosphere_overridecloudsVariable s_atmosphere_overrideclouds;
Tatmosphere_timeofdayVariable s_atmosphere_timeofday;
} // namespace
