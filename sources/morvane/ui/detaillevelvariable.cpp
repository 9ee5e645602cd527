#include "morvane/ui/detaillevelvariable.h"

#include "core/system/log.h"
#include "engine/render/deferredrendering.h"
#include "engine/system/command/commandmanager.h"

#include <algorithm>
#include <cstdio>

namespace
{
// The shadow map size of each level up to 4.
constexpr i32 SHADOW_MAP_SIZE[] = {0, 0, 512, 1024, 2048};

Tdevice_detaillevelVariable s_device_detaillevel;

std::string Line(const char* format, i32 value)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}
} // namespace

Tdevice_detaillevelVariable::Tdevice_detaillevelVariable() : TVariable("device_detaillevel", "", VARIABLE_STARTUP)
{
    m_Value.SetInt(DETAIL_LEVEL_DEFAULT);
}

std::array<std::string, DETAIL_COMMAND_COUNT> Tdevice_detaillevelVariable::Commands(i32 level)
{
    const i32 l = std::clamp(level, 0, DETAIL_LEVEL_HIGHEST);
    char text[64];
    std::snprintf(text, sizeof(text), "set imposter.distance %d %d", (l + 2) * 15, (l + 2) * 15);
    const std::string imposter = text;
    std::snprintf(text, sizeof(text), "set ifx.lod %.1f", static_cast<f64>(static_cast<f32>(l + 1) * 0.2f));
    const std::string lod = text;
    return {Line("set deferredrendering.disable %d", l < 2),
            Line("set effect.haze %d", l >= 2),
            Line("set effect.overlay %d", l >= 3),
            Line("set effect.dof %d", l >= 4),
            Line("set ambient.occlusion %d", l >= 5),
            Line("set effect.lensflares %d", l >= 4),
            Line("set effect.dynamicweather %d", l >= 2),
            Line("set effect.edgeaa %d", l >= 3),
            Line("set effect.motionblur %d", l >= 4),
            imposter,
            lod,
            Line("set device.texture.mipmap.skip %d", l == 0 ? 2 : l == 1 ? 1 : 0),
            Line("set shadow.map.size %d", SHADOW_MAP_SIZE[std::min(l, 4)]),
            Line("set shadow.enable %d", l >= 3)};
}

void Tdevice_detaillevelVariable::OnChange()
{
    i32 level = m_Value.ToInt();
    if (level < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "Tdevice_detaillevelVariable::OnValueChanged(): error: ",
                    "level of detail %d refused: it stays %d", level, m_nInForce);
        Store(m_nInForce);
        return;
    }
    // The level stays 1 without a second notification.
    if (level >= 2 && g_pDeferredRendering && !g_pDeferredRendering->m_nSupported)
    {
        level = 1;
        StoreChanged(1);
    }
    m_nInForce = level;
    TLog::Print(g_pSystemLog, LOG_INFO, "Tdevice_detaillevelVariable::OnValueChanged(): ", "set level of detail to %d",
                level);
    for (const std::string& line : Commands(level))
        TCommandManager::Instance().ExecuteText(line.c_str());
}
