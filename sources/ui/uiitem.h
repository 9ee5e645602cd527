#pragma once
// TUIItem: the base of every element of the game's UI toolkit: a node of a tree with a name,
// flags, a position and size computed from placement rules, an opacity, a caption, a style,
// hot-key actions and seventeen event lists. Items are made by class name through the plug-in
// factories of class "TUIItem", laid out relative to their parent, drawn through the canvas and
// opened or closed with optional fades; TUIManager drives their input and drawing.
#include "core/math/vector.h"
#include "core/system/name.h"
#include "core/system/plugin.h"
#include "ui/uilistenerlist.h"
#include "ui/uitext.h"

#include <vector>

class TInputAction;
struct TUIStyle;

// Flags.
constexpr u32 UI_HIDDEN = 0x2;
constexpr u32 UI_HIGHLIGHTED = 0x4;
constexpr u32 UI_CHECKED = 0x8;
constexpr u32 UI_POINTER_INSIDE = 0x20;
constexpr u32 UI_CLOSED = 0x40;
constexpr u32 UI_INPUT_WHILE_CLOSED = 0x80;
constexpr u32 UI_CAPTURES = 0x200;
constexpr u32 UI_MODAL = 0x400;
constexpr u32 UI_DESIGN_SIZE = 0x800;
constexpr u32 UI_DESIGN_FLAG = 0x1000;
constexpr u32 UI_DRAGGABLE = 0x2000;
constexpr u32 UI_SILENT = 0x4000;
constexpr u32 UI_GLOW = 0x10000;
constexpr u32 UI_IGNORES_SELECT = 0x20000;
constexpr u32 UI_HOT_KEYS_ALWAYS = 0x80000;
constexpr u32 UI_DEFAULT = 0x100000;
constexpr u32 UI_SWALLOWS_SELECT = 0x200000;
constexpr u32 UI_GRID_PARTIAL_ROW = 0x400000;
constexpr u32 UI_GRID_NO_SCROLL_BAR = 0x800000;
constexpr u32 UI_GRID_CELLS = 0x1000000;
constexpr u32 UI_BLOCKS_POINTER = 0x2000000;
constexpr u32 UI_FADING = 0x40000000;
constexpr u32 UI_ANCESTOR_CLOSED = 0x80000000;
constexpr u32 UI_INACTIVE = UI_CLOSED | UI_ANCESTOR_CLOSED;

constexpr u32 UI_HOT_KEY_COUNT = 8;

// Placement modes of one rule.
enum EUIPlacement : u32
{
    UI_PLACE_NONE,
    UI_PLACE_FRACTION,
    UI_PLACE_NEAR,
    UI_PLACE_FAR
};

// Four rules (left, right edge, top, bottom edge): the four modes, then the four values.
struct TUIPlacement
{
    u32 aMode[4];
    f32 aValue[4];
};

enum EUIRule : u32
{
    UI_RULE_LEFT,
    UI_RULE_RIGHT,
    UI_RULE_TOP,
    UI_RULE_BOTTOM
};

class TUIItem : public TPlugin
{
public:
    TUIItem();
    ~TUIItem() override;

    // Virtual operations.
    virtual void OnClick(u32& select) {}
    virtual f32 GetOpacity() { return m_fOpacity; }
    virtual bool IsVisible();
    virtual f32 GetHighlight() { return (m_nFlags & UI_POINTER_INSIDE) ? 1.0f : 0.0f; }
    virtual void OnMove() {}
    virtual void OnResize() {}
    virtual void OnLayout() {}
    // Asked before an open-state change; nonzero when a fade started and the change waits.
    virtual i32 RequestShow(bool show, bool immediate) { return 0; }
    // Own content before the children; nonzero skips the children and DrawOver.
    virtual i32 Draw() { return 0; }
    virtual void DrawOver() {}
    virtual void HandleInputBefore(f32 step, bool inside, u32& select) {}
    virtual void HandleInput(f32 step, bool inside, u32& select) {}

    // Tree.
    TUIItem* CreateChild(const char* className, const char* name);
    void AddChild(TUIItem* child);
    // Takes the child out of this item's children without deleting it.
    void RemoveChild(TUIItem* child);
    // The direct children first, then each child's subtree depth-first.
    TUIItem* FindItem(const TName& name) const;
    TUIItem* GetParent() const { return m_pParent; }
    const std::vector<TUIItem*>& GetChildren() const { return m_aChildren; }
    const TName& GetName() const { return m_Name; }
    void SetName(const char* name) { m_Name = TName(name, true); }
    bool IsInSubtreeOf(const TUIItem* ancestor) const;

    // Geometry.
    void SetPosition(f32 x, f32 y, f32 z = 0.0f, f32 w = 1.0f);
    void SetSize(f32 width, f32 height, f32 depth = 0.0f, f32 w = 1.0f);
    // A root's design size and fit factor; it is fitted to the screen at once.
    void SetDesignSize(f32 width, f32 height, f32 factor, u32 flag);
    // The virtual size of a design-size root for a screen of that size; laid out again when it
    // changed.
    void FitToScreen(f32 screenWidth, f32 screenHeight);
    void UpdateLayout();
    void SetLeft(u32 mode, f32 value) { SetRule(UI_RULE_LEFT, mode, value); }
    void SetFromRight(f32 value) { SetRule(UI_RULE_LEFT, UI_PLACE_FAR, value); }
    void SetTop(u32 mode, f32 value) { SetRule(UI_RULE_TOP, mode, value); }
    void SetFromBottom(f32 value) { SetRule(UI_RULE_TOP, UI_PLACE_FAR, value); }
    void SetRightInset(f32 value) { SetRule(UI_RULE_RIGHT, UI_PLACE_FAR, value); }
    void SetBottom(f32 value) { SetRule(UI_RULE_BOTTOM, UI_PLACE_NEAR, value); }
    void SetBottomInset(f32 value) { SetRule(UI_RULE_BOTTOM, UI_PLACE_FAR, value); }
    void SetInsets(f32 value);
    void SetRule(u32 rule, u32 mode, f32 value);
    // The size children are laid out in: the size less the style's inner margins.
    void GetInnerSize(f32& width, f32& height) const;

    // State.
    void SetVisible(bool visible);
    void Show(bool open, bool immediate);
    void SetHighlighted(bool highlighted);
    void SetChecked(bool checked);
    bool HasVisibleChild() const;
    bool IsInactive() const { return (m_nFlags & UI_INACTIVE) != 0; }
    bool IsOpen() const { return !IsInactive(); }
    // Calls OnClick; with listeners, fires them and, unless one answers nonzero, consumes the
    // select press and plays the click sound (once per frame, unless silent).
    void Click(u32& select);
    // 1 when the engine has no such action or the item has its 8 hot keys, else 0.
    i32 AddAction(const char* name);
    u32 GetHotKeyCount() const { return m_nHotKeyCount; }
    TInputAction* GetHotKey(u32 index) const { return m_apHotKey[index]; }

    // Style and text.
    // Logs and keeps the old style when the name is not defined.
    void SetStyle(const char* name);
    virtual void ApplyStyle(const TUIStyle* style);
    const TUIStyle* GetStyle() const { return m_pStyle; }
    void SetCaption(const char* text) { m_Caption.SetText(text); }
    void SetTooltip(const char* text) { m_Tooltip = text && text[0] ? TName(text, true) : TName(); }

    // Drawing: an item closed by itself draws only while it fades, one closed with an ancestor
    // only when forced.
    void Render(const TVector& origin, f32 parentOpacity, bool force);
    TUIRect GetAbsoluteRect() const;

    // A cluster unload takes the records and textures items point at: the item lets them go,
    // keeping their names, and finds them again by name after the next load.
    virtual void ReleaseClusterData();
    virtual void RestoreClusterData();

    TName m_Name;
    u32 m_nFlags;
    TUIItem* m_pParent;
    std::vector<TUIItem*> m_aChildren;
    TVector m_Position;
    TVector m_Absolute;
    TVector m_Size;
    f32 m_fOpacity;
    f32 m_fEffectiveOpacity;
    // Roots: design width, height, fit factor, 1; then the virtual size in use.
    TVector m_DesignSize;
    TVector m_VirtualSize;
    u32 m_nHotKeyCount;
    TInputAction* m_apHotKey[UI_HOT_KEY_COUNT];
    TUIText m_Caption;
    TName m_Tooltip;
    const TUIStyle* m_pStyle;
    TName m_StyleName;

    TUIListenerList OnClickList;
    TUIListenerList OnShow;
    TUIListenerList OnHide;
    TUIListenerList OnVisible;
    TUIListenerList OnHidden;
    TUIListenerList OnHighlight;
    TUIListenerList OnUnhighlight;
    TUIListenerList OnBeforeDraw;
    TUIListenerList OnDraw;
    TUIListenerList OnAfterDraw;
    TUIListenerList OnInputBefore;
    TUIListenerList OnInput;
    TUIListenerList OnGame1;
    TUIListenerList OnGame2;
    TUIListenerList OnAccept;
    TUIListenerList OnPointerEnter;
    TUIListenerList OnPointerLeave;

    TUIPlacement m_Placement;
    i32 m_nTag;

private:
    // Sets the own closed bit (self) or the ancestor-closed bit, then passes the change on.
    void ChangeActivity(bool closed, bool self);
};

// The factory of an item class: registered under plug-in class "TUIItem" with the class name;
// every create makes a new item.
template <class T> class TUIItemFactory final : public TPluginData
{
public:
    explicit TUIItemFactory(const char* name) : m_Name(name, true), m_ClassName("TUIItem", true)
    {
        if (g_pPluginManager)
            g_pPluginManager->Register(this);
    }
    const TName* GetName() override { return &m_Name; }
    const TName* GetClassName() override { return &m_ClassName; }
    i32 IsAvailable() override { return 1; }
    TPlugin* Create() override { return new T; }

private:
    TName m_Name;
    TName m_ClassName;
};

#define VESTAMOR_UI_ITEM(Class) static TUIItemFactory<Class> s_Factory##Class(#Class)

// The item of a class made through its factory; null when the class has none.
TUIItem* CreateUIItem(const char* className);
