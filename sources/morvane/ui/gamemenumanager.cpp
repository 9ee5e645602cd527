#include "morvane/ui/gamemenumanager.h"

#include "core/cluster/cluster.h"
#include "core/math/random.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/ui/soundplayer.h"
#include "xaudio2/randomindex.h"

#include <algorithm>
#include <vector>

TGameMenuManager* g_pGameMenuManager = nullptr;

namespace
{
TGameMenuManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("GameMenu", "GameMenu", &g_pGameMenuManager, &s_Manager);
TDeferredVariable s_ConsoleShow("console_show");
u32 s_nNewGame = 0;

class Tgame_autostartaitaskVariable : public TVariable
{
public:
    Tgame_autostartaitaskVariable() : TVariable("game_autostartaitask", "Automatically start AI tasks.", 0)
    {
        m_Value.SetInt(0);
    }
    // Read by the tasks when they start.
    void OnChange() override {}
};

Tgame_autostartaitaskVariable s_game_autostartaitask;

TInputAction* Action(const char* name)
{
    return TInputManager::Instance().CreateAction(TName(name, true), 0);
}

bool Pressed(const TInputAction* action)
{
    return action && action->IsPressed();
}
} // namespace

u32 TakeNewGameStartedFlag()
{
    const u32 flag = s_nNewGame;
    s_nNewGame = 0;
    return flag;
}

TGameMenuManager::TGameMenuManager()
    : m_pTowerCam(nullptr), m_pFollowMe(nullptr), m_pMenuSelect(nullptr), m_nGateMenuOpen(0), m_nGateMenuFocus(-1)
{
}

void TGameMenuManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

void TGameMenuManager::OnClusterLoad()
{
    if (g_pGameLogicManager && g_pGameLogicManager->Parameters().GetCount() > 0)
    {
        s_nNewGame = 1;
        // The game starts at once, no menu open: the game's sounds are heard, not the menu's.
        if (g_pSoundPlayerManager)
            g_pSoundPlayerManager->SetMenuMode(0);
    }
    m_pTowerCam = Action("towercam");
    m_pFollowMe = Action("carinputmode1");
    m_pMenuSelect = Action("menuselect");
    m_nGateMenuOpen = 0;
}

void TGameMenuManager::OnClusterUnload()
{
    m_pTowerCam = m_pFollowMe = m_pMenuSelect = nullptr;
}

void TGameMenuManager::UpdateManager(f32)
{
    TGameLogicManager* game = g_pGameLogicManager;
    // The grid is not there to be under the pointer.
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->SetZoomAllowed(1);
    // Keys typed into the console are no camera keys.
    if (!game || s_ConsoleShow.GetValue().ToInt() != 0)
        return;
    if (Pressed(m_pTowerCam))
        game->SwitchToTowerCamera();
    if (Pressed(m_pFollowMe))
        game->SwitchToFollowMe();
    if (Pressed(m_pMenuSelect))
        StartTask(GetUrgentTask());
}

TUIItem* TGameMenuManager::PushWindow(const char*)
{
    return nullptr;
}

void TGameMenuManager::ShowGateSelectionMenu()
{
    TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    if (parameters.nChosenGate != 0)
        return;
    // The menu stays open until a gate is idle; it sounds once per opening.
    if (!m_nGateMenuOpen)
    {
        m_nGateMenuOpen = 1;
        if (g_pSoundPlayerManager)
            g_pSoundPlayerManager->PlayChooseGate(nullptr);
    }
    const i32 start = RandomIndex(TRandom::Shared(), &GATE_MENU_RANDOM_MAX);
    bool found = false;
    for (i32 i = 0; i < GATE_ID_LAST; ++i)
    {
        const i32 id = (start + i) % GATE_ID_LAST + 1;
        const TGate* gate = g_pGameLogicManager->FindGate(id);
        if (gate && gate->m_nState == gsIdle)
        {
            m_nGateMenuFocus = id - 1;
            found = true;
        }
    }
    if (!found)
        return;
    parameters.nChosenGate = m_nGateMenuFocus + 1;
    m_nGateMenuOpen = 0;
}

TTask* TGameMenuManager::GetUrgentTask() const
{
    std::vector<TTask*> listed;
    DArray<TGate*>& gates = g_pGameLogicManager->Gates();
    for (i32 g = 0; g < gates.GetCount(); ++g)
        for (u32 t = 0; t < gates[g]->aGateTask.GetCount(); ++t)
            if (TTask* task = gates[g]->aGateTask[t]; task && task->m_nCountdownStarted)
                listed.push_back(task);
    if (listed.empty())
        return nullptr;
    std::stable_sort(listed.begin(), listed.end(), TTask::SortLess);
    for (TTask* task : listed)
        if (!task->m_nAI)
            return task;
    return listed.front();
}

void TGameMenuManager::StartTask(TTask* task)
{
    if (!task)
        return;
    if (task->m_nAI && !task->m_nStarted)
        task->RequestStart();
    else if (task == g_pGameLogicManager->GetParameters().pActiveTask)
        PushWindow("GameTaskResetConfirm");
    else
        g_pGameLogicManager->ActivateTask(task);
}
