#pragma once
// TUIManager ("UI"): the manager of the game's retained-mode UI toolkit. It owns the root items
// (each deletes its subtree), views the icon and style records of the loaded cluster, holds the
// thirteen UI actions, the modal stack, the default item, the active menu, the captured and
// dragged items and the tooltip; every frame it routes the pointer and the actions through the
// item trees (UpdateManager) and draws them root by root through the canvas (RenderManager),
// then the cursor "Mouse".
#include "core/cluster/clustermethods.h"
#include "core/math/vector.h"
#include "core/system/templates/darray.h"
#include "engine/input/inputfocus.h"
#include "engine/render/devicemethods.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"
#include "ui/uiicon.h"
#include "ui/uistyle.h"

#include <set>
#include <vector>

class TInputAction;
class TInputCursor;
class TTexture;
class TUIEdit;
class TUIItem;
class TUIMenu;

constexpr u32 UI_MODAL_CAPACITY = 40;
constexpr u32 UI_FOCUS_LAYER = 4;
// Tooltips: a rest moves less than this, shows after this long, and closes beyond this distance.
constexpr f32 UI_TOOLTIP_REST = 10.0f;
constexpr f32 UI_TOOLTIP_DELAY = 1.0f;
constexpr f32 UI_TOOLTIP_CLOSE = 30.0f;
constexpr f32 UI_TOOLTIP_OFFSET = 30.0f;

// The thirteen UI actions, in this order.
enum EUIAction : u32
{
    UI_ACTION_MENU_UP,
    UI_ACTION_MENU_DOWN,
    UI_ACTION_MENU_LEFT,
    UI_ACTION_MENU_RIGHT,
    UI_ACTION_MENU_SELECT,
    UI_ACTION_MENU_SELECT2,
    UI_ACTION_MENU_BACK,
    UI_ACTION_TAB_NEXT,
    UI_ACTION_TAB_PREV,
    UI_ACTION_NEXT_CONTROL,
    UI_ACTION_HELP_TOGGLE,
    UI_ACTION_SCROLL_UP,
    UI_ACTION_SCROLL_DOWN,
    UI_ACTION_COUNT
};

extern const char* const UI_ACTION_NAMES[UI_ACTION_COUNT];

// What the input pass hands the items: the pointer in the coordinates of the root being
// processed, the frame time, the select press, the modal item that blocks input and the
// hot-key item, and the pointer scale of the root.
struct TUIInputContext
{
    TVector Pointer;
    f32 fStep;
    u32 nSelect;
    TUIItem* pModal;
    TUIItem* pHotKeyItem;
    // Every closed ancestor of the item processed is fading in.
    bool bAncestorsOpening;
    f32 fScaleX;
    f32 fScaleY;
};

class TUIManager : public TManager,
                   public TDeviceMethods,
                   public TClusterMethods,
                   public TResourceMethods,
                   public TInputFocus
{
public:
    TUIManager();
    ~TUIManager() override;

    // Manager slots. SetArray and GetArray answer 1 for ids other than the icons' and styles'.
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    i32 InitializeManager() override { return 0; }
    void FinalizeManager() override;
    void BeginManager() override;
    void EndManager() override {}
    void RenderManager() override;
    void ThreadUpdateManager(f32) override {}
    // Every frame, paused or not, on the real frame time: the menus stand the game clock
    // still, not their own fades and input.
    void UpdateManager(f32) override;
    // One frame of the UI of the given length.
    void UpdateFrame(f32 step);

    // The cursor "Mouse" (selected), the actions and the white texture of lines.
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    // Every root is fitted to the new screen and laid out again.
    void OnDeviceChange() override;
    // The input-focus slots: the UI holds the pointer while it is over a blocking item.
    bool WantsInput() override { return m_nPointerOverBlocking != 0; }
    void UpdateFocus(f32) override { m_nFocusWord = 1; }

    // Items: roots are appended in creation order; null when the class has no factory.
    TUIItem* CreateItem(const char* className, const char* name, f32 width, f32 height);
    // Takes a root out of the roots (its parent is about to own it).
    void DetachRoot(TUIItem* item);
    const std::vector<TUIItem*>& GetRoots() const { return m_aRoot; }
    // Every pointer the manager keeps to the item (and its subtree) is cleared.
    void ForgetItem(TUIItem* item);
    // The screen size items are fitted to: the back buffer, else the canvas's aperture.
    void GetScreenSize(f32& width, f32& height) const;

    // Null when the loaded data lack the record; each missing name is logged once per load.
    const TUIIcon* __FindIcon(const TName& name) const;
    const TUIStyle* __FindStyle(const TName& name) const;
    u32 GetIconCount() const { return static_cast<u32>(m_aIcon.GetCount()); }
    u32 GetStyleCount() const { return static_cast<u32>(m_aStyle.GetCount()); }
    // The cluster's record lists (the data writers add theirs here).
    DArray<TUIIcon*>* Icons() { return &m_aIcon; }
    DArray<TUIStyle*>* Styles() { return &m_aStyle; }

    // Modal windows: a 41st is refused with a log line; popping an empty stack does nothing.
    bool PushModal(TUIItem* item);
    // Takes the item out of the stack wherever it stands.
    void RemoveModal(TUIItem* item);
    TUIItem* GetModalTop() const { return m_aModal.empty() ? nullptr : m_aModal.back(); }
    u32 GetModalCount() const { return static_cast<u32>(m_aModal.size()); }

    TInputAction* GetAction(EUIAction action) const { return m_apAction[action]; }
    // The loaded data gave the cursor and all thirteen actions.
    bool IsInputReady() const { return m_nInputReady != 0; }
    bool IsActionPressed(EUIAction action) const;
    bool IsConsoleShown();

    void SetTooltipItem(TUIItem* label) { m_pTooltip = label; }
    TUIItem* GetTooltipOwner() const { return m_pTooltipOwner; }
    void ShowTooltip(TUIItem* item, const TName& text);
    void CloseTooltip();

    TName GetDefaultFont() const { return m_DefaultFont; }
    void SetDefaultFont(const TName& font) { m_DefaultFont = font; }
    TTexture* GetWhiteTexture() const { return m_pWhite; }
    // One screen pixel in the units of the root being drawn.
    f32 GetPixelSize() const { return m_fPixelSize; }
    // Seconds of UI updates (the caret's clock).
    f32 GetTime() const { return m_fTime; }
    TInputCursor* GetCursor() const { return m_pCursor; }

    // Plays the click sound unless it was played this frame.
    void PlayClick();
    void PlayMenuSelect();

    TUIInputContext m_Input;
    TUIItem* m_pDefaultItem = nullptr;
    TUIMenu* m_pActiveMenu = nullptr;
    TUIEdit* m_pEditItem = nullptr;
    TUIItem* m_pCaptured = nullptr;
    TUIItem* m_pDragged = nullptr;
    TVector m_DragPointer{};
    TVector m_DragPosition{};
    u32 m_nSelectLatch = 0;
    u32 m_nClickPlayed = 0;
    u32 m_nMenuSelectPlayed = 0;
    u32 m_nHotKeyUsed = 0;
    u32 m_nPointerOverBlocking = 0;
    u32 m_nFocusWord = 0;
    // The pointer (copied from the cursor each frame) and its button's pressed and held words.
    TVector m_Pointer{};
    u32 m_nPointerPressed = 0;
    u32 m_nPointerHeld = 0;
    f32 m_fHoverTime = 0.0f;
    TVector m_HoverPosition{};

private:
    // The item input pass on one item and its subtree.
    void ProcessItem(TUIItem* item);
    void UpdateTooltip(f32 step);

    std::vector<TUIItem*> m_aRoot;
    std::vector<TUIItem*> m_aModal;
    TInputAction* m_apAction[UI_ACTION_COUNT] = {};
    TVector m_TooltipAnchor{};
    TUIItem* m_pTooltip = nullptr;
    TUIItem* m_pTooltipOwner = nullptr;
    // The cluster's records and the views of them.
    DArray<TUIIcon*> m_aIcon;
    DArray<TUIStyle*> m_aStyle;
    TInputCursor* m_pCursor = nullptr;
    u32 m_nInputReady = 0;
    TTexture* m_pWhite = nullptr;
    mutable std::set<u32> m_aToldMissing;
    TName m_DefaultFont;
    f32 m_fPixelSize = 1.0f;
    f32 m_fTime = 0.0f;
    TDeferredVariable m_ConsoleShow{"console_show"};
};

extern TUIManager* g_pUIManager;
