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

    void ForgetLoadedWords();
    void ReleaseLoaded();

    u8 Initialized;
    u8 SelectedIndex;
    TItemCollection Items;
    TControl* pLeft;
    TControl* pRight;
    TControl* pLabel;
    u8 HideArrows;
    TEvent OnChange;
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
