#pragma once
// The game menu manager's tree built on the UI toolkit's fixture, the player data under the
// test's scratch folder, and the game clock's two menu factors put back after each test.
#include "uifixture.h"

#include "core/system/datetime.h"
#include "core/system/timer.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxrendertargetmanager.h"
#include "engine/localization/localization.h"
#include "engine/render/rendermanager.h"
#include "engine/render/rendertarget.h"
#include "engine/system/command/commandmanager.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/uigamemanager.h"
#include "player/gamesavedgame.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/ux.actions.h"
#include "ux/ux.manager.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class MenuTest : public UITest
{
protected:
    void SetUp() override
    {
        UITest::SetUp();
        Set("save_directory", (m_Folder.Path() + "/save").c_str());
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
        // Nothing of one test's messages is left to the next.
        g_pUIGameManager->FinalizeManager();
        Profiles().SetClock(nullptr);
        Menu().FinalizeManager();
        Profiles().FinalizeManager();
        g_pTimer->SetScale(1.0f, TName(TIME_SCALE_MAIN_MENU, true));
        g_pTimer->SetScale(1.0f, TName(TIME_SCALE_MODAL_BOX, true));
        Parameters().nStarted = 0;
        Set("save_directory", "save");
        UITest::TearDown();
    }

    static inline u32 s_nSaveClock = 0;

    static TGameMenuManager& Menu() { return *g_pGameMenuManager; }
    static TPlayerProfileManager& Profiles() { return *g_pPlayerProfileManager; }
    static TGameParameters& Parameters() { return g_pGameLogicManager->GetParameters(); }

    static TVariable* Variable(const char* name)
    {
        return TCommandManager::Instance().FindVariable(MakeCommandName(name, false));
    }
    // A console variable set as a settings script sets it.
    static void Set(const char* name, const char* text)
    {
        const TName value(text, true);
        Variable(name)->Assign(&value, 1);
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
    // Started, then a game runs: the menu closed, the in-game screen on.
    void StartGame()
    {
        Start();
        Parameters().nStarted = 1;
        Menu().SetMenuVisible(0, 0);
        MenuFrames(20);
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
    // Text typed into a box, with the box's change event; a narrow text (a password the test keeps
    // no wide copy of) typed as it is.
    template <class TChar> static void Type(UX::TTextBox* box, const TChar* text)
    {
        box->Text.SetCount(0);
        for (const TChar* c = text; *c; ++c)
            box->Text.Add(static_cast<char16_t>(*c));
        box->Text.Add(u'\0');
        box->ResetCursor();
        box->OnTextChange.Invoke(box, nullptr);
    }
    // One frame of the UI and the UX's forms over a cleared target of the size, as the game's render
    // list draws them; its pixels. The window's own size is back after.
    std::vector<u32> DrawFrame(i32 width, i32 height)
    {
        g_device_size.Store(static_cast<f32>(width), static_cast<f32>(height), 0.0f, 1.0f);
        g_pUIManager->OnDeviceChange();
        TRenderTarget* target = g_pDxRenderTargetManager->CreateRenderTarget(
            TName("MenuFrame", true), static_cast<u32>(width), static_cast<u32>(height), 0x102, 0, 0, 0);
        target->SetRenderTarget(nullptr);
        IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
        device->BeginScene();
        g_pRenderManager->m_nInRender = 1;
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF283038, 1.0f, 0);
        g_pUIManager->RenderManager();
        g_pDxCanvasManager->Flush();
        UX::TUXManager::Instance().RenderManager();
        g_pDxCanvasManager->Flush();
        g_pRenderManager->m_nInRender = 0;
        device->EndScene();
        std::vector<u32> pixels;
        u32 bytes = 0;
        if (const auto* bits = static_cast<const u32*>(target->Lock(bytes, RENDER_TARGET_LOCK_READ)))
        {
            pixels.assign(bits, bits + width * height);
            target->Unlock();
        }
        g_pDxDeviceManager->SetBackBufferTarget(0);
        target->ReleaseReference();
        g_device_size.Store(static_cast<f32>(m_nWidth), static_cast<f32>(m_nHeight), 0.0f, 1.0f);
        g_pUIManager->OnDeviceChange();
        return pixels;
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
