// The decal console: "effect_trackdecals" switches the drawing of every decal,
// "effect_trackdecals_amount" is kept for scripts and settings, "effect_decals_clear" empties the
// run-time pools.
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/decalmanager.h"

class Teffect_trackdecalsVariable : public TVariable
{
public:
    Teffect_trackdecalsVariable() : TVariable("effect_trackdecals", "Track decals.", 0) { m_Value.SetInt(1); }
    // Read at each drawing.
    void OnChange() override {}
};

class Teffect_trackdecals_amountVariable : public TVariable
{
public:
    Teffect_trackdecals_amountVariable() : TVariable("effect_trackdecals_amount", "Track decals amount.", 0)
    {
        m_Value.SetInt(10);
    }
    // Not read by the decal code.
    void OnChange() override {}
};

class TCommandeffect_decals_clear : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && g_pDecalManager)
            g_pDecalManager->Clear();
    }
};

namespace
{
Teffect_trackdecalsVariable s_effect_trackdecals;
Teffect_trackdecals_amountVariable s_effect_trackdecals_amount;
TCommandeffect_decals_clear s_Commandeffect_decals_clear;

const u32 s_nRegistered = [] {
    TCommandManager::Instance().RegisterCommand("effect_decals_clear", "clear decals", "Clear all decals.",
                                                &s_Commandeffect_decals_clear, 0);
    return 0u;
}();
} // namespace
