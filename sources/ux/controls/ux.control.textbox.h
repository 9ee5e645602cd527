#pragma once
// UX::TTextBox (stored type 239, 1,688 bytes): the one-line text entry of the UX library.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 TEXT_BOX_TYPE_ID = 239;
constexpr u32 TEXT_BOX_CAPACITY = 128;

class TTextBox : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TTextBox>& Manager();
    static const TName& Class();

    TTextBox();

    void ForgetLoadedWords();
    void ReleaseLoaded();

    // The count includes the terminator.
    SArray<char16_t, TEXT_BOX_CAPACITY, 0> Text;
    i16 MaxLength;
    i16 SelectionStart;
    i16 SelectionEnd;
    i16 Cursor;
    f32 DragAnchor;
    u8 Dragging;
    u8 Password;
    TName Hint;
    TEvent OnTextChange;
    TEvent OnSubmit;
    TEvent OnCancel;
    f32 ScrollStart;
    f32 ScrollOffset;
    f32 LastTextWidth;
    f32 Inset;
};

static_assert(sizeof(TTextBox) == 1688);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTextBox, Text) == 1320);
static_assert(offsetof(TTextBox, MaxLength) == 1580);
static_assert(offsetof(TTextBox, DragAnchor) == 1588);
static_assert(offsetof(TTextBox, Hint) == 1596);
static_assert(offsetof(TTextBox, OnTextChange) == 1600);
static_assert(offsetof(TTextBox, OnCancel) == 1648);
static_assert(offsetof(TTextBox, ScrollStart) == 1672);
static_assert(offsetof(TTextBox, Inset) == 1684);
#pragma GCC diagnostic pop
} // namespace UX
