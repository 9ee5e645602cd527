#include "player/playersettings.h"

#include "core/system/log.h"

u32 TPlayerSettings::OnLoadInternal(u32 patchLevel, TStream& stream)
{
    if (!ReadPlayerField(stream, m_nSelectedUid))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TPlayerSettings::OnLoadInternal(): error: ",
                    "'%s' ends before the selected uid.", stream.GetName().GetText());
        return PLAYER_REFUSED;
    }
    return OnLoad(patchLevel, stream);
}

u32 TPlayerSettings::OnSaveInternal(TStream& stream)
{
    if (!WritePlayerField(stream, m_nSelectedUid))
        return PLAYER_REFUSED;
    return OnSave(stream);
}
