#pragma once
// TGameLogicManager ("GameLogic"): owns the level's game records and runs the game: the start
// of a game, the clock, each gate's tasks, money, the player's views (tower, follow-me car, a
// task's unit), the cheats and the game's part of state images. Units hear of their props'
// full forms through it; saved-game summaries read money and AI levels from it.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/input/inputfocus.h"
#include "engine/render/devicemethods.h"
#include "engine/system/manager.h"
#include "engine/system/propmethods.h"
#include "engine/system/resourcemethods.h"
#include "engine/system/statemethods.h"
#include "morvane/game/backgroundscenery.h"
#include "morvane/game/gamenametexts.h"
#include "morvane/game/gameparameters.h"
#include "player/gamesummarysource.h"

class TAICommonUnit;
class TCurvePool;
class TInputAction;
struct TCrossroadArea;
struct TGate;
struct TTask;
struct TTaskArea;
struct TTrafficVehicle;

// The focus layer of the player's driving and camera input.
constexpr u32 GAME_LOGIC_FOCUS_LAYER = 6;
constexpr u32 GAME_CAR_INPUT_MODES = 6;
// Views: the orbit cameras and the vehicle of the follow-me car, whose prop data's name the
// game knows (loaded names carry no text: a unit forms its pieces' names from this one's).
extern const char* const GAME_FOLLOW_ME_UNIT;
extern const char* const GAME_TOWER_CAMERA;
// The curve pools of the units' paths and of the background traffic.
extern const char* const GAME_UNIT_CURVE_POOL;
extern const char* const GAME_TRAFFIC_CURVE_POOL;
extern const char* const GAME_FOLLOW_ME_CAMERA;
extern const char* const GAME_FOLLOW_ME_VEHICLE;
// The task-area locators are placed this high above an activated task's area.
constexpr f32 GAME_AIR_LOCATOR_HEIGHT = 10.0f;
constexpr f32 GAME_GROUND_LOCATOR_HEIGHT = 0.1f;

// The error code of a state image the level refuses.
constexpr i32 GAME_STATE_REFUSED = 1;
// The game logic's id among the cluster's managers (its one data block: the texts of its units'
// prop-data names), the id of its parameter record's type.
constexpr i32 GAME_LOGIC_MANAGER_ID = 164;

class TGameLogicManager : public TManager,
                          public TClusterMethods,
                          public TResourceMethods,
                          public TInputFocus,
                          public TDeviceMethods,
                          public TStateMethods,
                          public TPropMethods,
                          public TGameSummarySource
{
public:
    TGameLogicManager();

    // Registers the listeners and the input focus (layer 6).
    void BeginManager() override;
    // The game's frame: the start of a game, the clock, rain, the arrivals, the landing, the
    // two queues of wait zones, the take-off and its pay, then every gate, unit and crossroad.
    void UpdateManager(f32 step) override;
    // The background traffic and power lines, once per rendered frame.
    void RenderManager() override;
    // The manager's cluster, resource, device and state interfaces with their managers, its
    // input focus with the input manager.
    void AddMethod();

    // Its data block: the texts of the units' prop-data names, which images carry as ids only.
    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override;
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;
    // TClusterMethods: the loaded records checked and bound, the views and actions set up.
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    // TResourceMethods: the game's actions exist before a level arrives.
    void OnRepositoryLoad(const char* name) override;
    // TDeviceMethods: the curve pools are required again after a device change.
    void OnDeviceRestore() override;
    // TInputFocus: the player's input to the active vehicle, then to the current orbit camera.
    bool WantsInput() override { return true; }
    i32 ConsumesInput() override { return 0; }
    void UpdateFocus(f32 step) override;
    // TStateMethods.
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;
    // TPropMethods: a unit's prop takes or gives back its full form.
    void OnPropActivate(TPropData* data, TProp* prop) override;
    void OnPropDeactivate(TProp* prop, TPropData* data) override;
    // TGameSummarySource.
    i32 GetMoney() override { return GetParameters().nMoney; }
    u32 GetAILevel(u32 gateId, u32 serviceKind) override;

    // The level's first parameter record, or the manager's own before any level is loaded.
    TGameParameters& GetParameters();
    // Money moves saturate at the limits of its 32 bits.
    void AddMoney(i32 amount);
    TGate* FindGate(i32 id) const;
    // The gate whose aircraft this is, or null.
    TGate* FindGateOf(const TAICommonUnit* plane) const;
    // The follow-me task: the last of the task array; null without tasks.
    TTask* GetFollowMeTask() const;
    // The unit whose prop this is, or null.
    TAICommonUnit* FindUnit(const TProp* prop) const;
    // The curve pool of the name ("CommonUnit": the units' paths), or null.
    TCurvePool* FindCurvePool(u32 nameId) const;

    // Views.
    void SwitchToTowerCamera();
    void SwitchToFollowMe();
    void ActivateTask(TTask* task);
    bool IsTowerView() { return GetParameters().pActiveTask == nullptr; }
    bool IsFollowMeActive();

    // The game.
    void MarkGameStarted();
    void ClearGameStarted() { GetParameters().nStarted = 0; }
    bool IsGameInProgress() const { return true; }
    // With every gate's services at the top AI level, opens "GameCompleted"; true then.
    bool CheckGameCompleted();
    // The cheats pass with the password "qix!"; otherwise the console says so.
    bool CheckCheat() const;

    // The arrays the cluster fills.
    DArray<TGameParameters*>& Parameters() { return m_aParameters; }
    DArray<TCurvePool*>& CurvePools() { return m_aCurvePool; }
    DArray<TAICommonUnit*>& Units() { return m_aUnit; }
    DArray<TTaskArea*>& TaskAreas() { return m_aTaskArea; }
    DArray<TCrossroadArea*>& Crossroads() { return m_aCrossroad; }
    DArray<TGate*>& Gates() { return m_aGate; }
    DArray<TTask*>& Tasks() { return m_aTask; }
    DArray<TTrafficVehicle*>& TrafficVehicles() { return m_aTrafficVehicle; }

    TInputAction* GetAction() const { return m_pAction; }
    TInputAction* GetTowerCamAction() const { return m_pTowerCam; }
    TInputAction* GetCarInputMode(u32 mode) const { return m_apCarInputMode[mode]; }
    TNode* GetPowerLineCurves() const { return m_pPowerLineCurves; }
    TBackgroundScenery& Scenery() { return m_Scenery; }

private:
    // The steps of the game's frame (gamelogicroad.cpp).
    void UpdateRain(TGameParameters& parameters, f32 dt);
    void UpdateArrival(TGameParameters& parameters);
    void UpdateLanding(TGameParameters& parameters);
    void UpdateLandingZones(TGameParameters& parameters, f32 dt);
    void UpdateTakeOffZones(TGameParameters& parameters);
    void UpdateTakeOff(TGameParameters& parameters);
    // Aircraft in landing zone 0: sent to the chosen gate, or kept waiting (at a cost once a
    // gate has idled long).
    void ServeLandingZone0(TGameParameters& parameters, f32 dt);

    void CreateActions();
    // Loaded records: counts cut to their tables, gate ids checked, each fault with a line.
    void CheckStoredData();
    // Each unit's prop reports to the game logic; units already holding a form link now.
    void BindUnits();
    void RequireCurvePools();
    void ShowLocators(u32 show);
    // Resources the state image leaves out, and the reflected objects it carries.
    void UnloadStateResources();
    i32 WriteLevelSignature(TStream& stream);
    i32 CheckLevelSignature(TStream& stream);
    i32 SaveObjects(TStream& stream);

    TGameParameters m_Parameters;
    TGameNameTexts m_NameTexts;
    DArray<TGameParameters*> m_aParameters;
    DArray<TCurvePool*> m_aCurvePool;
    DArray<TAICommonUnit*> m_aUnit;
    DArray<TTaskArea*> m_aTaskArea;
    DArray<TCrossroadArea*> m_aCrossroad;
    DArray<TGate*> m_aGate;
    DArray<TTask*> m_aTask;
    DArray<TTrafficVehicle*> m_aTrafficVehicle;
    TInputAction* m_pManagement;
    TInputAction* m_pAction;
    TInputAction* m_pTowerCam;
    TInputAction* m_apCarInputMode[GAME_CAR_INPUT_MODES];
    TNode* m_pPowerLineCurves;
    TBackgroundScenery m_Scenery;
};

extern TGameLogicManager* g_pGameLogicManager;
