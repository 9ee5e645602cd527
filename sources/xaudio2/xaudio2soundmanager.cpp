#include "xaudio2/xaudio2soundmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "xaudio2/reverbpresets.h"
#include "xaudio2/soundmethods.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundgroup.h"

#include <algorithm>

TXAudio2SoundManager* g_pXAudio2SoundManager = nullptr;

namespace
{
TXAudio2SoundManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Sound", "XAudio2", &g_pSoundManager,
                                                           static_cast<TSoundManager*>(&s_Manager));

// The longest step of one update.
constexpr f32 SOUND_MAX_STEP = 0.1f;

template <class T> bool Contains(const TSoundIndexList& list, T value)
{
    for (u32 i = 0; i < list.GetCount(); ++i)
        if (list[i] == value)
            return true;
    return false;
}
} // namespace

TXAudio2SoundManager::TXAudio2SoundManager()
    : m_nStateFlags(0), m_nReverbPreset(0), m_nAmbientReverbPreset(0), m_nSerial(0), m_nSuppressNotify(0)
{
    // The instances reach the implementation from the start, the tools' records too.
    g_pXAudio2SoundManager = this;
    if (!g_pCluster)
        return;
    RegisterArray(&SoundDecl(), &m_aSound);
    RegisterArray(&SoundDataDecl(), &m_aData);
    RegisterArray(&SoundGroupDecl(), &m_aGroup);
}

TXAudio2SoundManager::~TXAudio2SoundManager()
{
    FreeOwned();
    m_aOwnedSound.Free();
}

void TXAudio2SoundManager::FreeOwned()
{
    // The nodes may be gone already: the instances do not go back to them.
    for (i32 i = 0; i < m_aOwnedSound.GetCount(); ++i)
    {
        m_aOwnedSound[i]->pNode = nullptr;
        MemoryDelete(m_aOwnedSound[i]);
    }
    m_aOwnedSound.SetCount(0);
}

i32 TXAudio2SoundManager::SetArray(u32 typeId, void*, i32)
{
    if (typeId != SOUND_TYPE_ID)
        return 0;
    // The lists named records of the replaced array.
    FreeOwned();
    m_aPlaying.SetCount(0);
    m_aFinished.SetCount(0);
    if (IsAudioEnabled())
        _ResetDynamicSounds();
    else
        m_aFree.SetCount(0);
    return 0;
}

i32 TXAudio2SoundManager::InitializeManager()
{
    TLog::Print(g_pSystemLog, LOG_INFO,
                "TXAudio2SoundManager::InitializeManager(): ", "XAudio2 initializing.");
    g_pXAudio2SoundManager = this;
    return 0;
}

void TXAudio2SoundManager::BeginManager()
{
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
}

void TXAudio2SoundManager::EndManager()
{
    _Stop();
}

void TXAudio2SoundManager::OnClusterUnload()
{
    m_nSuppressNotify = 1;
    _Stop();
}

void TXAudio2SoundManager::OnClusterLoad()
{
    _Start();
    // Game sounds continue on the notification: a reload must not leave it off for good.
    m_nSuppressNotify = 0;
}

void TXAudio2SoundManager::_Start()
{
    if (IsAudioEnabled())
        return;
    static TDeferredVariable s_Enabled("sound_enabled");
    if (s_Enabled.GetValue().ToInt() == 0)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, "TXAudio2SoundManager::_Start(): ", "Sound disabled.");
        return;
    }
    _ResetDynamicSounds();
    m_nStateFlags |= SOUND_STATE_AUDIO_ENABLED;
}

void TXAudio2SoundManager::_Stop()
{
    if (!IsAudioEnabled())
        return;
    m_nStateFlags &= ~SOUND_STATE_AUDIO_ENABLED;
    for (u32 i = 0; i < m_aPlaying.GetCount(); ++i)
    {
        TXAudio2Sound* sound = m_aSound[m_aPlaying[i]];
        sound->Stop(1);
        if (!Contains(m_aFinished, m_aPlaying[i]))
            m_aFinished.Add(m_aPlaying[i]);
    }
    _ReleaseFinishedSounds();
    m_aFinished.SetCount(0);
    m_aPlaying.SetCount(0);
    _ResetDynamicSounds();
}

void TXAudio2SoundManager::UpdateManager(f32 step)
{
    if (!IsAudioEnabled())
        return;
    const f32 t = std::min(step, SOUND_MAX_STEP);
    for (i32 i = 0; i < m_aGroup.GetCount(); ++i)
        m_aGroup[i]->_UpdateFades(t);
    for (u32 i = 0; i < m_aPlaying.GetCount(); ++i)
    {
        TXAudio2Sound* sound = m_aSound[m_aPlaying[i]];
        if (!(sound->m_nFlags & SOUND_FINISHED))
            sound->_Update(t);
        else if (!Contains(m_aFinished, m_aPlaying[i]))
            m_aFinished.Add(m_aPlaying[i]);
    }
    _ReleaseFinishedSounds();
}

void TXAudio2SoundManager::GetSoundGroup(TSoundGroup*& group, i32 index)
{
    group = index >= 0 && index < m_aGroup.GetCount() ? m_aGroup[index] : nullptr;
}

void TXAudio2SoundManager::GetSoundData(TSoundData*& data, i32 index)
{
    data = index >= 0 && index < m_aData.GetCount() ? m_aData[index] : nullptr;
}

void TXAudio2SoundManager::GetSound(TSound*& sound, i32 index)
{
    sound = index >= 0 && index < m_aSound.GetCount() ? m_aSound[index] : nullptr;
}

i32 TXAudio2SoundManager::FindReverbPreset(const TName& name, i32 defaultIndex) const
{
    return name.GetId() == 0 ? defaultIndex : FindReverbPresetIndex(name);
}

void TXAudio2SoundManager::SetReverb(const TName& name)
{
    const i32 index = FindReverbPreset(name, m_nReverbPreset);
    if (index < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TXAudio2SoundManager::SetReverb(): error: ", "unable to find '%s'", name.GetText());
        return;
    }
    ApplyReverbPreset(index);
}

void TXAudio2SoundManager::PlaySound(TSound*& sound, TSoundData* data, TNode* node, i32 startArgument,
                                     u32 play)
{
    TXAudio2Sound* made = _CreateDynamicSound(data, node);
    if (made && play)
        made->Play(startArgument, nullptr);
    sound = made;
}

void TXAudio2SoundManager::PlaySoundEx(TSound*& sound, TSoundData* data, TNode* node, i32 idA, f32 valueA,
                                       i32 idB, f32 valueB)
{
    TXAudio2Sound* made = _CreateDynamicSound(data, node);
    if (made)
    {
        if (idA >= 0)
            made->SetParameter(idA, valueA);
        if (idB >= 0)
            made->SetParameter(idB, valueB);
        if (idA != SOUND_PARAMETER_NOT_STARTED && idB != SOUND_PARAMETER_NOT_STARTED)
            made->Play(-1, nullptr);
    }
    sound = made;
}

i32 TXAudio2SoundManager::_GetSoundIndex(const TSound* sound) const
{
    if (!sound)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TXAudio2SoundManager::_GetSoundIndex(): error: ", "null sound.");
        return -1;
    }
    for (i32 i = 0; i < m_aSound.GetCount(); ++i)
        if (m_aSound[i] == sound)
            return i;
    return -1;
}

bool TXAudio2SoundManager::_CanSoundPlay(TSound*)
{
    if (m_aPlaying.GetCount() < SOUND_PLAYING_CAPACITY)
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR, "TXAudio2SoundManager::_CanSoundPlay(): error: ",
                "Maximum number of simultaneous sounds reached.");
    return false;
}

void TXAudio2SoundManager::_OnSoundPlayed(TSound* sound)
{
    const i32 index = _GetSoundIndex(sound);
    if (index < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TXAudio2SoundManager::_OnSoundPlayed(): error: ", "Unknown sound index.");
        return;
    }
    m_aPlaying.Add(index);
}

void TXAudio2SoundManager::_OnSoundStopped(TSound* sound)
{
    const i32 index = _GetSoundIndex(sound);
    if (index < 0)
        return;
    if (!m_nSuppressNotify)
        for (u32 i = 0; i < m_aMethod.GetCount(); ++i)
            m_aMethod[i]->OnSoundEnded(sound);
    for (u32 i = 0; i < m_aPlaying.GetCount(); ++i)
        if (m_aPlaying[i] == index)
        {
            for (u32 j = i + 1; j < m_aPlaying.GetCount(); ++j)
                m_aPlaying[j - 1] = m_aPlaying[j];
            m_aPlaying.SetCount(m_aPlaying.GetCount() - 1);
            break;
        }
    sound->pNode = nullptr;
}

TXAudio2Sound* TXAudio2SoundManager::_AllocDynamicSound()
{
    TXAudio2Sound* sound = nullptr;
    if (m_aFree.GetCount() > 0)
    {
        sound = m_aSound[m_aFree[m_aFree.GetCount() - 1]];
        m_aFree.SetCount(m_aFree.GetCount() - 1);
    }
    else if (m_aSound.GetCount() < static_cast<i32>(SOUND_POOL_CAPACITY))
    {
        // The data carry no pool yet: the pool grows by records of its own.
        sound = MemoryNew<TXAudio2Sound>();
        m_aSound.Add(sound);
        m_aOwnedSound.Add(sound);
    }
    else
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TXAudio2SoundManager::_AllocDynamicSound(): error: ", "No free dynamic sounds left.");
        return nullptr;
    }
    sound->m_nSerial = ++m_nSerial;
    if (m_nSerial == 0)
        m_nSerial = 1;
    return sound;
}

void TXAudio2SoundManager::_ResetDynamicSounds()
{
    const i32 count = std::min(m_aSound.GetCount(), static_cast<i32>(SOUND_POOL_CAPACITY));
    if (count < m_aSound.GetCount())
        TLog::Print(g_pSystemLog, LOG_ERROR, "TXAudio2SoundManager::_ResetDynamicSounds(): error: ",
                    "%d sound records beyond the pool of %u left out", m_aSound.GetCount() - count,
                    SOUND_POOL_CAPACITY);
    m_aFree.SetCount(0);
    for (i32 i = 0; i < count; ++i)
        m_aFree.Add(i);
}

TXAudio2Sound* TXAudio2SoundManager::_CreateDynamicSound(TSoundData* data, TNode* node)
{
    if (!IsAudioEnabled() || !data)
        return nullptr;
    TXAudio2Sound* sound = _AllocDynamicSound();
    if (sound)
        sound->_Bind(data, node);
    return sound;
}

void TXAudio2SoundManager::_ReleaseFinishedSounds()
{
    for (u32 i = 0; i < m_aFinished.GetCount(); ++i)
        m_aSound[m_aFinished[i]]->_Release();
    for (u32 i = 0; i < m_aFinished.GetCount(); ++i)
        if (!Contains(m_aFree, m_aFinished[i]))
            m_aFree.Add(m_aFinished[i]);
    m_aFinished.SetCount(0);
}
