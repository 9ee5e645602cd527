#pragma once
// TUIGameManager ("UIGame"): the owner of the game's screens built with the UX control library
// (help, vehicle task dialog, credits, the message box, the account screens). It does no work of
// its own per frame: it tells the game menus whether one of its screens is up, and serves the
// help categories and the images of the help pages by name.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sset.h"
#include "engine/system/manager.h"
#include "morvane/ui/uiaccountconnected.h"
#include "morvane/ui/uiaccountcreate.h"
#include "morvane/ui/uiaccountlogin.h"
#include "morvane/ui/uiaccountupdate.h"
#include "morvane/ui/uicreditsmenu.h"
#include "morvane/ui/uihelpdialog.h"
#include "morvane/ui/uimessagedialog.h"
#include "morvane/ui/uivehicletaskdialog.h"

class TTexture;
struct THelpCategory;

// The image-name map: {name, index into the image array}.
constexpr u32 UI_GAME_IMAGE_CAPACITY = 1024;
typedef SSet<TMapKey<TName, i32>, UI_GAME_IMAGE_CAPACITY, TName, 0> TUIGameImageSet;

// The screens of the block, in its order (the order they are registered with the UX manager in,
// which the UX data's instance objects follow).
enum EUIGameScreen : u32
{
    UI_SCREEN_HELP,
    UI_SCREEN_VEHICLE_TASK,
    UI_SCREEN_CREDITS,
    UI_SCREEN_MESSAGE,
    UI_SCREEN_ACCOUNT_CONNECTED,
    UI_SCREEN_ACCOUNT_LOGIN,
    UI_SCREEN_ACCOUNT_CREATE,
    UI_SCREEN_ACCOUNT_UPDATE,
    UI_SCREEN_COUNT
};

class TUIGameManager : public TManager, public TClusterMethods
{
public:
    TUIGameManager();
    ~TUIGameManager() override;

    void BeginManager() override;
    // The message box's queue and callbacks go with the run.
    void FinalizeManager() override { m_Screens.MessageDialog.Reset(); }
    // The screens hold pointers and event lists that mean nothing in another run: no data
    // block is offered, and one of an older image is refused with a line.
    i32 GetDataCount() override { return 0; }
    i32 GetDataSize() override { return 0; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

    // True while a screen the menus must wait for is on screen: credits, the account screens or
    // help (the message box and the vehicle task dialog do not count).
    bool IsBusy() const;
    // Shows the screen's form with its show transition; false (nothing shown) when the loaded
    // data give it none.
    bool ShowScreen(EUIGameScreen screen);
    // Whether the screen's form is on screen (its visible and parent-visible flags).
    bool IsShowing(EUIGameScreen screen);
    UX::TInstance& GetScreen(EUIGameScreen screen);
    TUIMessageDialog& GetMessageDialog() { return m_Screens.MessageDialog; }

    // The texture registered under the name; null (logged) for the empty name or an unknown one.
    TTexture* GetImage(const TName& name);
    // Registers a texture under a name (a second one of the same name takes its place).
    void AddImage(const TName& name, TTexture* texture);
    const TUIGameImageSet& GetImageSet() const { return m_ImageSet; }
    DArray<THelpCategory*>& HelpCategories() { return m_aHelpCategory; }

    // The images are textures of the loaded data: they go with it.
    void OnClusterUnload() override;

private:
    // The screens, each registered with the UX manager by its constructor, in this order.
    struct TScreenBlock
    {
        TUIHelpDialog HelpDialog;
        TUIVehicleTaskDialog VehicleTaskDialog;
        TUICreditsMenu CreditsMenu;
        TUIMessageDialog MessageDialog;
        TUIAccountConnected AccountConnected;
        TUIAccountLogin AccountLogin;
        TUIAccountCreate AccountCreate;
        TUIAccountUpdate AccountUpdate;
    };

    // The index stored under the name, inserted with the default index when missing.
    i32 _GetOrInsertIndex(const TName& name, i32 defaultIndex);

    DArray<TTexture*> m_aImage;
    DArray<THelpCategory*> m_aHelpCategory;
    TScreenBlock m_Screens;
    TUIGameImageSet m_ImageSet;
    // 1 while a lookup inserts.
    u32 m_nImageSetBusy;
};

extern TUIGameManager* g_pUIGameManager;
