#pragma once
// TGameMenuManager ("GameMenu") at its least: what the game logic asks of the front end, and
// until the in-game screen exists its keys. PushWindow finds no window yet; a level with game
// records counts as a new game started from the menu; the gate-selection menu picks an idle
// gate at once. Each frame the tower-camera and follow-me keys switch the view and the
// select key starts or takes the most urgent task.
#include "core/cluster/clustermethods.h"
#include "engine/system/manager.h"

class TInputAction;
class TUIItem;
struct TTask;

// The gate-selection menu starts its walk at a random one of this many places.
constexpr i32 GATE_MENU_RANDOM_MAX = 666;

class TGameMenuManager : public TManager, public TClusterMethods
{
public:
    TGameMenuManager();

    void BeginManager() override;
    // The keys of the in-game screen.
    void UpdateManager(f32 step) override;
    // A level with game records starts a new game; the keys are bound again.
    void OnClusterLoad() override;
    void OnClusterUnload() override;

    // The window of the name opened on the window stack; no windows exist yet: null.
    TUIItem* PushWindow(const char* name);
    // Opens the gate-selection menu for the aircraft waiting in landing zone 0 and stores the
    // idle gate it ends on as the chosen gate (its id only).
    void ShowGateSelectionMenu();
    u32 IsGateMenuOpen() const { return m_nGateMenuOpen; }
    i32 GetGateMenuFocus() const { return m_nGateMenuFocus; }
    // The task the select key acts on: the first issued task in the task grid's order that
    // the player drives, else the first; null without one.
    TTask* GetUrgentTask() const;
    // The task grid's start button: an AI task waiting for its start is asked to start, the
    // task the player drives is offered its reset, any other is taken (or watched).
    void StartTask(TTask* task);

private:
    TInputAction* m_pTowerCam;
    TInputAction* m_pFollowMe;
    TInputAction* m_pMenuSelect;
    u32 m_nGateMenuOpen;
    i32 m_nGateMenuFocus;
};

extern TGameMenuManager* g_pGameMenuManager;

// 1 once after a new game was started (a level with game records loaded), then 0.
u32 TakeNewGameStartedFlag();
