#pragma once
// UX::TSelector (stored type 237, 4,444 bytes): shows one item of a list of texts at a time
// between a "previous" and a "next" arrow button.
#include "ux/controls/ux.itemcollection.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 SELECTOR_TYPE_ID = 237;

class TSelector : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TSelector>& Manager();
    static const TName& Class();

    TSelector();

    // Once: the arrows' clicks bound; with HideArrows an arrow at its end hidden.
    void OnLoad() override;
    void OnShow() override { OnRefresh(); }
    void Update(TMouse* mouse, f32 step, u32 changed) override;
    // The label laid out between the arrows, showing the item.
    void OnRefresh() override;
    // "Left" and "Right" step the item; 1 for them.
    i32 OnAction(TControl* sender, const TName& action) override;
    // The prototype's items; the arrows and the label are the first three children.
    void CopyFrom(const TControl& source) override;

    // Clamped into the list (an empty one changes nothing); a change shows or hides (HideArrows)
    // or enables or disables the arrows by the ends, shows the item and raises OnChange.
    void SetSelectedIndex(i32 index);

    void ForgetLoadedWords();
    // The selection and the parts checked (each with an error line).
    void CheckLoadedValues();
    void ReleaseLoaded();

    u8 Initialized;
    u8 SelectedIndex;
    TItemCollection Items;
    TControl* pLeft;
    TControl* pRight;
    TControl* pLabel;
    u8 HideArrows;
    TEvent OnChange;

private:
    void OnArrowClick(TControl* arrow, void*);
    void LayoutLabel();
};

static_assert(sizeof(TSelector) == 4444);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSelector, Items) == 1324);
static_assert(offsetof(TSelector, pLeft) == 4404);
static_assert(offsetof(TSelector, pLabel) == 4412);
static_assert(offsetof(TSelector, HideArrows) == 4416);
static_assert(offsetof(TSelector, OnChange) == 4420);
#pragma GCC diagnostic pop
} // namespace UX
