#pragma once
// UX::TForm (stored type 233, 1,352 bytes): a top-level window in one of the UX manager's
// layers: dialogs, menus, message boxes and the drop-down of a combo box.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 FORM_TYPE_ID = 233;

// FormFlags.
constexpr u8 FORM_DRAGGABLE = 0x1;
constexpr u8 FORM_FOCUS_FIRST = 0x2;
constexpr u8 FORM_DROP_FOCUS_ON_LEAVE = 0x4;
constexpr u8 FORM_MODAL = 0x8;
constexpr u8 FORM_CHILD_OF_MODAL = 0x10;

class TForm : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TForm>& Manager();
    static const TName& Class();

    TForm();

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
