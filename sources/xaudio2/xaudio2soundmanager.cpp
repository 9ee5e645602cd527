#include "xaudio2/xaudio2soundmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/sound/soundmethods.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/soundvariables.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundgeometry.h"
#include "xaudio2/xaudio2soundgroup.h"
#include "xaudio2/xaudio2soundparameter.h"
#include "xaudio2/xaudio2soundreverb.h"
#include "xaudio2/xaudio2state.h"

#include <algorithm>
#include <cstring>

TXAudio2SoundManager* g_pXAudio2SoundManager = nullptr;
TXAudio2State g_XAudio2;

TXAudio2State::TXAudio2State()
{
    Frame.Position = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    Frame.Front = TVector(0.0f, 0.0f, 1.0f, 1.0f);
    Frame.Top = TVector(0.0f, -1.0f, 0.0f, 1.0f);
    Frame.Velocity = TVector(0.0f, 0.0f, 0.0f, 0.0f);
    Listener.OrientFront = {0.0f, 0.0f, 1.0f};
    Listener.OrientTop = {0.0f, -1.0f, 0.0f};
}

namespace
{
const char* const kSource = "sources/xaudio2/xaudio2sound";

TXAudio2SoundManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Sound", "XAudio2", &g_pSoundManager,
                                                           static_cast<TSoundManager*>(&s_Manager));

// The longest step of one update.
constexpr f32 SOUND_MAX_STEP = 0.1f;

bool Contains(const TSoundIndexList& list, i32 value)
{
    for (u32 i = 0; i < list.GetCount(); ++i)
        if (list[i] == value)
            return true;
    return false;
}

// Cuts a loaded array to the capacity of the manager's arrays.
template <class T> void CutArray(DArray<T*>& array, const char* what)
{
    if (array.GetCount() <= SOUND_ARRAY_CAPACITY)
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, "TXAudio2SoundManager::SetArray(): error: ",
                "%d %s records cut to %d", array.GetCount(), what, SOUND_ARRAY_CAPACITY);
    array.SetCount(SOUND_ARRAY_CAPACITY);
}
} // namespace

TXAudio2SoundManager::TXAudio2SoundManager()
    : m_nStateFlags(0), m_nReverbPreset(0), m_nAmbientReverbPreset(0), m_nFadeFrame(~0u), m_nNewRecords(0)
{
    // Once per frame, on the first update worker; the fades need the frame's whole time.
    m_nChannel = 0;
    m_nWorker = 1;
    m_nUpdateFlags = (m_nUpdateFlags & ~(MANAGER_UPDATE_SKIP_ZERO | MANAGER_UPDATE_OWN_CLOCK)) |
                     MANAGER_UPDATE_COLLAPSE | MANAGER_UPDATE_SUM;
    // The sounds reach the implementation from the start, the tools' records too.
    g_pXAudio2SoundManager = this;
    if (!g_pCluster)
        return;
    RegisterArray(&SoundDecl(), &m_aSound);
    RegisterArray(&SoundDataDecl(), &m_aData);
    RegisterArray(&SoundGroupDecl(), &m_aGroup);
    RegisterArray(&SoundGeometryDecl(), &m_aGeometry);
    RegisterArray(&SoundReverbDecl(), &m_aReverb);
    RegisterArray(&SoundParameterDecl(), &m_aParameter);
    RegisterId(SOUND_MANAGER_ID);
}

i32 TXAudio2SoundManager::InitializeManager()
{
    TLog::Print(g_pSystemLog, LOG_INFO, "TXAudio2SoundManager::InitializeManager(): ", "XAudio2 initializing.");
    g_pXAudio2SoundManager = this;
    return 0;
}

void TXAudio2SoundManager::FinalizeManager()
{
    CoUninitialize();
}

void TXAudio2SoundManager::BeginManager()
{
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
    if (g_pStateManager)
        g_pStateManager->RegisterStateObject(this);
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(this);
    CoInitialize(nullptr);
    SetListener(&g_XAudio2.DefaultListener);
}

void TXAudio2SoundManager::EndManager()
{
    _Stop();
}

void TXAudio2SoundManager::RenderManager()
{
    if (g_pCanvasManager)
        g_pCanvasManager->Flush();
}

void TXAudio2SoundManager::ThreadUpdateManager(f32)
{
    // However often the fixed-rate list runs in a frame, the fades move by the frame's time once.
    if (!g_XAudio2.pEngine || g_pTimer->GetFrameCount() == m_nFadeFrame)
        return;
    m_nFadeFrame = g_pTimer->GetFrameCount();
    const f32 t = g_pTimer->GetRealTimeStep();
    for (i32 i = 0; i < m_aGroup.GetCount(); ++i)
        m_aGroup[i]->_UpdateFades(t);
}

void TXAudio2SoundManager::UpdateManager(f32)
{
    if (!g_XAudio2.pEngine)
        return;
    g_XAudio2.nUpdatedSinceStart = 1;
    // Real time: the sounds go on while the game's clock stands still (menus, pauses).
    const f32 t = std::min(g_pTimer->GetRealTimeStep(), SOUND_MAX_STEP);
    _UpdateListener(t);
    _UpdateSounds(t);
    _ReleaseFinishedSounds();
    g_XAudio2.pEngine->CommitChanges(g_XAudio2.nOperationSet);
    if (++g_XAudio2.nOperationSet == 0)
        g_XAudio2.nOperationSet = 1;
}

i32 TXAudio2SoundManager::SetArray(u32 typeId, void*, i32)
{
    switch (typeId)
    {
    case SOUND_TYPE_ID:
        CutArray(m_aSound, "sound");
        // The records are not fixed up yet: their stored voices are forgotten once they are.
        m_nNewRecords = 1;
        // The lists named records of the replaced array.
        m_aPlaying.SetCount(0);
        m_aFinished.SetCount(0);
        _ResetDynamicSounds();
        break;
    case SOUND_DATA_TYPE_ID:
        CutArray(m_aData, "sound data");
        break;
    case SOUND_GROUP_TYPE_ID:
        CutArray(m_aGroup, "sound group");
        break;
    case SOUND_GEOMETRY_TYPE_ID:
        CutArray(m_aGeometry, "sound geometry");
        break;
    case SOUND_REVERB_TYPE_ID:
        CutArray(m_aReverb, "sound reverb");
        break;
    case SOUND_PARAMETER_TYPE_ID:
        CutArray(m_aParameter, "sound parameter");
        break;
    default:
        break;
    }
    return 0;
}

TSoundIndexList* TXAudio2SoundManager::Block(i32 index)
{
    switch (index)
    {
    case 0:
        return &m_aFree;
    case 1:
        return &m_aPlaying;
    case 2:
        return &m_aFinished;
    default:
        return nullptr;
    }
}

i32 TXAudio2SoundManager::GetData(i32 index, void*& data, i32& size)
{
    TSoundIndexList* block = Block(index);
    if (!block)
        return 1;
    data = block;
    size = SOUND_DATA_BLOCK_SIZE;
    return 0;
}

i32 TXAudio2SoundManager::SetData(i32 index, const void* data, i32 size)
{
    const char* const error = "TXAudio2SoundManager::SetData(): error: ";
    TSoundIndexList* block = Block(index);
    if (!block)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "no block %d", index);
        return 1;
    }
    if (size != SOUND_DATA_BLOCK_SIZE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "block %d of %d bytes refused (%d expected)", index, size,
                    SOUND_DATA_BLOCK_SIZE);
        return 1;
    }
    const u8* bytes = static_cast<const u8*>(data);
    u32 count;
    std::memcpy(&count, bytes, 4);
    if (count > SOUND_POOL_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "block %d of %u indices refused (at most %u)", index, count,
                    SOUND_POOL_CAPACITY);
        return 1;
    }
    i32 indices[SOUND_POOL_CAPACITY];
    std::memcpy(indices, bytes + 4, 4 * count);
    for (u32 i = 0; i < count; ++i)
        if (indices[i] < 0 || indices[i] >= m_aSound.GetCount())
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, error, "block %d refused: index %d outside the %d sound records",
                        index, indices[i], m_aSound.GetCount());
            return 1;
        }
    m_nStateFlags |= SOUND_STATE_RESTORE_VOICES;
    block->SetCount(count);
    std::memcpy(block->GetData(), indices, 4 * count);
    return 0;
}

void TXAudio2SoundManager::OnClusterUnload()
{
    g_XAudio2.nSuppressNotify = 1;
    g_XAudio2.nUpdatedSinceStart = 0;
    _Stop();
}

void TXAudio2SoundManager::OnClusterLoad()
{
    // A record's voice belongs to the run that made it.
    if (m_nNewRecords)
        for (i32 i = 0; i < m_aSound.GetCount(); ++i)
            m_aSound[i]->pVoice = nullptr;
    m_nNewRecords = 0;
    _Start();
    g_XAudio2.nUpdatedSinceStart = 0;
    _RestartVoices();
    // The loaded groups take their parents' volumes and pitches now.
    for (i32 i = 0; i < m_aGroup.GetCount(); ++i)
        m_aGroup[i]->_UpdateFades(0.0f);
    // Game sounds continue on the notification: a reload must not leave it off for good.
    g_XAudio2.nSuppressNotify = 0;
}

void TXAudio2SoundManager::UnloadResources()
{
    for (i32 i = 0; i < m_aData.GetCount(); ++i)
        m_aData[i]->Unload();
    for (i32 i = 0; i < m_aGroup.GetCount(); ++i)
        m_aGroup[i]->Unload();
}

i32 TXAudio2SoundManager::SaveState(u32 pass, TStream&)
{
    if (pass == 1)
        UnloadResources();
    return 0;
}

i32 TXAudio2SoundManager::LoadState(u32 pass, TStream&)
{
    if (pass == 1)
        UnloadResources();
    else if (pass == 4)
        for (i32 i = 0; i < m_aSound.GetCount(); ++i)
            m_aSound[i]->pVoice = nullptr;
    return 0;
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

TSoundDataLibrary* TXAudio2SoundManager::GetSoundDataLibrary(i32)
{
    __Abort("TXAudio2SoundManager::GetSoundDataLibrary", kSource, __LINE__, "unimplemented");
}

TSoundDataLibrary* TXAudio2SoundManager::CreateSoundDataLibrary()
{
    __Abort("TXAudio2SoundManager::CreateSoundDataLibrary", kSource, __LINE__, "unimplemented");
}

TSound* TXAudio2SoundManager::CreateSound()
{
    __Abort("TXAudio2SoundManager::CreateSound", kSource, __LINE__, "unimplemented");
}

i32 TXAudio2SoundManager::GetSoundReverbCount()
{
    return static_cast<i32>(g_XAudio2.ReverbPresets.GetCount());
}

TSoundReverb* TXAudio2SoundManager::GetSoundReverb(i32)
{
    __Abort("TXAudio2SoundManager::GetSoundReverb", kSource, __LINE__, "unimplemented");
}

TSoundReverb* TXAudio2SoundManager::CreateSoundReverb()
{
    __Abort("TXAudio2SoundManager::CreateSoundReverb", kSource, __LINE__, "unimplemented");
}

TSoundGeometry* TXAudio2SoundManager::GetSoundGeometry(i32)
{
    __Abort("TXAudio2SoundManager::GetSoundGeometry", kSource, __LINE__, "unimplemented");
}

TSoundGeometry* TXAudio2SoundManager::CreateSoundGeometry()
{
    __Abort("TXAudio2SoundManager::CreateSoundGeometry", kSource, __LINE__, "unimplemented");
}

i32 TXAudio2SoundManager::FindReverbPreset(const TName& name, i32 defaultIndex)
{
    return name.GetId() == 0 ? defaultIndex : g_XAudio2.ReverbPresets.Find(name);
}

void TXAudio2SoundManager::ApplyReverbPreset(i32 index)
{
    if (index == m_nReverbPreset)
        return;
    m_nReverbPreset = index;
    const TReverbPresetSet& presets = g_XAudio2.ReverbPresets;
    if (g_XAudio2.pReverbVoice && index >= 0 && static_cast<u32>(index) < presets.GetCount())
        g_XAudio2.pReverbVoice->SetEffectParameters(0, &presets.GetParameters(static_cast<u32>(index)),
                                                    sizeof(XAUDIO2FX_REVERB_PARAMETERS), XAUDIO2_COMMIT_NOW);
}

void TXAudio2SoundManager::SetReverb(const TName& name)
{
    // Sound is off: there is no reverb to choose, and no fault to report.
    if (!g_XAudio2.pReverbVoice)
        return;
    const i32 index = FindReverbPreset(name, m_nReverbPreset);
    if (index < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TXAudio2SoundManager::SetReverb(): error: ", "unable to find '%s'", name.GetText());
        return;
    }
    ApplyReverbPreset(index);
}

void TXAudio2SoundManager::SetAmbientReverb(const TName& name)
{
    // Sound is off: there is no reverb to choose, and no fault to report.
    if (!g_XAudio2.pReverbVoice)
        return;
    const i32 index = FindReverbPreset(name, m_nAmbientReverbPreset);
    if (index < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TXAudio2SoundManager::SetAmbientReverb(): error: ", "unable to find '%s'", name.GetText());
        return;
    }
    SetAmbientReverbIndex(index);
}

void TXAudio2SoundManager::PlaySound(TSound*& sound, TSoundData* data, TNode* node, i32 startArgument, u32 play)
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

void TXAudio2SoundManager::UpdateNow()
{
    _UpdateSounds(0.0f);
    _ReleaseFinishedSounds();
}

void TXAudio2SoundManager::PauseAll(u32 pause)
{
    for (i32 i = 0; i < m_aSound.GetCount(); ++i)
        if (pause)
            m_aSound[i]->Pause();
        else
            m_aSound[i]->Resume(1);
}

u32 TXAudio2SoundManager::IsActive()
{
    return g_XAudio2.pEngine && g_XAudio2.nUpdatedSinceStart && IsAudioEnabled() ? 1 : 0;
}

i32 TXAudio2SoundManager::_GetSoundIndex(const TSound* sound) const
{
    if (!sound)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TXAudio2SoundManager::_GetSoundIndex(): error: ", "null sound.");
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
    if (!g_XAudio2.nSuppressNotify)
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
    _FreeDynamicSound(sound);
}

void TXAudio2SoundManager::_FreeDynamicSound(TSound* sound)
{
    // The index goes back to the free stack with the release of the finished sounds.
    const i32 index = _GetSoundIndex(sound);
    if (index < 0 || index >= m_aSound.GetCount())
        TLog::Print(g_pSystemLog, LOG_ERROR, "TXAudio2SoundManager::_FreeDynamicSound(): error: ",
                    "Tried to free a non-dynamic sound.");
}

TXAudio2Sound* TXAudio2SoundManager::_AllocDynamicSound()
{
    // A record a console command played from its own data is not free while it plays.
    TXAudio2Sound* sound = nullptr;
    while (!sound && m_aFree.GetCount() > 0)
    {
        sound = m_aSound[m_aFree[m_aFree.GetCount() - 1]];
        m_aFree.SetCount(m_aFree.GetCount() - 1);
        if (sound->m_nState != SOUND_STOPPED)
            sound = nullptr;
    }
    if (!sound)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TXAudio2SoundManager::_AllocDynamicSound(): error: ", "No free dynamic sounds left.");
        return nullptr;
    }
    sound->m_nSerial = ++g_XAudio2.nSerial;
    if (g_XAudio2.nSerial == 0)
        g_XAudio2.nSerial = 1;
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

void TXAudio2SoundManager::_RestartVoices()
{
    if (!(m_nStateFlags & SOUND_STATE_RESTORE_VOICES) || !g_XAudio2.pEngine)
        return;
    m_nStateFlags &= ~SOUND_STATE_RESTORE_VOICES;
    for (u32 i = 0; i < m_aPlaying.GetCount(); ++i)
        m_aSound[m_aPlaying[i]]->_RestartVoice();
}

void TXAudio2SoundManager::_UpdateListener(f32 t)
{
    if (t == 0.0f)
        return;
    TSoundListenerMethods* listener = GetListener();
    TSoundListenerFrame& frame = g_XAudio2.Frame;
    (listener ? listener : &g_XAudio2.DefaultListener)->GetFrame(t, frame);
    X3DAUDIO_LISTENER& heard = g_XAudio2.Listener;
    heard.OrientFront = {frame.Front.x, frame.Front.y, frame.Front.z};
    heard.OrientTop = {frame.Top.x, frame.Top.y, frame.Top.z};
    heard.Position = {frame.Position.x, frame.Position.y, frame.Position.z};
    heard.Velocity = {frame.Velocity.x, frame.Velocity.y, frame.Velocity.z};
    heard.pCone = nullptr;
}

void TXAudio2SoundManager::_UpdateSounds(f32 t)
{
    _RestartVoices();
    for (u32 i = 0; i < m_aPlaying.GetCount(); ++i)
    {
        const i32 index = m_aPlaying[i];
        TXAudio2Sound* sound = m_aSound[index];
        if (!(__atomic_load_n(&sound->m_nFlags, __ATOMIC_ACQUIRE) & SOUND_FINISHED) && IsAudioEnabled())
            sound->_Update(t);
        else if (!Contains(m_aFinished, index))
            m_aFinished.Add(index);
    }
}

void TXAudio2SoundManager::_ReleaseFinishedSounds()
{
    for (u32 i = 0; i < m_aFinished.GetCount(); ++i)
        m_aSound[m_aFinished[i]]->_Release();
    // Records beyond the pool (played by a console command) do not join it.
    for (u32 i = 0; i < m_aFinished.GetCount(); ++i)
        if (m_aFinished[i] < static_cast<i32>(SOUND_POOL_CAPACITY) && !Contains(m_aFree, m_aFinished[i]))
            m_aFree.Add(m_aFinished[i]);
    m_aFinished.SetCount(0);
}

void TXAudio2SoundManager::_ApplyVolumeVariables()
{
    TVariable* const* variables = SoundVolumeVariables();
    for (u32 i = 0; i < SOUND_VOLUME_VARIABLE_COUNT; ++i)
        variables[i]->OnChange();
}
