#include "engine/sound/soundmanager.h"

#include "core/system/log.h"
#include "engine/sound/sounddata.h"
#include "engine/sound/soundgroup.h"
#include "engine/sound/soundreverb.h"
#include "engine/system/node.h"

TSoundManager* g_pSoundManager = nullptr;

namespace
{
TSoundListenerMethods* s_pListener = nullptr;
} // namespace

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

TSoundReverb* TSoundManager::FindSoundReverb(const TName& name)
{
    const i32 count = GetSoundReverbCount();
    for (i32 i = 0; i < count; ++i)
    {
        TSoundReverb* reverb = GetSoundReverb(i);
        const u32 id = reverb && reverb->pNode ? reverb->pNode->m_Name.GetId() : 0;
        if (reverb && id == name.GetId())
            return reverb;
    }
    return nullptr;
}

void TSoundManager::SetListener(TSoundListenerMethods* listener)
{
    s_pListener = listener;
}

TSoundListenerMethods* TSoundManager::GetListener()
{
    return s_pListener;
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
