#pragma once
// UX::TForm (stored type 233, 1,352 bytes): a top-level window in one of the UX manager's
// layers: dialogs, menus, message boxes and the drop-down of a combo box. Shown, it joins its
// layer and becomes active (brought to the front); modal forms hold the UX manager's modal form;
// a draggable form moves with the mouse inside the back buffer; Tab and Shift+Tab step the focus
// through its tab stops.
#include "ux/ux.controlmanager.h"

namespace UX
{
class TLayer;

constexpr u16 FORM_TYPE_ID = 233;

// FormFlags.
constexpr u8 FORM_DRAGGABLE = 0x1;
constexpr u8 FORM_FOCUS_FIRST = 0x2;
constexpr u8 FORM_DROP_FOCUS_ON_LEAVE = 0x4;
constexpr u8 FORM_MODAL = 0x8;
constexpr u8 FORM_CHILD_OF_MODAL = 0x10;

// The search start of Shift+Tab with nothing focused.
constexpr i32 FORM_LAST_TAB_STOP = 1000;

class TForm : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TForm>& Manager();
    static const TName& Class();
    // "TabNext" and "TabPrev".
    static const TName& TabNext();
    static const TName& TabPrev();

    TForm();

    // A form on screen joins its layer.
    void OnLoad() override { AddToLayer(); }
    // Joins its layer; "Tab" and "shift+Tab" step the focus while it is a topmost form.
    void OnLayerHook() override;
    void OnShow() override;
    void OnHide() override;
    void OnActivate() override;
    void OnDeactivate() override;
    // The drag, or the focus kept inside an active form.
    void Update(TMouse* mouse, f32 step, u32 changed) override;
    void OnMouseUp(TMouse* mouse) override;
    void OnMouseDown(TMouse* mouse) override;
    void OnMouseLeave(TMouse* mouse) override;
    // "TabNext" and "TabPrev"; always 0.
    i32 OnAction(TControl* sender, const TName& action) override;

    // The layer of LayerIndex, null when there is none.
    TLayer* GetLayer() const;
    // A layer index other than 0 or 1 is clamped with an error line; the drag of the run that
    // saved the record ends.
    void CheckLoadedValues();

    // The active form (null at start; cleared at every cluster load).
    static TForm* s_pActiveForm;

    u8 FormFlags;
    u32 LayerIndex;
    u8 Dragging;
    f32 GrabX;
    f32 GrabY;
    f32 DragOriginX;
    f32 DragOriginY;
    u32 nReserved1348;

private:
    void AddToLayer();
    // The focused control when it lies inside the form, else null.
    TControl* FocusInside() const;
};

static_assert(sizeof(TForm) == 1352);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TForm, FormFlags) == 1320);
static_assert(offsetof(TForm, LayerIndex) == 1324);
static_assert(offsetof(TForm, Dragging) == 1328);
static_assert(offsetof(TForm, GrabX) == 1332);
static_assert(offsetof(TForm, DragOriginY) == 1344);
#pragma GCC diagnostic pop
} // namespace UX
