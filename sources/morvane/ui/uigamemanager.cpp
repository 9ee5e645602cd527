#include "morvane/ui/uigamemanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/system/managermanager.h"
#include "morvane/game/helpcategory.h"
#include "ux/ux.control.h"

TUIGameManager* g_pUIGameManager = nullptr;

namespace
{
const char* const kGetImageError = "TUIGameManager::GetImage(): error: ";

// A screen's form counts as on screen with both its visible and its parent-visible flag.
bool FormShowing(const UX::TInstance& screen)
{
    const UX::TControl* form = screen.GetForm();
    constexpr u32 kShowing = UX::CONTROL_VISIBLE | UX::CONTROL_PARENT_VISIBLE;
    return form && (form->nFlags & kShowing) == kShowing;
}

TUIGameManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("UIGame", "UIGame", &g_pUIGameManager, &s_Manager);
} // namespace

TUIGameManager::TUIGameManager() : m_nImageSetBusy(0)
{
    if (!g_pCluster)
        return;
    RegisterArray(&HelpCategoryDecl(), &m_aHelpCategory);
    RegisterId(HELP_CATEGORY_TYPE_ID);
}

TUIGameManager::~TUIGameManager()
{
    m_aImage.Free();
}

void TUIGameManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

i32 TUIGameManager::GetData(i32, void*&, i32&)
{
    return 1;
}

i32 TUIGameManager::SetData(i32 index, const void*, i32 size)
{
    if (size == 0)
        return 0;
    TLog::Print(g_pSystemLog, LOG_WARNING, "TUIGameManager::SetData(): warning: ",
                "screen block %d of %d bytes from an older image ignored", index, size);
    return 1;
}

bool TUIGameManager::IsBusy() const
{
    const UX::TInstance* const screens[] = {&m_Screens.CreditsMenu,  &m_Screens.AccountConnected,
                                            &m_Screens.AccountCreate, &m_Screens.AccountLogin,
                                            &m_Screens.AccountUpdate, &m_Screens.HelpDialog};
    for (const UX::TInstance* screen : screens)
        if (FormShowing(*screen))
            return true;
    return false;
}

UX::TInstance& TUIGameManager::GetScreen(EUIGameScreen screen)
{
    UX::TInstance* const screens[UI_SCREEN_COUNT] = {
        &m_Screens.HelpDialog,       &m_Screens.VehicleTaskDialog, &m_Screens.CreditsMenu,
        &m_Screens.MessageDialog,    &m_Screens.AccountConnected,  &m_Screens.AccountLogin,
        &m_Screens.AccountCreate,    &m_Screens.AccountUpdate};
    return *screens[screen < UI_SCREEN_COUNT ? screen : UI_SCREEN_HELP];
}

bool TUIGameManager::IsShowing(EUIGameScreen screen)
{
    return screen < UI_SCREEN_COUNT && FormShowing(GetScreen(screen));
}

bool TUIGameManager::ShowScreen(EUIGameScreen screen)
{
    UX::TControl* form = screen < UI_SCREEN_COUNT ? GetScreen(screen).GetForm() : nullptr;
    if (!form)
        return false;
    form->Show(0);
    return true;
}

TTexture* TUIGameManager::GetImage(const TName& name)
{
    if (name == TName())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kGetImageError, "Texture name is null!");
        return nullptr;
    }
    if (m_ImageSet.FindKey(name) < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kGetImageError, "Texture %s not found!", name.GetText());
        return nullptr;
    }
    const i32 index = _GetOrInsertIndex(name, 0);
    return index >= 0 && index < m_aImage.GetCount() ? m_aImage[index] : nullptr;
}

void TUIGameManager::AddImage(const TName& name, TTexture* texture)
{
    const i32 at = m_ImageSet.FindKey(name);
    if (at >= 0)
    {
        m_aImage[m_ImageSet[static_cast<u32>(at)].value] = texture;
        return;
    }
    if (m_ImageSet.IsFull())
        return;
    _GetOrInsertIndex(name, m_aImage.GetCount());
    m_aImage.Add(texture);
}

i32 TUIGameManager::_GetOrInsertIndex(const TName& name, i32 defaultIndex)
{
    i32 at = m_ImageSet.FindKey(name);
    if (at < 0)
    {
        m_nImageSetBusy = 1;
        m_ImageSet.Insert({name, defaultIndex});
        m_nImageSetBusy = 0;
        at = m_ImageSet.FindKey(name);
    }
    return m_ImageSet[static_cast<u32>(at)].value;
}

void TUIGameManager::OnClusterUnload()
{
    m_aImage.SetCount(0);
    m_ImageSet = TUIGameImageSet();
}
