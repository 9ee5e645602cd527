#include "player/playersettings.h"

u32 TPlayerSettings::OnLoadInternal(u32 patchLevel, TStream& stream)
{
    if (!ReadPlayerField(stream, m_nSelectedUid))
        return PLAYER_REFUSED;
    return OnLoad(patchLevel, stream);
}

u32 TPlayerSettings::OnSaveInternal(TStream& stream)
{
    if (!WritePlayerField(stream, m_nSelectedUid))
        return PLAYER_REFUSED;
    return OnSave(stream);
}
