#pragma once
// TSoundPlayerManager ("SoundPlayer"): the one place that decides which of the game's sounds
// play: the interface clicks and notifications the front end asks for, the aircraft engines
// (from their state changes), the engine of the vehicle the player looks at, wind, rain and the
// reverb, the music and the public-address announcements. Sounds are named; a name's sound data
// is found on first use and kept until the cluster is cleared, and a sound the data lack stays
// silent.
#include "core/cluster/clustermethods.h"
#include "core/cluster/useridlink.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"
#include "engine/system/statemethods.h"
#include "morvane/game/gameparameters.h"
#include "morvane/ui/soundnamelist.h"
#include "engine/sound/soundmethods.h"

class TAICommonUnit;
class TNode;
class TSound;
class TSoundData;
class TSoundGroup;
class TVehicle;

// The cluster-manager id of the player's state items.
constexpr i32 SOUND_PLAYER_MANAGER_ID = 5;
// State items: the suppress counter, the four slots' indices, four per aircraft record.
constexpr i32 SOUND_PLAYER_DATA_COUNT = 69;
constexpr i32 SOUND_PLAYER_ITEM_SIZE = 4;
// A notification sound plays at most once in this many seconds.
constexpr f64 SOUND_NOTIFICATION_GAP = 2.0;
// Announcements: the first within 180 s, then every 120 to 360 s, after the ding-dong by 3 to 4 s.
constexpr f32 SOUND_FIRST_ANNOUNCEMENT = 180.0f;
constexpr f32 SOUND_ANNOUNCEMENT_GAP = 240.0f;
constexpr f32 SOUND_ANNOUNCEMENT_MIN = 120.0f;
constexpr f32 SOUND_ANNOUNCEMENT_DELAY = 3.0f;
// Pitch of the aircraft engines by the emitter's speed: taxi and full power.
constexpr f32 SOUND_TAXI_PITCH_CAP = 1.2f;
constexpr f32 SOUND_TAXI_PITCH_FACTOR = 0.1f;
constexpr f32 SOUND_FULL_POWER_PITCH_CAP = 2.0f;
constexpr f32 SOUND_FULL_POWER_PITCH_FACTOR = 0.01f;
// Wind's pitch walks inside these bounds.
constexpr f32 SOUND_WIND_LOW = 0.1f;
constexpr f32 SOUND_WIND_HIGH = 1.5f;
constexpr f32 SOUND_GUST_HIGH = 3.1f;
// The menu and game buses cross-fade over this many seconds.
constexpr f32 SOUND_MENU_FADE = 0.2f;

// The named sounds, in table order.
enum ESoundName : u32
{
    SOUND_ENGINE_BUS,
    SOUND_ENGINE_FUEL_TRUCK,
    SOUND_ENGINE_TAXI,
    SOUND_ENGINE_LUGGAGE_TRUCK,
    SOUND_ENGINE_HYDRAULICS,
    SOUND_ENGINE_START_BUS,
    SOUND_ENGINE_START_FUEL_TRUCK,
    SOUND_ENGINE_START_TAXI,
    SOUND_ENGINE_START_LUGGAGE_TRUCK,
    SOUND_ENGINE_START_HYDRAULICS,
    SOUND_WIND,
    SOUND_RAIN,
    SOUND_ANNOUNCEMENT_DING_DONG,
    SOUND_AIRPLANE_FULL_POWER,
    SOUND_AIRPLANE_START,
    SOUND_AIRPLANE_STOP,
    SOUND_AIRPLANE_TAXI,
    SOUND_TYRE_SQUEAL,
    SOUND_BUTTON_CLICK,
    SOUND_MENU_SELECT,
    SOUND_LAYER_SHOWN,
    SOUND_TASK_LIST_EXPAND,
    SOUND_TASK_LIST_CONTRACT,
    SOUND_VEHICLE_UPGRADE,
    SOUND_CHOOSE_GATE,
    SOUND_PLANE_LANDING_TAKE_OFF,
    SOUND_NEW_TASK,
    SOUND_TASK_ALERT,
    SOUND_NAME_COUNT
};

extern const char* const g_aSoundName[SOUND_NAME_COUNT];

// A sound the player keeps playing: its instance and its index in the sound service (-1 none).
struct TSoundSlot
{
    i32 nIndex = -1;
    TSound* pSound = nullptr;
};

// The engine sounds of one aircraft of the level's list.
struct TAirplaneSounds
{
    TNode* pNode = nullptr;
    TSoundSlot FullPower;
    TSoundSlot Taxi;
    TSoundSlot Start;
    TSoundSlot Stop;
    i32 nTouchdownArmed = 0;
};

class TSoundPlayerManager : public TManager,
                            public TResourceMethods,
                            public TClusterMethods,
                            public TStateMethods,
                            public TSoundMethods
{
public:
    TSoundPlayerManager();

    // Wires the player to the cluster, resource and state managers and to the UI's sounds.
    void BeginManager() override;
    // Engine, aircraft, wind, announcements, F12.
    void UpdateManager(f32 step) override;

    // The state items (4 bytes each): 1 for an item outside 0..68, else 0.
    i32 GetDataCount() override { return SOUND_PLAYER_DATA_COUNT; }
    i32 GetDataSize() override { return SOUND_PLAYER_DATA_COUNT * SOUND_PLAYER_ITEM_SIZE; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

    // TClusterMethods.
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    // TStateMethods: nothing is saved here (the items travel in the game's cluster image).
    i32 SaveState(u32, TStream&) override { return 0; }
    i32 LoadState(u32 pass, TStream& stream) override;
    // TSoundMethods: the end of a music track starts the next.
    void OnSoundEnded(TSound* sound) override;

    // Interface sounds; silent while suppressed.
    void PlayButtonClick(TNode* node);
    void PlayMenuSelect();
    void PlayLayerShown(TNode* node);
    void PlayTaskListExpand(TNode* node);
    void PlayTaskListContract(TNode* node);
    void PlayVehicleUpgrade(TNode* node);
    void PlayChooseGate(TNode* node);
    void PlayPlaneLandingTakeOff(TNode* node);
    // At most once per 2.0 s (of the timer's time) each.
    void PlayNewTask(TNode* node);
    void PlayTaskAlert(TNode* node);

    void SetMenuMode(u32 menu);
    void SetRainSound(u32 on);
    // The tyre squeal of the first aircraft whose touchdown is armed.
    void PlayTouchdown();
    // An aircraft changed state: its engines follow.
    void UpdateAirplane(TAICommonUnit* unit);
    void PlayNextMusic();

    // Raised by the front end around actions that must stay silent.
    void Suppress() { ++m_nSuppress; }
    void Unsuppress() { --m_nSuppress; }

    // The sound data of a name, found on first use; null while the data lack it.
    TSoundData* ResolveSound(TUserIdLink& sound);
    TUserIdLink& Named(ESoundName name) { return m_aNamed[name]; }
    TSoundNameList& MusicList() { return m_Music; }
    TSoundNameList& AnnouncementList() { return m_Announcements; }
    const TSoundSlot& GetSlot(u32 slot) const { return m_aSlot[slot]; }
    const TAirplaneSounds& GetAirplane(u32 record) const { return m_aAirplane[record]; }
    f32 GetAnnouncementTimer() const { return s_fAnnouncementTimer; }
    f32 GetWindPitch() const { return s_fWindB; }

    // Slots.
    static constexpr u32 SLOT_MUSIC = 0;
    static constexpr u32 SLOT_ENGINE = 1;
    static constexpr u32 SLOT_WIND = 2;
    static constexpr u32 SLOT_RAIN = 3;
    static constexpr u32 SLOT_COUNT = 4;

private:
    // An interface sound at the caller's node, unless suppressed.
    void PlayInterface(ESoundName name, TNode* node);
    // A notification sound with its own 2.0 s gap.
    void PlayNotification(ESoundName name, TNode* node, f64& lastPlay);
    TSound* Play(TUserIdLink& sound, TNode* node);
    TSound* PlayEx(TUserIdLink& sound, TNode* node, i32 idA, f32 valueA, i32 idB = -1, f32 valueB = 0.0f);
    // Keeps an instance with its index in the sound service.
    static void Keep(TSoundSlot& slot, TSound* sound);
    // Fades a kept sound out with fade f and forgets it.
    static void StopFaded(TSoundSlot& slot, i32 fade);
    // Stops a kept sound; the instance stays until replaced.
    static void StopKept(TSoundSlot& slot);
    void StepAirplane(TAirplaneSounds& record, i32 state);
    void UpdateVehicleEngine();
    void StartEngine(TVehicle& vehicle);
    void UpdateAirplaneRecord(TAirplaneSounds& record);
    void UpdateWind();
    void UpdateAnnouncements(f32 step);
    void ForgetInstances();
    // The sound slot of a state item 1..68 (item 0 is the suppress counter); null outside.
    TSoundSlot* ItemSlot(i32 index);

    TSoundSlot m_aSlot[SLOT_COUNT];
    TSoundGroup* m_pMenuBus;
    TSoundGroup* m_pGameBus;
    i32 m_nSuppress;
    // Set from a load's first pass to its last: a load seen again before its end was refused
    // part-way, and the records hold the image's voices.
    u32 m_nLoadUnfinished;
    f64 m_fLastNewTask;
    f64 m_fLastTaskAlert;
    TUserIdLink m_aNamed[SOUND_NAME_COUNT];
    TSoundNameList m_Music;
    TSoundNameList m_Announcements;
    TAirplaneSounds m_aAirplane[GAME_PLANE_CAPACITY];

    static u32 s_nMusicCursor;
    static f32 s_fAnnouncementTimer;
    static f32 s_fWindA;
    static f32 s_fWindB;
};

extern TSoundPlayerManager* g_pSoundPlayerManager;
