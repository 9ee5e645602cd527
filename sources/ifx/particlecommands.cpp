// The particle console: the variables "ifx_enable", "ifx_lod" and "ifx_shadow_enable", and the
// commands "ifx_list" and "ifx_restart" (which keeps the list command's texts).
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "ifx/ifxparticlemanager.h"

class Tifx_enableVariable : public TVariable
{
public:
    Tifx_enableVariable() : TVariable("ifx_enable", "Enable iFX.", 0) { m_Value.SetInt(1); }
    void OnChange() override { g_pParticleManager->SetEnabled(m_Value.ToInt()); }
};

class Tifx_lodVariable : public TVariable
{
public:
    Tifx_lodVariable() : TVariable("ifx_lod", "iFX LOD factor.", 0) { m_Value.SetFloat(1.0f); }
    void OnChange() override { g_pParticleManager->SetLODFactor(m_Value.ToFloat()); }
};

class Tifx_shadow_enableVariable : public TVariable
{
public:
    Tifx_shadow_enableVariable() : TVariable("ifx_shadow_enable", "iFX shadow enable.", 0)
    {
        m_Value.SetInt(1);
    }
    void OnChange() override { SetParticleShadowsEnabled(m_Value.ToInt() != 0 ? 1 : 0); }
};

class TCommandifx_list : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        for (i32 i = 0; i < g_pParticleManager->GetSystemCount(); ++i)
            TCommandManager::Instance().Print("%s", g_pParticleManager->GetSystem(i)->m_Name.GetText());
    }
};

class TCommandifx_restart : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare != COMMAND_RUN)
            return;
        for (i32 i = 0; i < g_pParticleManager->GetSystemCount(); ++i)
            g_pParticleManager->GetSystem(i)->Restart();
    }
};

namespace
{
Tifx_enableVariable s_ifx_enable;
Tifx_lodVariable s_ifx_lod;
Tifx_shadow_enableVariable s_ifx_shadow_enable;
TCommandifx_list s_Commandifx_list;
TCommandifx_restart s_Commandifx_restart;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("ifx_list", "list particle systems", "List all particle systems.",
                            &s_Commandifx_list, 0);
    manager.RegisterCommand("ifx_restart", "list particle systems", "List all particle systems.",
                            &s_Commandifx_restart, 0);
    return 0u;
}();
} // namespace
