#include "xaudio2/soundmanager.h"

#include "core/system/log.h"
#include "xaudio2/sounddata.h"
#include "xaudio2/soundgroup.h"

TSoundManager* g_pSoundManager = nullptr;

void TSoundManager::FindSoundGroup(TSoundGroup*& group, const TName& name)
{
    const i32 count = GetSoundGroupCount();
    for (i32 i = 0; i < count; ++i)
    {
        GetSoundGroup(group, i);
        if (group && group->m_Name == name)
            return;
    }
    group = nullptr;
}

void TSoundManager::FindSoundData(TSoundData*& data, const TName& name)
{
    const i32 count = GetSoundDataCount();
    for (i32 i = 0; i < count; ++i)
    {
        GetSoundData(data, i);
        if (data && data->m_Name == name)
            return;
    }
    data = nullptr;
}

u32 TSoundManager::AddMethod(TSoundMethods* listener)
{
    for (u32 i = 0; i < m_aMethod.GetCount(); ++i)
        if (m_aMethod[i] == listener)
            return 1;
    if (m_aMethod.GetCount() == SOUND_METHOD_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TSoundManager::AddMethod(): error: ", "too many listeners (max %u): listener refused",
                    SOUND_METHOD_CAPACITY);
        return 1;
    }
    m_aMethod.Add(listener);
    return 0;
}
