// The post effects' console: the eleven switches of the steps (read at each step through
// deferred references), the ambient-occlusion targets' size factor, and "effect_transition".
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandarguments.h"
#include "igame/effects/effectsmanager.h"

namespace
{
// A switch read by its step; nothing happens on a change.
class TEffectSwitch : public TVariable
{
public:
    TEffectSwitch(const char* name, const char* help, i32 value) : TVariable(name, help, 0) { m_Value.SetInt(value); }
    void OnChange() override {}
};

class Tambient_occlusion_rtsizefactorVariable : public TVariable
{
public:
    Tambient_occlusion_rtsizefactorVariable()
        : TVariable("ambient_occlusion_rtsizefactor", "SSAO render target factor (0.1..1).", 0)
    {
        m_Value.SetFloat(EFFECTS_AO_FACTOR_DEFAULT);
    }
    // Numbers are taken as floats, anything else as the smallest factor; the targets are made
    // again at once at the clamped size.
    void OnChange() override
    {
        const u32 type = m_Value.nType;
        const bool number = type == VALUE_INT || type == VALUE_FLOAT || type == VALUE_INT64;
        if (g_pEffectsManager)
            g_pEffectsManager->SetAmbientOcclusionFactor(number ? m_Value.ToFloat() : EFFECTS_AO_FACTOR_MINIMUM);
    }
};

class TCommandeffect_transition : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1) || !g_pEffectsManager)
            return;
        TEffectSettings* settings = g_pEffectsManager->FindSettings(CommandArgument(instruction, 0).GetId());
        if (!settings)
        {
            TCommandManager::Instance().PrintError("effects not found");
            return;
        }
        g_pEffectsManager->Transition().Start(*settings, -1.0f);
    }
};

TEffectSwitch s_effect_haze("effect_haze", "Distance haze effect.", 1);
TEffectSwitch s_effect_dof("effect_dof", "Depth-Of-Field effect.", 1);
TEffectSwitch s_effect_overlay("effect_overlay", "Screen overlay mask effect.", 1);
TEffectSwitch s_effect_edgeaa("effect_edgeaa", "Edge anti-aliasing.", 1);
TEffectSwitch s_effect_motionblur("effect_motionblur", "Motion blur (object).", 1);
TEffectSwitch s_effect_motionblurss("effect_motionblurss", "Motion blur (screen space).", 1);
TEffectSwitch s_effect_tonemapping("effect_tonemapping", "Tone mapping.", 0);
TEffectSwitch s_effect_filmgrain("effect_filmgrain", "Film grain.", 0);
TEffectSwitch s_effect_grassss("effect_grassss", "Screen space grass.", 1);
TEffectSwitch s_ambient_occlusion("ambient_occlusion", "Screen space ambient occlusion (SSAO).", 0);
Tambient_occlusion_rtsizefactorVariable s_ambient_occlusion_rtsizefactor;
TCommandeffect_transition s_Commandeffect_transition;

const u32 s_nRegistered = [] {
    TCommandManager::Instance().RegisterCommand("effect_transition", "effect transition", "Effects settings transition.",
                                                &s_Commandeffect_transition, 0);
    return 0u;
}();
} // namespace
