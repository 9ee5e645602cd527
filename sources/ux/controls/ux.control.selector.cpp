#include "ux/controls/ux.control.selector.h"

#include "ux/ux.actions.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <utility>

namespace UX
{
namespace
{
TControlManagerTemplate<TSelector> s_Manager("TSelector");
} // namespace

const TClusterTypeDecl& TSelector::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TSelector", SELECTOR_TYPE_ID, sizeof(TSelector),
                                   &UxPrototype<TSelector>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(4404, UX_ANY_TYPE, 1, "pLeft", "UX::TSelector"),
                                    UX_LINK(4408, UX_ANY_TYPE, 1, "pRight", "UX::TSelector"),
                                    UX_LINK(4412, UX_ANY_TYPE, 1, "pLabel", "UX::TSelector")});
    return s_Decl;
}

TControlManagerTemplate<TSelector>& TSelector::Manager()
{
    return s_Manager;
}

const TName& TSelector::Class()
{
    static const TName s_Name("TSelector", true);
    return s_Name;
}

TSelector::TSelector()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TSelector::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Items.ForgetLoadedWords();
    OnChange.Forget();
    // The handlers were the other run's.
    Initialized = 0;
}

void TSelector::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    if (Items.GetCount() && SelectedIndex >= Items.GetCount())
        SelectedIndex = static_cast<u8>(LoadedInRange(SelectedIndex, 0, static_cast<i32>(Items.GetCount()) - 1,
                                                      "selected item"));
    CheckLoadedPart(pLeft, "previous button");
    CheckLoadedPart(pRight, "next button");
    CheckLoadedPart(pLabel, "label");
}

void TSelector::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    Items.ReleaseLoaded();
    OnChange.Clear();
}

void TSelector::OnLoad()
{
    if (Initialized)
        return;
    Initialized = 1;
    for (TControl* arrow : {pLeft, pRight})
        if (arrow)
            arrow->Event(EVENT_CLICK).AddHandler(0, this, &TSelector::OnArrowClick);
    if (HideArrows && SelectedIndex == 0 && pLeft)
        pLeft->Hide(0);
    if (HideArrows && SelectedIndex + 1 == static_cast<i32>(Items.GetCount()) && pRight)
        pRight->Hide(0);
    OnRefresh();
}

void TSelector::Update(TMouse*, f32, u32 changed)
{
    if (changed)
        LayoutLabel();
}

void TSelector::OnRefresh()
{
    LayoutLabel();
    if (pLabel && SelectedIndex < Items.GetCount())
        pLabel->SetText(Items.GetText(SelectedIndex));
}

i32 TSelector::OnAction(TControl*, const TName& action)
{
    if (action == LeftAction())
        SetSelectedIndex(SelectedIndex - 1);
    else if (action == RightAction())
        SetSelectedIndex(SelectedIndex + 1);
    else
        return 0;
    return 1;
}

void TSelector::CopyFrom(const TControl& source)
{
    const TSelector& selector = static_cast<const TSelector&>(source);
    Items.aValue = selector.Items.aValue;
    Items.aText = selector.Items.aText;
    pLeft = lChild.pFirst;
    pRight = pLeft ? pLeft->pNext : nullptr;
    pLabel = pRight ? pRight->pNext : nullptr;
}

void TSelector::SetSelectedIndex(i32 index)
{
    const i32 count = static_cast<i32>(Items.GetCount());
    if (!count)
        return;
    index = std::clamp(index, 0, count - 1);
    if (index == SelectedIndex)
        return;
    SelectedIndex = static_cast<u8>(index);
    const bool previous = index > 0;
    const bool next = index < count - 1;
    for (auto [arrow, available] : {std::pair{pLeft, previous}, std::pair{pRight, next}})
    {
        if (!arrow)
            continue;
        if (HideArrows && available)
            arrow->Show(2);
        else if (HideArrows)
            arrow->HideNow();
        else if (available)
            arrow->Enable();
        else
            arrow->Disable();
    }
    if (pLabel)
        pLabel->SetText(Items.GetText(SelectedIndex));
    OnChange.Invoke(this, nullptr);
}

void TSelector::OnArrowClick(TControl* arrow, void*)
{
    if (arrow == pLeft)
        SetSelectedIndex(SelectedIndex - 1);
    else if (arrow == pRight)
        SetSelectedIndex(SelectedIndex + 1);
}

void TSelector::LayoutLabel()
{
    if (!pLabel)
        return;
    const f32 scale = Computed.ScaleX;
    pLabel->SetLeft(pLeft && scale > 0.0f ? pLeft->Computed.Rect.width / scale : 0.0f);
    pLabel->SetRight(pRight && scale > 0.0f ? -(pRight->Computed.Rect.width / scale) : 0.0f);
    pLabel->SetTop(0.0f);
    pLabel->SetBottom(0.0f);
    pLabel->UpdateLayout(0);
}
} // namespace UX
