#pragma once
// UX::TExtendedKeyInput (stored type 171, 1,332 bytes): an option row, a caption label beside the buttons of
// a key's two inputs.
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.label.h"
#include "morvane/ux/optionrow.h"

namespace UX
{
constexpr u16 EXTENDED_KEY_INPUT_TYPE_ID = 171;

class TExtendedKeyInput : public TOptionRow
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TExtendedKeyInput>& Manager();
    static const TName& Class();

    TExtendedKeyInput();

    // Each button focused when the mouse enters it, unless a row of the list is listening; the
    // caption following both.
    void OnLoad() override;
    void OnMouseEnter(TMouse* mouse) override;
    // A button of this row or of a sibling row is checked: it waits for a key.
    bool IsListening() const;
    void CheckLoadedValues();

    TCheckBox* pButtonPrimary;
    TCheckBox* pButtonSecondary;

private:
    void OnButtonEnter(TControl* button, void*);
};

static_assert(sizeof(TExtendedKeyInput) == 1332);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TExtendedKeyInput, pLabel) == 1320);
static_assert(offsetof(TExtendedKeyInput, pButtonPrimary) == 1324);
static_assert(offsetof(TExtendedKeyInput, pButtonSecondary) == 1328);
#pragma GCC diagnostic pop
} // namespace UX
