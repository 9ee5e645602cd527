#pragma once
// The game menu manager's tree built on the UI toolkit's fixture, the player data under the
// test's scratch folder, and the game clock's two menu factors put back after each test.
#include "uifixture.h"

#include "core/system/datetime.h"
#include "core/system/timer.h"
#include "engine/localization/localization.h"
#include "engine/system/command/commandmanager.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/ui/uigamemanager.h"
#include "morvane/ui/gamemenumanager.h"
#include "player/gamesavedgame.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/ux.actions.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

class MenuTest : public UITest
{
protected:
    void SetUp() override
    {
        UITest::SetUp();
        SetSaveDirectory(m_Folder.Path() + "/save");
        Profiles().FinalizeManager();
        static const bool s_bBegun = [] {
            g_pGameMenuManager->BeginManager();
            return true;
        }();
        (void)s_bBegun;
        // The game's texts, as the start-up script chooses them.
        std::filesystem::create_directory_symlink(VESTAMOR_DATA_DIR, m_Folder.Path() + "/data");
        TLocalizationManager& texts = TLocalizationManager::Instance();
        if (texts.GetCurrentLanguage() < 0)
        {
            texts.LoadLanguageFile("english");
            texts.SetLanguage(TName("English", true));
        }
        Parameters().nStarted = 0;
        TakeNewGameStartedFlag();
        // A saved game is named by the millisecond of its save, and two saves within one are one
        // file: each save of a test is a second after the one before, from a fixed day.
        s_nSaveClock = 0;
        Profiles().SetClock([] {
            const u32 n = s_nSaveClock++;
            const TDateTime stamp{2026, 12, 2, 1, 9, static_cast<u8>(n / 60 % 60), static_cast<u8>(n % 60), 0};
            return stamp.ToFileTime();
        });
    }
    void TearDown() override
    {
        Profiles().SetClock(nullptr);
        Menu().FinalizeManager();
        Profiles().FinalizeManager();
        g_pTimer->SetScale(1.0f, TName(TIME_SCALE_MAIN_MENU, true));
        g_pTimer->SetScale(1.0f, TName(TIME_SCALE_MODAL_BOX, true));
        Parameters().nStarted = 0;
        SetSaveDirectory("save");
        UITest::TearDown();
    }

    static inline u32 s_nSaveClock = 0;

    static TGameMenuManager& Menu() { return *g_pGameMenuManager; }
    static TPlayerProfileManager& Profiles() { return *g_pPlayerProfileManager; }
    static TGameParameters& Parameters() { return g_pGameLogicManager->GetParameters(); }

    static void SetSaveDirectory(const std::string& text)
    {
        const TName value(text.c_str(), true);
        TCommandManager::Instance().FindVariable(MakeCommandName("save_directory", false))->Assign(&value, 1);
    }

    // One frame of the menu manager, then the UI's.
    void MenuFrame(f32 step = 0.02f)
    {
        Menu().UpdateManager(step);
        Frame(step);
    }
    void MenuFrames(u32 count, f32 step = 0.02f)
    {
        for (u32 i = 0; i < count; ++i)
            MenuFrame(step);
    }
    // The first update (player data, the tree, the menu) and the fader's fade-out at start.
    void Start()
    {
        MenuFrame(0.0f);
        MenuFrames(60, 0.05f);
    }
    // Frames of the real clock, which the UX's transitions run on.
    void RealFrames(u32 count)
    {
        for (u32 i = 0; i < count; ++i)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(12));
            g_pTimer->Update();
            MenuFrame();
        }
    }
    // The in-game date and time as the golden images show them, not the wall clock's.
    static void StillClock()
    {
        Menu().GetGameText("Date")->m_Caption.SetText("07.12.2026");
        Menu().GetGameText("Time")->m_Caption.SetText("12:00");
    }
    // An item's centre in the window's pixels, and a click there.
    static std::pair<i32, i32> Centre(const TUIItem* item)
    {
        const TUIRect rect = item->GetAbsoluteRect();
        f32 width, height;
        g_pUIManager->GetScreenSize(width, height);
        const TUIItem* root = item;
        while (root->GetParent())
            root = root->GetParent();
        return {static_cast<i32>((rect.fLeft + rect.fRight) * 0.5f * width / root->m_VirtualSize.x),
                static_cast<i32>((rect.fTop + rect.fBottom) * 0.5f * height / root->m_VirtualSize.y)};
    }
    void ClickOn(const TUIItem* item)
    {
        const auto [x, y] = Centre(item);
        ClickAt(x, y);
    }
    // A button pressed as its click does it: a menu item's click list, a UX button's click action.
    static void Press(TUIItem* button) { button->OnClickList.Fire(button); }
    static void Press(UX::TButton* button) { button->DoAction(button, UX::ClickAction(), 0); }
    static TUIMessageDialog& Box() { return g_pUIGameManager->GetMessageDialog(); }
    // Text typed into a box, with the box's change event.
    static void Type(UX::TTextBox* box, const char16_t* text)
    {
        box->Text.SetCount(0);
        for (const char16_t* c = text; *c; ++c)
            box->Text.Add(*c);
        box->Text.Add(u'\0');
        box->ResetCursor();
        box->OnTextChange.Invoke(box, nullptr);
    }
    // The saved games in the player folder.
    u32 SaveFiles() const
    {
        u32 count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_Folder.Path() + "/save"))
            count += entry.path().extension() == ".save" ? 1 : 0;
        return count;
    }
};
