// The in-game keys of TGameMenuManager until the in-game screen exists: the camera keys, the
// select key on the most urgent task and the gate choice of a waiting aircraft.
#include "morvane/ui/gamemenumanager.h"

#include "core/math/random.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/ui/soundplayer.h"
#include "ui/uibutton.h"
#include "xaudio2/randomindex.h"

#include <algorithm>
#include <vector>

namespace
{
TDeferredVariable s_ConsoleShow("console_show");

TInputAction* Action(const char* name)
{
    return TInputManager::Instance().CreateAction(TName(name, true), 0);
}

bool Pressed(const TInputAction* action)
{
    return action && action->IsPressed();
}
} // namespace

void TGameMenuManager::OnClusterLoad()
{
    m_pTowerCam = Action("towercam");
    m_pFollowMe = Action("carinputmode1");
    m_pMenuSelect = Action("menuselect");
    m_nGateMenuOpen = 0;
}

void TGameMenuManager::UpdateInGameKeys()
{
    TGameLogicManager* game = g_pGameLogicManager;
    // The grid is not there to be under the pointer.
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->SetZoomAllowed(1);
    // Keys typed into the console are no camera keys; the menu and the popups take their own.
    if (!game || s_ConsoleShow.GetValue().ToInt() != 0 || IsMenuOpen() || GetWindowCount() > 0)
        return;
    if (Pressed(m_pTowerCam))
        game->SwitchToTowerCamera();
    if (Pressed(m_pFollowMe))
        game->SwitchToFollowMe();
    if (Pressed(m_pMenuSelect))
        StartTask(GetUrgentTask());
}

void TGameMenuManager::ShowGateSelectionMenu()
{
    TGameParameters& parameters = g_pGameLogicManager->GetParameters();
    if (parameters.nChosenGate != 0 || IsMenuOpen() || GetWindowCount() > 0)
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
    {
        if (PushWindow("GameTaskResetConfirm"))
            m_pResetTask = task;
    }
    else
        g_pGameLogicManager->ActivateTask(task);
}

i32 TGameMenuManager::OnTaskResetConfirmed(TUIItem*)
{
    TTask* task = m_pResetTask;
    m_pResetTask = nullptr;
    if (task)
        task->Reset();
    return 0;
}
