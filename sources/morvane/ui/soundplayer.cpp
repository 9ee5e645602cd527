#include "morvane/ui/soundplayer.h"

#include "ageia/dynamicsbody.h"
#include "core/cluster/cluster.h"
#include "core/math/random.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/task.h"
#include "ui/uisounds.h"
#include "xaudio2/randomindex.h"
#include "engine/sound/sound.h"
#include "engine/sound/sounddata.h"
#include "engine/sound/soundgroup.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <algorithm>
#include <cmath>
#include <cstring>

TSoundPlayerManager* g_pSoundPlayerManager = nullptr;

const char* const g_aSoundName[SOUND_NAME_COUNT] = {
    "EngineBus",         "EngineFuelTruck",      "EngineTaxi",       "EngineLuggageTruck",
    "EngineHydraulics",  "EngineStartBus",       "EngineStartFuelTruck", "EngineStartTaxi",
    "EngineStartLuggageTruck", "EngineStartHydraulics", "Wind",        "Rain",
    "AnnouncementDingDong", "AirplaneFullPower", "AirplaneStart",    "AirplaneStop",
    "AirplaneTaxi",      "TyreSqueal",           "ButtonClick",      "MenuSelect",
    "LayerShown",        "TaskListExpand",       "TaskListContract", "VehicleUpgrade",
    "ChooseGate",        "PlaneLandingTakeOff",  "NewTask",          "TaskAlert"};

u32 TSoundPlayerManager::s_nMusicCursor = 0;
f32 TSoundPlayerManager::s_fAnnouncementTimer = 0.0f;
f32 TSoundPlayerManager::s_fWindA = 1.6f;
f32 TSoundPlayerManager::s_fWindB = 0.8f;

namespace
{
TSoundPlayerManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("SoundPlayer", "SoundPlayer", &g_pSoundPlayerManager, &s_Manager);
TDeferredVariable s_DistanceScale("sound_distancescale");
TDeferredVariable s_UpdateInterval("sound_updateinterval");
const TName s_NameCity("City", true);
const TName s_NameF12("F12", true);
const TName s_NameMenuBus("/master/menu", true);
const TName s_NameGameBus("/master/game", true);

// Music tracks are the clips that carry a packet table (the xWMA ones).
constexpr u32 SOUND_DATA_MUSIC = SOUND_DATA_PACKET_TABLE;
constexpr u32 ANNOUNCEMENT_COUNT = 7;
constexpr i32 FADE_AIRPLANE = 10;
constexpr i32 FADE_TAXI = 4;
constexpr f32 FADE_ENGINE_SWITCH = 0.25f;

// A draw of the shared generator as [0, 1).
f32 Unit()
{
    return static_cast<f32>(TRandom::Shared().Next() * (1.0 / 4294967296.0));
}

// The engine kind of a vehicle is the word its record keeps after its type (set per vehicle by
// the level's data).
i32 EngineKind(const TVehicle& vehicle)
{
    return vehicle.active;
}

// The engine and start sounds of each kind; other kinds have none.
bool EngineSounds(i32 kind, ESoundName& engine, ESoundName& start)
{
    static const ESoundName engines[4][2] = {{SOUND_ENGINE_BUS, SOUND_ENGINE_START_BUS},
                                             {SOUND_ENGINE_FUEL_TRUCK, SOUND_ENGINE_START_FUEL_TRUCK},
                                             {SOUND_ENGINE_TAXI, SOUND_ENGINE_START_TAXI},
                                             {SOUND_ENGINE_LUGGAGE_TRUCK, SOUND_ENGINE_START_LUGGAGE_TRUCK}};
    i32 row = -1;
    if (kind == 0 || kind == 1)
        row = kind;
    else if (kind == 2 || kind == 3)
        row = 2;
    else if (kind == 4 || kind == 5)
        row = 3;
    else if (kind == 6 || kind == 7)
    {
        engine = SOUND_ENGINE_HYDRAULICS;
        start = SOUND_ENGINE_START_HYDRAULICS;
        return true;
    }
    if (row < 0)
        return false;
    engine = engines[row][0];
    start = engines[row][1];
    return true;
}

// The fraction of the speed between the current gear's shift speeds; 0 in the start gear.
f32 GearFraction(const TVehicle& vehicle)
{
    const TVehicleParameters& p = vehicle.Parameters;
    if (p.nGear <= 0 || p.nGear > VEHICLE_GEAR_CAPACITY)
        return 0.0f;
    const TVehicleGear& gear = p.aGear[p.nGear - 1];
    const f32 range = gear.fShiftUp - gear.fShiftDown;
    if (!(range > 0.0f))
        return 0.0f;
    return std::clamp((p.fSpeed - gear.fShiftDown) / range, 0.0f, 1.0f);
}

// The vehicle whose engine the player hears: the active task's unit's, the follow-me car in its
// view, none from the tower.
TVehicle* VehicleInFocus()
{
    TGameLogicManager* game = g_pGameLogicManager;
    if (!game || game->IsTowerView())
        return nullptr;
    if (game->IsFollowMeActive())
        return g_pVehicleManager ? g_pVehicleManager->GetActiveVehicle() : nullptr;
    const TTask* task = game->GetParameters().pActiveTask;
    const TAICommonUnit* unit = task->m_nAI ? task->pAIUnit : task->pPlayerVehicle;
    return unit ? unit->pVehicle : nullptr;
}

void InstallUISounds()
{
    g_UISoundPlayer.pPlayButtonClick = [](i32) { g_pSoundPlayerManager->PlayButtonClick(nullptr); };
    g_UISoundPlayer.pPlayMenuSelect = [] { g_pSoundPlayerManager->PlayMenuSelect(); };
}
} // namespace

TSoundPlayerManager::TSoundPlayerManager()
    : m_pMenuBus(nullptr), m_pGameBus(nullptr), m_nSuppress(0), m_nLoadUnfinished(0), m_fLastNewTask(0.0),
      m_fLastTaskAlert(0.0),
      m_aNamed{TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0),
               TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0),
               TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0),
               TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0),
               TUserIdLink(0), TUserIdLink(0), TUserIdLink(0), TUserIdLink(0)},
      m_Music(nullptr, 1), m_Announcements("Announcement0", ANNOUNCEMENT_COUNT)
{
    // The game's sounds follow every frame.
    m_nChannel = 0;
    for (u32 i = 0; i < SOUND_NAME_COUNT; ++i)
        m_aNamed[i].nUserId = TName(g_aSoundName[i], true).GetId();
    if (g_pCluster)
        RegisterId(SOUND_PLAYER_MANAGER_ID);
}

void TSoundPlayerManager::BeginManager()
{
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
    g_pStateManager->RegisterStateObject(this);
    InstallUISounds();
}

// ---------------------------------------------------------------------------------------------
// Named sounds

TSoundData* TSoundPlayerManager::ResolveSound(TUserIdLink& sound)
{
    // A sound the data lack must stay silent: the lookup that does not end the program, then the
    // sound service's clip of that name.
    if (void* object = sound.FindObject())
        return static_cast<TSoundData*>(object);
    if (!g_pSoundManager)
        return nullptr;
    TName name;
    name.SetId(sound.nUserId);
    TSoundData* data = nullptr;
    g_pSoundManager->FindSoundData(data, name);
    sound.SetObject(data);
    return data;
}

TSound* TSoundPlayerManager::Play(TUserIdLink& sound, TNode* node)
{
    TSoundData* data = ResolveSound(sound);
    TSound* instance = nullptr;
    if (data)
        g_pSoundManager->PlaySound(instance, data, node, -1, 1);
    return instance;
}

TSound* TSoundPlayerManager::PlayEx(TUserIdLink& sound, TNode* node, i32 idA, f32 valueA, i32 idB, f32 valueB)
{
    TSoundData* data = ResolveSound(sound);
    TSound* instance = nullptr;
    if (data)
        g_pSoundManager->PlaySoundEx(instance, data, node, idA, valueA, idB, valueB);
    return instance;
}

void TSoundPlayerManager::Keep(TSoundSlot& slot, TSound* sound)
{
    slot.pSound = sound;
    slot.nIndex = sound && g_pXAudio2SoundManager ? g_pXAudio2SoundManager->_GetSoundIndex(sound) : -1;
}

void TSoundPlayerManager::StopFaded(TSoundSlot& slot, i32 fade)
{
    if (!slot.pSound)
        return;
    slot.pSound->SetParameterInt(SOUND_PARAMETER_FADE_OUT, fade);
    slot.pSound->Stop(0);
    slot.pSound = nullptr;
    slot.nIndex = -1;
}

void TSoundPlayerManager::StopKept(TSoundSlot& slot)
{
    if (slot.pSound)
        slot.pSound->Stop(0);
}

// ---------------------------------------------------------------------------------------------
// Interface sounds

void TSoundPlayerManager::PlayInterface(ESoundName name, TNode* node)
{
    if (m_nSuppress == 0)
        Play(m_aNamed[name], node);
}

void TSoundPlayerManager::PlayNotification(ESoundName name, TNode* node, f64& lastPlay)
{
    if (m_nSuppress != 0)
        return;
    const f64 now = g_pTimer ? g_pTimer->GetTime() : 0.0;
    if (now - lastPlay < SOUND_NOTIFICATION_GAP)
        return;
    lastPlay = now;
    Play(m_aNamed[name], node);
}

void TSoundPlayerManager::PlayButtonClick(TNode* node)
{
    PlayInterface(SOUND_BUTTON_CLICK, node);
}

void TSoundPlayerManager::PlayMenuSelect()
{
    PlayInterface(SOUND_MENU_SELECT, nullptr);
}

void TSoundPlayerManager::PlayLayerShown(TNode* node)
{
    PlayInterface(SOUND_LAYER_SHOWN, node);
}

void TSoundPlayerManager::PlayTaskListExpand(TNode* node)
{
    PlayInterface(SOUND_TASK_LIST_EXPAND, node);
}

void TSoundPlayerManager::PlayTaskListContract(TNode* node)
{
    PlayInterface(SOUND_TASK_LIST_CONTRACT, node);
}

void TSoundPlayerManager::PlayVehicleUpgrade(TNode* node)
{
    PlayInterface(SOUND_VEHICLE_UPGRADE, node);
}

void TSoundPlayerManager::PlayChooseGate(TNode* node)
{
    PlayInterface(SOUND_CHOOSE_GATE, node);
}

void TSoundPlayerManager::PlayPlaneLandingTakeOff(TNode* node)
{
    PlayInterface(SOUND_PLANE_LANDING_TAKE_OFF, node);
}

void TSoundPlayerManager::PlayNewTask(TNode* node)
{
    PlayNotification(SOUND_NEW_TASK, node, m_fLastNewTask);
}

void TSoundPlayerManager::PlayTaskAlert(TNode* node)
{
    PlayNotification(SOUND_TASK_ALERT, node, m_fLastTaskAlert);
}

// ---------------------------------------------------------------------------------------------
// Game sounds

void TSoundPlayerManager::SetMenuMode(u32 menu)
{
    if (m_pGameBus)
        m_pGameBus->SetVolume(menu ? 0.0f : 1.0f, SOUND_MENU_FADE);
    if (m_pMenuBus)
        m_pMenuBus->SetVolume(menu ? 1.0f : 0.0f, SOUND_MENU_FADE);
}

void TSoundPlayerManager::SetRainSound(u32 on)
{
    TSoundSlot& rain = m_aSlot[SLOT_RAIN];
    if (on && !rain.pSound)
        Keep(rain, PlayEx(m_aNamed[SOUND_RAIN], nullptr, SOUND_PARAMETER_FADE_OUT, 6.0f, SOUND_PARAMETER_FADE_IN,
                          6.0f));
    else if (!on && rain.pSound)
    {
        rain.pSound->Stop(0);
        rain.pSound = nullptr;
        rain.nIndex = -1;
    }
}

void TSoundPlayerManager::PlayTouchdown()
{
    for (TAirplaneSounds& record : m_aAirplane)
        if (record.nTouchdownArmed)
        {
            PlayEx(m_aNamed[SOUND_TYRE_SQUEAL], record.pNode, SOUND_PARAMETER_VOLUME_NOW, 6.0f);
            return;
        }
}

void TSoundPlayerManager::UpdateAirplane(TAICommonUnit* unit)
{
    const TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    const u32 count = std::min(parameters.aPlane.GetCount(), GAME_PLANE_CAPACITY);
    i32 index = -1;
    for (u32 i = 0; i < count && index < 0; ++i)
        if (parameters.aPlane[i] == unit)
            index = static_cast<i32>(i);
    if (index < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TSoundPlayerManager::UpdateAirplane(): error: ",
                    "Invalid plane idx %d from unit.", index);
        return;
    }
    TAirplaneSounds& record = m_aAirplane[index];
    record.pNode = unit->pPlaneSoundLocator;
    StepAirplane(record, unit->m_nPlaneState);
}

void TSoundPlayerManager::StepAirplane(TAirplaneSounds& record, i32 state)
{
    switch (state)
    {
    case PLANE_IDLE:
        record.nTouchdownArmed = 0;
        StopFaded(record.FullPower, FADE_AIRPLANE);
        break;
    case PLANE_LANDING:
        StopKept(record.FullPower);
        Keep(record.FullPower, PlayEx(m_aNamed[SOUND_AIRPLANE_FULL_POWER], record.pNode, SOUND_PARAMETER_FADE_IN,
                                      3.0f, SOUND_PARAMETER_PITCH_NOW, 1.5f));
        if (record.FullPower.pSound)
        {
            record.FullPower.pSound->SetParameter(SOUND_PARAMETER_PITCH_RATE, 50.0f);
            record.FullPower.pSound->SetParameter(SOUND_PARAMETER_PITCH, 1.0f);
        }
        record.nTouchdownArmed = 1;
        break;
    case PLANE_LANDED:
        record.nTouchdownArmed = 0;
        StopFaded(record.FullPower, FADE_AIRPLANE);
        StopKept(record.Taxi);
        Keep(record.Taxi, PlayEx(m_aNamed[SOUND_AIRPLANE_TAXI], record.pNode, SOUND_PARAMETER_FADE_IN, 3.0f));
        break;
    case PLANE_PARKED:
        record.nTouchdownArmed = 0;
        Keep(record.Stop, PlayEx(m_aNamed[SOUND_AIRPLANE_STOP], record.pNode, SOUND_PARAMETER_FADE_IN, 2.0f));
        StopFaded(record.Taxi, FADE_TAXI);
        StopFaded(record.FullPower, FADE_AIRPLANE);
        break;
    case PLANE_READY:
        record.nTouchdownArmed = 0;
        Keep(record.Start, Play(m_aNamed[SOUND_AIRPLANE_START], record.pNode));
        StopKept(record.Taxi);
        Keep(record.Taxi, PlayEx(m_aNamed[SOUND_AIRPLANE_TAXI], record.pNode, SOUND_PARAMETER_FADE_IN, 3.0f,
                                 SOUND_PARAMETER_START_DELAY, 23.0f));
        break;
    case PLANE_TAKING_OFF:
        record.nTouchdownArmed = 0;
        StopFaded(record.Taxi, FADE_TAXI);
        StopKept(record.FullPower);
        Keep(record.FullPower, PlayEx(m_aNamed[SOUND_AIRPLANE_FULL_POWER], record.pNode, SOUND_PARAMETER_FADE_IN,
                                      4.0f, SOUND_PARAMETER_PITCH_RATE, 25.0f));
        if (record.FullPower.pSound)
            record.FullPower.pSound->SetParameter(SOUND_PARAMETER_PITCH, 1.5f);
        break;
    default:
        break;
    }
}

void TSoundPlayerManager::PlayNextMusic()
{
    const u32 count = static_cast<u32>(m_Music.GetCount());
    const u32 i = s_nMusicCursor < count ? s_nMusicCursor : 0;
    s_nMusicCursor = i + 1;
    if (i < count)
        Keep(m_aSlot[SLOT_MUSIC], PlayEx(m_Music[static_cast<i32>(i)], nullptr, SOUND_PARAMETER_FADE_IN, 1.0f));
}

void TSoundPlayerManager::OnSoundEnded(TSound* sound)
{
    if (sound && sound->pSoundData && (sound->pSoundData->m_nFlags & SOUND_DATA_MUSIC))
        PlayNextMusic();
}

// ---------------------------------------------------------------------------------------------
// The frame

void TSoundPlayerManager::UpdateManager(f32 step)
{
    UpdateVehicleEngine();
    for (TAirplaneSounds& record : m_aAirplane)
        if (record.pNode && (record.Taxi.pSound || record.FullPower.pSound))
            UpdateAirplaneRecord(record);
    UpdateWind();
    UpdateAnnouncements(step);
    const i32 f12 = TInputManager::Instance().FindInputIndex(s_NameF12);
    TInput* input = f12 >= 0 ? TInputManager::Instance().GetInputAt(f12) : nullptr;
    if (input && input->WasPressed())
        s_fAnnouncementTimer = 0.0f;
}

void TSoundPlayerManager::UpdateVehicleEngine()
{
    TVehicle* vehicle = VehicleInFocus();
    TDynamicsBody* body = vehicle ? vehicle->pBody : nullptr;
    TSoundSlot& engine = m_aSlot[SLOT_ENGINE];
    if (engine.pSound)
    {
        const TNode* node = engine.pSound->pNode;
        const TNodeObject* playing = node ? node->FindObject(g_NameTDynamicsBody.GetId()) : nullptr;
        if (playing != body)
        {
            engine.pSound->SetParameter(SOUND_PARAMETER_FADE_OUT, FADE_ENGINE_SWITCH);
            engine.pSound->Stop(0);
            engine.pSound = nullptr;
            engine.nIndex = -1;
        }
    }
    if (!body)
        return;
    if (!engine.pSound)
    {
        StartEngine(*vehicle);
        return;
    }
    const f32 gear = static_cast<f32>(vehicle->Parameters.nGear);
    const f32 pitch = GearFraction(*vehicle) * (1.0f + gear) * 0.1f + gear * 0.025f + 0.8f;
    engine.pSound->SetParameter(SOUND_PARAMETER_PITCH_RATE, 4.0f);
    engine.pSound->SetParameter(SOUND_PARAMETER_PITCH, pitch);
}

void TSoundPlayerManager::StartEngine(TVehicle& vehicle)
{
    ESoundName engineName;
    ESoundName startName;
    if (!EngineSounds(EngineKind(vehicle), engineName, startName) || !ResolveSound(m_aNamed[engineName]))
        return;
    TNode* node = vehicle.pBody->GetNode();
    const bool started = vehicle.GetSpeed() < 0.1f;
    if (started)
        Play(m_aNamed[startName], node);
    Keep(m_aSlot[SLOT_ENGINE], started ? PlayEx(m_aNamed[engineName], node, SOUND_PARAMETER_FADE_IN, 0.5f,
                                                SOUND_PARAMETER_START_DELAY, 1.0f)
                                       : PlayEx(m_aNamed[engineName], node, SOUND_PARAMETER_FADE_IN, 0.5f));
}

void TSoundPlayerManager::UpdateAirplaneRecord(TAirplaneSounds& record)
{
    const bool taxi = record.Taxi.pSound != nullptr;
    TSound* sound = taxi ? record.Taxi.pSound : record.FullPower.pSound;
    const f32 cap = taxi ? SOUND_TAXI_PITCH_CAP : SOUND_FULL_POWER_PITCH_CAP;
    const f32 factor = taxi ? SOUND_TAXI_PITCH_FACTOR : SOUND_FULL_POWER_PITCH_FACTOR;
    // The emitter's motion the sound service keeps with the instance.
    const TVector& velocity = static_cast<TXAudio2Sound*>(sound)->m_EmitterVelocity;
    f32 pitch = std::min(1.0f + factor * std::sqrt(velocity.Length()), cap);
    if (taxi)
    {
        const f32 u1 = Unit();
        const f32 u2 = Unit();
        pitch *= 1.0f + 0.1f * u1 - 0.1f * u2;
    }
    sound->SetParameter(SOUND_PARAMETER_PITCH, pitch);
    sound->SetParameterInt(SOUND_PARAMETER_PITCH_RATE, 10);
}

void TSoundPlayerManager::UpdateWind()
{
    TSound* wind = m_aSlot[SLOT_WIND].pSound;
    if (!wind)
        return;
    const f32 u1 = Unit();
    const f32 u2 = Unit();
    const f32 u3 = Unit();
    const f32 u4 = Unit();
    s_fWindA += (u1 * std::max(SOUND_GUST_HIGH - s_fWindA, 0.0f) - u2 * std::max(s_fWindA - SOUND_WIND_LOW, 0.0f)) *
                0.1f;
    const f32 rise = std::max(SOUND_WIND_HIGH - s_fWindB, 0.0f);
    const f32 gust = std::pow(2.0f, u3 * rise);
    // A random walk that stays inside its bounds: each step moves at most a tenth of the way to
    // either.
    s_fWindB += (u3 * rise - u4 * std::max(s_fWindB - SOUND_WIND_LOW, 0.0f)) * 0.1f;
    wind->SetParameter(SOUND_PARAMETER_PITCH_RATE, 10.0f);
    wind->SetParameter(SOUND_PARAMETER_VOLUME_RATE, 10.0f);
    wind->SetParameter(SOUND_PARAMETER_PITCH, s_fWindB);
    wind->SetParameter(SOUND_PARAMETER_VOLUME, gust);
}

void TSoundPlayerManager::UpdateAnnouncements(f32 step)
{
    s_fAnnouncementTimer -= step;
    if (s_fAnnouncementTimer > 0.0f)
        return;
    s_fAnnouncementTimer = Unit() * SOUND_ANNOUNCEMENT_GAP + SOUND_ANNOUNCEMENT_MIN;
    Play(m_aNamed[SOUND_ANNOUNCEMENT_DING_DONG], nullptr);
    const f32 delay = Unit() + SOUND_ANNOUNCEMENT_DELAY;
    const i32 last = m_Announcements.GetCount() - 1;
    const i32 index = RandomIndex(TRandom::Shared(), &last);
    if (index >= 0 && index <= last)
        PlayEx(m_Announcements[index], nullptr, SOUND_PARAMETER_START_DELAY, delay);
}

// ---------------------------------------------------------------------------------------------
// Loads, unloads and state images

void TSoundPlayerManager::OnClusterLoad()
{
    if (!g_pSoundManager)
        return;
    g_pSoundManager->AddMethod(this);
    g_pSoundManager->SetReverb(s_NameCity);
    g_pSoundManager->FindSoundGroup(m_pMenuBus, s_NameMenuBus);
    g_pSoundManager->FindSoundGroup(m_pGameBus, s_NameGameBus);
    const f32 started = g_pGameLogicManager && g_pGameLogicManager->GetParameters().nStarted ? 1.0f : 0.0f;
    if (m_pGameBus)
        m_pGameBus->SetVolume(started, 0.0f);
    if (m_pMenuBus)
        m_pMenuBus->SetVolume(1.0f - started, 0.0f);
    m_Music.Shuffle(TRandom::Shared());
    m_Announcements.Shuffle(TRandom::Shared());
    m_fLastNewTask = m_fLastTaskAlert = 0.0;
    Keep(m_aSlot[SLOT_WIND], PlayEx(m_aNamed[SOUND_WIND], nullptr, SOUND_PARAMETER_FADE_IN, 1.0f));
    PlayNextMusic();
    s_DistanceScale.SetFloat(100.0f);
    s_UpdateInterval.SetFloat(0.0f);
    s_fAnnouncementTimer = Unit() * SOUND_FIRST_ANNOUNCEMENT;
}

void TSoundPlayerManager::OnClusterUnload()
{
    m_Music.Forget();
    m_Announcements.Forget();
    for (TUserIdLink& sound : m_aNamed)
        ForgetSound(sound);
    m_pMenuBus = m_pGameBus = nullptr;
    ForgetInstances();
}

void TSoundPlayerManager::ForgetInstances()
{
    for (TSoundSlot& slot : m_aSlot)
        slot = TSoundSlot();
    // The sound service releases every instance with the level: the aircraft's go too.
    for (TAirplaneSounds& record : m_aAirplane)
        record = TAirplaneSounds();
}

i32 TSoundPlayerManager::LoadState(u32 pass, TStream&)
{
    if (pass == 0 && g_pXAudio2SoundManager)
    {
        // A load refused before its last pass left the records with the voices its image stored,
        // made by an engine the first stop released: putting the running state back must not
        // touch them.
        if (m_nLoadUnfinished)
            for (i32 i = 0; i < g_pXAudio2SoundManager->Sounds().GetCount(); ++i)
                g_pXAudio2SoundManager->Sounds()[i]->pVoice = nullptr;
        m_nLoadUnfinished = 1;
        g_pXAudio2SoundManager->_Stop();
        for (TSoundSlot& slot : m_aSlot)
            slot = TSoundSlot();
        g_pXAudio2SoundManager->_Start();
    }
    else if (pass == 4)
    {
        m_nLoadUnfinished = 0;
        if (g_pSoundManager)
            g_pSoundManager->SetReverb(s_NameCity);
    }
    return 0;
}

TSoundSlot* TSoundPlayerManager::ItemSlot(i32 index)
{
    if (index < 1 || index >= SOUND_PLAYER_DATA_COUNT)
        return nullptr;
    if (index <= static_cast<i32>(SLOT_COUNT))
        return &m_aSlot[index - 1];
    TAirplaneSounds& record = m_aAirplane[(index - 1 - SLOT_COUNT) / 4];
    TSoundSlot* const slots[4] = {&record.FullPower, &record.Start, &record.Stop, &record.Taxi};
    return slots[(index - 1 - SLOT_COUNT) % 4];
}

i32 TSoundPlayerManager::GetData(i32 index, void*& data, i32& size)
{
    TSoundSlot* slot = ItemSlot(index);
    if (index != 0 && !slot)
        return 1;
    data = slot ? &slot->nIndex : &m_nSuppress;
    size = SOUND_PLAYER_ITEM_SIZE;
    return 0;
}

i32 TSoundPlayerManager::SetData(i32 index, const void* data, i32 size)
{
    TSoundSlot* slot = ItemSlot(index);
    if ((index != 0 && !slot) || size != SOUND_PLAYER_ITEM_SIZE)
        return 1;
    if (!slot)
    {
        std::memcpy(&m_nSuppress, data, SOUND_PLAYER_ITEM_SIZE);
        return 0;
    }
    std::memcpy(&slot->nIndex, data, SOUND_PLAYER_ITEM_SIZE);
    slot->pSound = nullptr;
    if (slot->nIndex >= 0 && g_pSoundManager)
        g_pSoundManager->GetSound(slot->pSound, slot->nIndex);
    return 0;
}
