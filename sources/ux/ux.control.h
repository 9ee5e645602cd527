#pragma once
// UX::TControl: the base of every control, a 1,320-byte stored record. A node of a tree of
// controls with a rectangle laid out against its parent (ux.control.layout.cpp), a style whose
// six state blocks it blends between (ux.control.state.cpp), seventeen events, input-state
// flags driven by the UX manager (ux.control.input.cpp) and a drawing routine that walks the
// tree through the canvas (ux.control.render.cpp).
#include "core/system/name.h"
#include "engine/input/inputkey.h"
#include "engine/system/linkedlist.h"
#include "ux/ux.core.h"
#include "ux/ux.localization.h"
#include "ux/ux.style.h"

#include <cstring>

class TClusterTypeDecl;

namespace UX
{
class TToolTip;

// Flags.
constexpr u32 CONTROL_ENABLED = 0x1;
constexpr u32 CONTROL_PARENT_ENABLED = 0x2;
constexpr u32 CONTROL_VISIBLE = 0x4;
constexpr u32 CONTROL_HIDING = 0x8;
constexpr u32 CONTROL_PARENT_VISIBLE = 0x10;
constexpr u32 CONTROL_ACTIVE = 0x20;
constexpr u32 CONTROL_FOCUSABLE = 0x40;
constexpr u32 CONTROL_FOCUSED = 0x80;
constexpr u32 CONTROL_CONTAINS_FOCUS = 0x100;
constexpr u32 CONTROL_IGNORES_MOUSE = 0x200;
constexpr u32 CONTROL_SHOWS_TOOL_TIP = 0x400;
constexpr u32 CONTROL_CAPTURES = 0x800;
constexpr u32 CONTROL_TRANSPARENT = 0x1000;
constexpr u32 CONTROL_INTERCEPTS_ACTIONS = 0x2000;
constexpr u32 CONTROL_ALWAYS_UPDATED = 0x4000;
constexpr u32 CONTROL_PRESSED = 0x8000;
constexpr u32 CONTROL_HOVERED = 0x10000;
constexpr u32 CONTROL_PRESS_BEGAN = 0x20000;
constexpr u32 CONTROL_DESCENDANT_HOVERED = 0x40000;
constexpr u32 CONTROL_HOVER_MARK = 0x80000;
constexpr u32 CONTROL_HIT_WITHOUT_PARENT = 0x100000;
constexpr u32 CONTROL_UNCLIPPED = 0x200000;
constexpr u32 CONTROL_CLIPS = 0x400000;
constexpr u32 CONTROL_ABSOLUTE = 0x800000;
constexpr u32 CONTROL_UNDER_MOUSE = 0x1000000;
constexpr u32 CONTROL_HIT_WHEN_DISABLED = 0x2000000;
constexpr u32 CONTROL_RECORDS_PRESSED = 0x4000000;
constexpr u32 CONTROL_CHANGED = 0x8000000;
constexpr u32 CONTROL_SIZE_SET = 0x10000000;
constexpr u32 CONTROL_POSITION_SET = 0x20000000;
constexpr u32 CONTROL_LAYOUT_NEEDED = CONTROL_SIZE_SET | CONTROL_POSITION_SET;
// Under the mouse or holding the focus: scroll actions are served only then.
constexpr u32 CONTROL_ATTENTION =
    CONTROL_HOVERED | CONTROL_DESCENDANT_HOVERED | CONTROL_FOCUSED | CONTROL_CONTAINS_FOCUS;
constexpr u32 CONTROL_DEFAULT_FLAGS =
    CONTROL_ENABLED | CONTROL_PARENT_ENABLED | CONTROL_VISIBLE | CONTROL_PARENT_VISIBLE;

// Edge flags beyond the four sides.
constexpr u32 EDGE_CENTRE_VERTICALLY = 0x10;
constexpr u32 EDGE_CENTRE_HORIZONTALLY = 0x20;

// Clip stages: where a clipping control sets its clip while it is drawn.
enum EClipStage : u32
{
    CLIP_BEFORE_ALL,
    CLIP_BEFORE_RENDER_EVENT,
    CLIP_BEFORE_DRAW,
    CLIP_BEFORE_CHILDREN,
    CLIP_AFTER_CHILDREN,
    CLIP_STAGE_COUNT
};

// Aspect modes of the layout.
constexpr u32 ASPECT_MODE_COUNT = 8;
constexpr f32 REFERENCE_WIDTH = 1920.0f;
constexpr f32 REFERENCE_HEIGHT = 1200.0f;
constexpr f32 INV_REFERENCE_WIDTH = 0.00052083336f;
constexpr f32 INV_REFERENCE_HEIGHT = 0.00083333335f;

// Action binding scopes.
enum EActionScope : u32
{
    SCOPE_FOCUSED,
    SCOPE_FOCUS_INSIDE,
    SCOPE_TOP_FORM,
    SCOPE_ALWAYS,
    SCOPE_COUNT
};
constexpr u32 ACTION_BINDING_COUNT = 8;

// Mouse record bits.
constexpr u32 MOUSE_TAKEN = 0x1;
constexpr u32 MOUSE_PRESS_TAKEN = 0x2;
constexpr u32 BUTTONS_HELD = 0x7;
constexpr u32 BUTTON_LEFT_PRESSED = 0x8;
constexpr u32 BUTTON_RIGHT_PRESSED = 0x10;
constexpr u32 BUTTONS_PRESSED = 0x38;
constexpr u32 BUTTON_LEFT_RELEASED = 0x40;
constexpr u32 BUTTONS_RELEASED = 0x1C0;

// The frame's mouse: result flags, position in pixels, button bits (1, 2, 4 held; 8, 16, 32
// pressed this frame; 64, 128, 256 released this frame: left, right, middle).
struct TMouse
{
    u32 nResult;
    f32 x;
    f32 y;
    u32 nButtons;
};

static_assert(sizeof(TMouse) == 16);

struct TActionBinding
{
    TName Action;
    u32 nScope;
    // As the input manager parses an input text.
    TInputKey Key;
};

static_assert(sizeof(TActionBinding) == 20);

// The seventeen events, in stored order.
enum EControlEvent : u32
{
    EVENT_CLICK,
    EVENT_MOUSE_DOWN,
    EVENT_MOUSE_UP,
    EVENT_BEFORE_RENDER,
    EVENT_RENDER,
    EVENT_AFTER_RENDER,
    EVENT_ACTIVATE,
    EVENT_DEACTIVATE,
    EVENT_SHOW,
    EVENT_HIDE,
    EVENT_MOUSE_ENTER,
    EVENT_MOUSE_LEAVE,
    EVENT_VISIBILITY_CHANGE,
    EVENT_ENABLE_CHANGE,
    EVENT_UPDATE_SIZE,
    EVENT_UPDATE,
    EVENT_ACTION,
    EVENT_COUNT
};

class TControl : public TObject
{
public:
    // The argument of OnUpdateSize: the parent's content rectangle and scale pair, which
    // handlers may change before the control uses them.
    struct TUpdateSizeArgs
    {
        TRect Parent;
        f32 ScaleX;
        f32 ScaleY;
    };

    // The descriptor of the base (type -1: never an array of its own).
    static const TClusterTypeDecl& Decl();

    TControl();
    // Frees the text's literal.
    ~TControl() override;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    // The 21 operations, in slot order; every one is empty here.
    virtual void SetText(const TLocalization& text) {}
    virtual void OnLoad() {}
    // Run once for each loaded control at cluster load, after its data and links are in place.
    virtual void OnLayerHook() {}
    virtual void OnStyleHook() {}
    virtual void OnShow() {}
    virtual void OnHide() {}
    virtual void OnEnable() {}
    virtual void OnDisable() {}
    virtual void OnActivate() {}
    virtual void OnDeactivate() {}
    virtual void Update(TMouse* mouse, f32 step, u32 changed) {}
    virtual void Draw() {}
    virtual void OnRefresh() {}
    virtual void OnClick(TMouse* mouse) {}
    virtual void OnMouseUp(TMouse* mouse) {}
    virtual void OnMouseDown(TMouse* mouse) {}
    virtual void OnMouseEnter(TMouse* mouse) {}
    virtual void OnMouseLeave(TMouse* mouse) {}
    virtual void CopyFrom(const TControl& source) {}
    // Non-zero when the action is handled.
    virtual i32 OnAction(TControl* sender, const TName& action) { return 0; }

    // Tree and lookup.
    void AddChild(TControl* child);
    void RemoveChild(TControl* child);
    // Depth first, this control first.
    TControl* FindChild(const TName& name);
    // This control or one below the other.
    bool IsDescendantOf(const TControl* control) const;
    TControl* FindNextTabStop(i32 tabIndex);
    TControl* FindPrevTabStop(i32 tabIndex);
    // The nearest control from this one up whose class is "TForm", else the root.
    TControl* GetForm();

    // Styles, states, visibility (ux.control.state.cpp).
    void SetStyle(const TName& name);
    void UpdateState(u32 force, u32 immediately);
    void SetState(u32 state, u32 immediately, u32 layout);
    // Modes: 0 normal, 1 forced, 2 forced and immediate.
    void Show(u32 mode);
    void Hide(u32 immediately);
    void HideNow();
    void Enable();
    void Disable();
    void Activate();
    // upChain 0: this control alone.
    void Deactivate(u32 upChain);
    // 0 when this control or an ancestor took the focus, 1 otherwise.
    i32 SetFocus();
    void KillFocus();
    void SetPressed(u32 on, u32 immediately);
    void Refresh();
    // OnLoad over the tree; a form's children are not descended into.
    void Load();
    // Advances the transition and recomputes the computed block from the base block.
    void UpdateTransition(f32 step, u32 force);
    // The per-frame update of the subtree.
    void UpdateFrame(TMouse* mouse, f32 step);

    // Layout (ux.control.layout.cpp), in reference units unless said.
    void SetLeft(f32 value);
    void SetRight(f32 value);
    void SetTop(f32 value);
    void SetBottom(f32 value);
    void SetPosition(f32 x, f32 y);
    // -1: the natural size of the normal image.
    void SetSize(f32 width, f32 height);
    void SetWidth(f32 width);
    // In pixels.
    void SetRect(f32 x, f32 y, f32 width, f32 height);
    void SetRectKeepNatural(const TRect& rect, u32 applyEdges);
    void Align(f32 fx, f32 fy);
    void AlignVertically(f32 fy);
    // Null clears it; sizeToImage: the control takes the image's source size.
    void SetBackgroundImage(const TImage* image, u32 sizeToImage = 0);
    void UpdateLayout(u32 children);

    // Input (ux.control.input.cpp).
    void HandleMouse(TMouse* mouse, u32 hitAllowed);
    void HandleButtons(TMouse* mouse);
    // 0 when no ancestor intercepted the action and OnAction did not claim it.
    i32 DoAction(TControl* sender, const TName& action, u32 ancestorPass);
    // 0 when added, 1 when the eight are taken (a warning).
    i32 AddActionBinding(const TName& action, const char* input, u32 scope);

    // Drawing (ux.control.render.cpp).
    void Render();
    // The text laid out in the content rectangle with the font of the style's state block.
    struct TTextExtent
    {
        f32 fWidth;
        f32 fHeight;
    };
    TTextExtent MeasureText(const char16_t* text, u32 state);

    // Loaded records: words of another run forgotten (by the fix-up, before anything reads
    // them), counts, states and modes checked (an error line with the control's name for each
    // one reset).
    void ForgetLoadedWords();
    void CheckLoadedValues();
    // A loaded record going away with its image: its text's literal and its delegates.
    void ReleaseLoaded();
    // A part of this loaded control (a child it works with): a link to anything but a loaded
    // control (of the class, when one is named) is cut, and a missing part is told, each with an
    // error line; the part's work is then skipped. True when the part is there.
    bool CheckLoadedPart(TControl*& part, const char* what, const TName* className = nullptr);
    // A loaded array of parts: a count above the capacity is cut with an error line, and each
    // entry is checked as a part (a missing one stays null).
    template <int N> void CheckLoadedParts(SArray<TControl*, N, 0>& parts, const char* what,
                                           const TName* className = nullptr)
    {
        parts.SetCount(LoadedCount(parts.GetCount(), N, what));
        for (u32 i = 0; i < parts.GetCount(); ++i)
            CheckLoadedPart(parts[i], what, className);
    }
    // A loaded count of the things named, cut to the capacity with an error line.
    u32 LoadedCount(u32 count, u32 capacity, const char* what) const;
    // A loaded value outside minimum .. maximum, clamped with an error line naming it.
    i32 LoadedInRange(i32 value, i32 minimum, i32 maximum, const char* what) const;

    bool IsVisibleOnScreen() const
    {
        return (nFlags & (CONTROL_VISIBLE | CONTROL_PARENT_VISIBLE)) ==
               (CONTROL_VISIBLE | CONTROL_PARENT_VISIBLE);
    }
    bool IsEnabledAll() const
    {
        return (nFlags & (CONTROL_ENABLED | CONTROL_PARENT_ENABLED)) ==
               (CONTROL_ENABLED | CONTROL_PARENT_ENABLED);
    }
    bool IsClass(const TName& name) const { return ClassName == name; }
    TEvent& Event(EControlEvent event) { return aEvent[event]; }
    const TStateBlock* StyleBlock(u32 state) const { return pStyle ? &pStyle->aTransition[state] : nullptr; }
    // The name's text, or its id in hexadecimal when the name table does not hold the text
    // (names of loaded records are known by their ids only).
    const char* GetNameText() const;

    TName ClassName;
    u32 nClipStage;
    TName Name;
    TName StyleName;
    u32 nFlags;
    i32 nTabIndex;
    TTransitionStyle* pStyle;
    TImage aTransitionImage[STATE_COUNT];
    u32 nState;
    u32 nTargetState;
    f32 fTransitionDuration;
    f32 fTransitionRemaining;
    // Own values; the rectangle is the control's place and size in reference units.
    TStateBlock Base;
    // Base plus the state's contribution; the rectangle is the laid-out one in pixels and the
    // scale pair the effective scale.
    TStateBlock Computed;
    // After the margin, and after the padding (the children's parent rectangle).
    TRect BoxRect;
    TRect ContentRect;
    u32 nEdgeFlags;
    f32 fLeft;
    f32 fTop;
    f32 fRight;
    f32 fBottom;
    u32 nReserved660;
    u32 nAspectMode;
    TControl* pParent;
    i32 nChildCount;
    TLinkedList<TControl> lChild;
    TControl* pNext;
    TControl* pPrev;
    TToolTip* pToolTip;
    TLocalization Text;
    TImage BackgroundImage;
    i32 nActionBindingCount;
    TActionBinding aActionBinding[ACTION_BINDING_COUNT];
    TEvent aEvent[EVENT_COUNT];
    void* pUserObject;
    u32 nReserved1316;

protected:
    // Derived classes' stored parts start zeroed: the writer saves every byte.
    template <class T> static void ZeroOwnPart(T* object)
    {
        static_assert(sizeof(T) >= sizeof(TControl));
        std::memset(reinterpret_cast<u8*>(object) + sizeof(TControl), 0, sizeof(T) - sizeof(TControl));
    }

private:
    // Parent-visible flags of the subtree after this control's visibility on screen changed.
    void PropagateParentVisible();
    // Parent-enabled flags of the subtree.
    void PropagateParentEnabled(u32 enabled);
    void Enter(TMouse* mouse);
    void Leave(TMouse* mouse);
    // The control, from this one up through transparent containers, that raises an enter or
    // leave event.
    TControl* HoverEventTarget(EControlEvent event);
    void ClearDescendantHovered();
    // The UX manager's capture and pressed control let go when they are this control.
    void ReleaseMouse();
    // The tool tip hides when this control owns it.
    void CloseToolTip(TMouse* mouse);
    void SetClip();
    void PlayClickSound();
};

static_assert(sizeof(TControl) == 1320);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TControl, ClassName) == 4);
static_assert(offsetof(TControl, nClipStage) == 8);
static_assert(offsetof(TControl, Name) == 12);
static_assert(offsetof(TControl, StyleName) == 16);
static_assert(offsetof(TControl, nFlags) == 20);
static_assert(offsetof(TControl, nTabIndex) == 24);
static_assert(offsetof(TControl, pStyle) == 28);
static_assert(offsetof(TControl, aTransitionImage) == 32);
static_assert(offsetof(TControl, nState) == 248);
static_assert(offsetof(TControl, nTargetState) == 252);
static_assert(offsetof(TControl, fTransitionDuration) == 256);
static_assert(offsetof(TControl, fTransitionRemaining) == 260);
static_assert(offsetof(TControl, Base) == 264);
static_assert(offsetof(TControl, Computed) == 436);
static_assert(offsetof(TControl, BoxRect) == 608);
static_assert(offsetof(TControl, ContentRect) == 624);
static_assert(offsetof(TControl, nEdgeFlags) == 640);
static_assert(offsetof(TControl, fLeft) == 644);
static_assert(offsetof(TControl, nAspectMode) == 664);
static_assert(offsetof(TControl, pParent) == 668);
static_assert(offsetof(TControl, nChildCount) == 672);
static_assert(offsetof(TControl, lChild) == 676);
static_assert(offsetof(TControl, pNext) == 684);
static_assert(offsetof(TControl, pPrev) == 688);
static_assert(offsetof(TControl, pToolTip) == 692);
static_assert(offsetof(TControl, Text) == 696);
static_assert(offsetof(TControl, BackgroundImage) == 704);
static_assert(offsetof(TControl, nActionBindingCount) == 740);
static_assert(offsetof(TControl, aActionBinding) == 744);
static_assert(offsetof(TControl, aEvent) == 904);
static_assert(offsetof(TControl, pUserObject) == 1312);
#pragma GCC diagnostic pop
} // namespace UX
