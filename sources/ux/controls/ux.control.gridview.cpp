#include "ux/controls/ux.control.gridview.h"

#include "core/system/datetime.h"
#include "engine/render/texture.h"
#include "player/formatwidetext.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.radiobutton.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/controls/ux.dataset.h"
#include "ux/ux.actions.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cstdint>

namespace UX
{
namespace
{
TControlManagerTemplate<TGridView> s_Manager("TGridView");

template <class F> void ForEachDescendant(TControl* control, F&& f)
{
    for (TControl* child = control->lChild.pFirst; child; child = child->pNext)
    {
        f(child);
        ForEachDescendant(child, f);
    }
}

void SetTextFormatted(TControl* control, const char16_t* format, auto... arguments)
{
    TLocalization text;
    control->SetText(FormatWideText(text, format, arguments...));
}
} // namespace

const TClusterTypeDecl& TGridView::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TGridView", GRID_VIEW_TYPE_ID, sizeof(TGridView), &UxPrototype<TGridView>(),
        UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"),
         UX_LINK(1332, UX_ANY_TYPE, GRID_ROW_CAPACITY, "aDetail", "UX::TGridView"),
         UX_LINK(1860, UX_ANY_TYPE, 1, "pVScroller", "UX::TGridView"),
         UX_LINK(1884, TEXTURE_TYPE_ID, 1, "SelectedBackground.pTexture", "UX::TGridView")});
    return s_Decl;
}

TControlManagerTemplate<TGridView>& TGridView::Manager()
{
    return s_Manager;
}

const TName& TGridView::Class()
{
    static const TName s_Name("TGridView", true);
    return s_Name;
}

TGridView::TGridView()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    RowHeight = 75.0f;
    SelectedIndex = -1;
    VisibleRows = 1;
    AutoHideScrollBar = 1;
    GridFlags = GRID_PRESS_SELECTED;
    SelectedBackground = DEFAULT_IMAGE;
    SavedBackground = DEFAULT_IMAGE;
    HighlightedRow = -1;
}

void TGridView::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Initialized = 0;
    pDataSet = nullptr;
    // The saved row background's texture is not a link: it meant a texture of another run.
    SavedBackground = DEFAULT_IMAGE;
    HighlightedRow = -1;
    OnRowDataBind.Forget();
    OnRowClick.Forget();
    OnSelect.Forget();
}

void TGridView::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedParts(aDetail, "row");
    // A grid may have no scroll bar (a short list); a link to anything else is cut.
    if (pVScroller)
        CheckLoadedPart(pVScroller, "scroll bar", &TVScroller::Class());
    // Below 1 (or no number): 1, with the line of a clamp.
    if (!(RowHeight >= 1.0f && RowHeight <= 1.0e6f))
        RowHeight = static_cast<f32>(LoadedInRange(0, 1, 1000000, "row height"));
    if (SelectedIndex < -1)
        SelectedIndex = static_cast<i16>(LoadedInRange(SelectedIndex, -1, INT16_MAX, "selected row"));
}

void TGridView::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnRowDataBind.Clear();
    OnRowClick.Clear();
    OnSelect.Clear();
}

TVScroller* TGridView::GetScrollBar() const
{
    return pVScroller && pVScroller->IsClass(TVScroller::Class()) ? static_cast<TVScroller*>(pVScroller) : nullptr;
}

u32 TGridView::Count() const
{
    return pDataSet ? pDataSet->GetCount() : 0;
}

bool TGridView::HasRows() const
{
    return pDataSet && Computed.Rect.height != 0.0f;
}

void TGridView::UpdateVisibleRows()
{
    const f32 scale = Computed.ScaleY > 0.0f ? Computed.ScaleY : 1.0f;
    // A hair over, so that rows that fit exactly are not lost to the rounding of the scale.
    const f32 rows = (Computed.Rect.height / scale) / (RowSpacing + std::max(RowHeight, 1.0f)) + 1.0e-3f;
    VisibleRows = static_cast<u16>(std::clamp(rows, 0.0f, 65535.0f));
}

void TGridView::OnLoad()
{
    if (Initialized)
        return;
    Initialized = 1;
    if (TVScroller* bar = GetScrollBar())
        bar->OnScroll.AddHandler(0, this, &TGridView::OnScroll);
    for (u32 i = 0; i < aDetail.GetCount(); ++i)
    {
        TControl* row = aDetail[i];
        if (!row)
            continue;
        row->Event(EVENT_CLICK).AddHandler(0, this, &TGridView::OnRowClicked);
        ForEachDescendant(row, [this](TControl* c) { c->Event(EVENT_CLICK).AddHandler(0, this, &TGridView::OnRowClicked); });
        row->Event(EVENT_UPDATE_SIZE).AddHandler(0, this, &TGridView::OnRowPlacement);
    }
    if (aDetail.GetCount() && aDetail[0] && aDetail[0]->IsClass(TRadioButton::Class()))
        static_cast<TRadioButton*>(aDetail[0])->SetChecked(1, 0);
}

void TGridView::OnShow()
{
    GridFlags |= GRID_BEING_SHOWN;
    OnRefresh();
    UpdateScrollBarVisibility(1);
}

void TGridView::Update(TMouse*, f32, u32)
{
    if (pDataSet)
    {
        RowHeight = std::max(RowHeight, 1.0f);
        const u32 count = Count();
        if (count != CachedCount || Dirty)
        {
            CachedCount = static_cast<u16>(count);
            Dirty = 0;
            OnRefresh();
        }
    }
    GridFlags &= ~GRID_BEING_SHOWN;
}

void TGridView::OnRefresh()
{
    if (!HasRows())
    {
        UpdateScrollBarVisibility(0);
        return;
    }
    UpdateVisibleRows();
    const u32 count = Count();
    const bool press = (GridFlags & GRID_PRESS_SELECTED) != 0;
    const u32 immediately = LastSelected == static_cast<u16>(SelectedIndex) ? 1 : 0;
    u32 i = 0;
    for (; i < VisibleRows && FirstVisible + i < count && i < aDetail.GetCount(); ++i)
    {
        TControl* row = aDetail[i];
        const i32 data = static_cast<i32>(FirstVisible + i);
        if (!row)
            continue;
        if (aBoundRow[i] != data + GRID_BOUND_BASE)
        {
            row->Show(0);
            BindControl(row, data);
            row->Refresh();
            aBoundRow[i] = data + GRID_BOUND_BASE;
            if (press && ((row->nFlags & CONTROL_PRESSED) != 0) != (data == SelectedIndex))
                row->SetPressed(data == SelectedIndex, immediately);
            TRowDataBindArgs args = {data, row};
            OnRowDataBind.Invoke(this, &args);
        }
        // Only a change: unpressing lets go of the UX manager's pressed control.
        else if (press && ((row->nFlags & CONTROL_PRESSED) != 0) != (data == SelectedIndex))
            row->SetPressed(data == SelectedIndex, immediately);
    }
    LastSelected = static_cast<u16>(SelectedIndex);
    for (; i < aDetail.GetCount(); ++i)
    {
        aBoundRow[i] = GRID_UNBOUND;
        if (aDetail[i])
            aDetail[i]->HideNow();
    }
    if (TVScroller* bar = GetScrollBar())
    {
        bar->SetRange(static_cast<i32>(count));
        bar->SetPage(VisibleRows);
        bar->SetPosition(FirstVisible);
        bar->UpdateThumb();
    }
    UpdateScrollBarVisibility(0);
}

void TGridView::UpdateScrollBarVisibility(u32 mode)
{
    TVScroller* bar = GetScrollBar();
    if (!bar)
        return;
    const u32 show = mode > 0 || (GridFlags & GRID_BEING_SHOWN) ? 2 : 0;
    bool visible = !AutoHideScrollBar;
    if (HasRows())
    {
        UpdateVisibleRows();
        visible = visible || VisibleRows < Count();
    }
    TControl* parts[] = {bar, ScrollBarParts ? bar->pUp : nullptr, ScrollBarParts ? bar->pDown : nullptr,
                         ScrollBarParts ? bar->pSlider : nullptr};
    for (TControl* part : parts)
        if (part && visible)
            part->Show(show);
        else if (part)
            part->Hide(show == 0 ? 1 : 0);
}

i32 TGridView::OnAction(TControl*, const TName& action)
{
    if (!pDataSet || !(nFlags & CONTROL_ATTENTION))
        return 0;
    i32 direction = 0;
    if (action == ScrollUpAction())
        direction = -1;
    else if (action == ScrollDownAction())
        direction = 1;
    else
        return 0;
    if (GridFlags & GRID_SCROLL_MOVES_VIEW)
        SetFirstVisible(FirstVisible + direction);
    else
        SetSelectedIndex(SelectedIndex + direction);
    return 1;
}

void TGridView::SetSelectedIndex(i32 index)
{
    if (!pDataSet)
        return;
    const u32 count = Count();
    if (!count)
    {
        // No row to select: nothing is, and nothing is told.
        SelectedIndex = -1;
        return;
    }
    index = std::clamp(index, 0, static_cast<i32>(std::min<u32>(count - 1, INT16_MAX)));
    if (index == SelectedIndex)
        return;
    const bool hadSelection = SelectedIndex >= 0;
    SelectedIndex = static_cast<i16>(index);
    if (index < FirstVisible)
        FirstVisible = static_cast<u16>(index);
    const i32 visible = std::max<i32>(VisibleRows, 1);
    if (hadSelection && FirstVisible + visible - 1 <= index)
        FirstVisible = static_cast<u16>(std::max(0, index - visible + 1));
    MoveSelectionBackground();
    TRowDataBindArgs args = {index, this};
    OnSelect.Invoke(this, &args);
    Dirty = 1;
    OnRefresh();
}

void TGridView::SetFirstVisible(i32 row)
{
    if (!pDataSet)
        return;
    const i32 count = static_cast<i32>(Count());
    FirstVisible = static_cast<u16>(std::clamp(std::min(row, count - VisibleRows), 0, 65535));
    const i32 selection = std::min(FirstVisible + VisibleRows - 1, std::max<i32>(FirstVisible, SelectedIndex));
    if (selection != SelectedIndex)
        SetSelectedIndex(selection);
    MoveSelectionBackground();
    OnRefresh();
    if (TVScroller* bar = GetScrollBar())
    {
        bar->SetPosition(FirstVisible);
        bar->UpdateThumb();
    }
}

void TGridView::RebindRows()
{
    std::fill(std::begin(aBoundRow), std::end(aBoundRow), GRID_UNBOUND);
    OnRefresh();
}

void TGridView::SetDataSet(TDataSet* dataSet)
{
    pDataSet = dataSet;
    RebindRows();
}

void TGridView::MoveSelectionBackground()
{
    const i32 s = SelectedIndex - FirstVisible;
    if (s == HighlightedRow)
        return;
    const i32 rows = static_cast<i32>(aDetail.GetCount());
    if (HighlightedRow >= 0 && HighlightedRow < rows && aDetail[HighlightedRow])
        aDetail[HighlightedRow]->BackgroundImage = SavedBackground;
    if (SelectedIndex >= 0 && s >= 0 && s < rows && aDetail[s])
    {
        HighlightedRow = static_cast<i16>(s);
        TControl* row = aDetail[s];
        SavedBackground = row->BackgroundImage;
        row->BackgroundImage = SelectedBackground;
        if (row->IsClass(TRadioButton::Class()))
            static_cast<TRadioButton*>(row)->SetChecked(1, 0);
    }
    else
        HighlightedRow = -1;
}

void TGridView::BindControl(TControl* control, i32 row)
{
    if (control->Name.IsValid())
        if (const i32 column = pDataSet->FindColumn(control->Name); column >= 0)
            BindValue(control, static_cast<u32>(column), row);
    ForEachDescendant(control, [&](TControl* c) {
        if (c->Name.IsValid())
            if (const i32 column = pDataSet->FindColumn(c->Name); column >= 0)
                BindValue(c, static_cast<u32>(column), row);
    });
}

void TGridView::BindValue(TControl* control, u32 column, i32 row)
{
    const u32 type = pDataSet->aColumn[column].nType;
    const u32 data = static_cast<u32>(row);
    if (control->IsClass(TSlider::Class()))
    {
        if (type == COLUMN_INT32)
        {
            i32 value = 0;
            pDataSet->GetValue(data, column, &value, type);
            static_cast<TSlider*>(control)->SetValue(value);
        }
        return;
    }
    const bool picture = control->IsClass(TPictureBox::Class());
    if (!picture && !control->IsClass(TLabel::Class()) && !control->IsClass(TButton::Class()))
        return;
    switch (type)
    {
    case COLUMN_TEXTURE:
    {
        TTexture* texture = nullptr;
        pDataSet->GetValue(data, column, &texture, type);
        control->BackgroundImage.SetTexture(texture);
        if (picture && texture)
            control->SetSize(static_cast<f32>(texture->m_nWidth), static_cast<f32>(texture->m_nHeight));
        return;
    }
    case COLUMN_IMAGE:
    {
        TImage image = DEFAULT_IMAGE;
        pDataSet->GetValue(data, column, &image, type);
        if (image.pTexture)
            control->SetBackgroundImage(&image, 1);
        else
            control->BackgroundImage.pTexture = nullptr;
        return;
    }
    default:
        break;
    }
    if (picture)
        return;
    switch (type)
    {
    case COLUMN_INT8:
    {
        u8 value = 0;
        pDataSet->GetValue(data, column, &value, type);
        SetTextFormatted(control, u"%d", static_cast<i32>(value));
        break;
    }
    case COLUMN_INT32:
    {
        i32 value = 0;
        pDataSet->GetValue(data, column, &value, type);
        SetTextFormatted(control, u"%d", value);
        break;
    }
    case COLUMN_INT16:
    {
        i16 value = 0;
        pDataSet->GetValue(data, column, &value, type);
        SetTextFormatted(control, u"%d", static_cast<i32>(value));
        break;
    }
    case COLUMN_FLOAT:
    {
        f32 value = 0.0f;
        pDataSet->GetValue(data, column, &value, type);
        SetTextFormatted(control, u"%f", static_cast<f64>(value));
        break;
    }
    case COLUMN_DOUBLE:
    {
        f64 value = 0.0;
        pDataSet->GetValue(data, column, &value, type);
        SetTextFormatted(control, u"%f", value);
        break;
    }
    case COLUMN_FILE_TIME:
    {
        u64 value = 0;
        pDataSet->GetValue(data, column, &value, type);
        TDateTime time;
        time.FromFileTime(FileTimeToLocal(value));
        SetTextFormatted(control, u"%d.%d.%d %02d:%02d:%02d", time.day, time.month, time.year, time.hour,
                         time.minute, time.second);
        break;
    }
    case COLUMN_KEY:
    {
        TName key;
        pDataSet->GetValue(data, column, &key, type);
        TLocalization text;
        text.SetName(key);
        control->SetText(text);
        break;
    }
    case COLUMN_TEXT:
    {
        TLocalization text;
        pDataSet->GetValue(data, column, &text, type);
        control->SetText(text);
        break;
    }
    case COLUMN_STRING:
    {
        char16_t value[DATA_STRING_CAPACITY] = {};
        pDataSet->GetValue(data, column, value, type);
        control->SetText(TLocalization(value));
        break;
    }
    default:
        break;
    }
}

void TGridView::OnScroll(TControl* bar, void*)
{
    const TVScroller* scroller = static_cast<const TVScroller*>(bar);
    if (scroller->Position != FirstVisible)
        SetFirstVisible(scroller->Position);
}

i32 TGridView::RowOf(const TControl* control) const
{
    for (; control; control = control->pParent)
        for (u32 i = 0; i < aDetail.GetCount(); ++i)
            if (aDetail[i] == control)
                return static_cast<i32>(i);
    return -1;
}

void TGridView::OnRowClicked(TControl* clicked, void*)
{
    const i32 row = RowOf(clicked);
    if (row < 0)
        return;
    SetSelectedIndex(FirstVisible + row);
    TRowDataBindArgs args = {SelectedIndex, clicked};
    OnRowClick.Invoke(this, &args);
}

void TGridView::OnRowPlacement(TControl* row, TUpdateSizeArgs* args)
{
    const i32 i = RowOf(row);
    if (i < 0 || aDetail[i] != row || !args)
        return;
    args->Parent.y += ((RowSpacing + RowHeight) * static_cast<f32>(i) + RowOffset) * args->ScaleY;
    args->Parent.height = (RowHeight + RowOffset) * args->ScaleY;
}
} // namespace UX
