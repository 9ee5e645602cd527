#include "ux/controls/ux.control.vscroller.h"

#include "core/system/timer.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace UX
{
namespace
{
TControlManagerTemplate<TVScroller> s_Manager("TVScroller");
} // namespace

const TClusterTypeDecl& TVScroller::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TVScroller", VSCROLLER_TYPE_ID, sizeof(TVScroller),
                                   &UxPrototype<TVScroller>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1364, UX_ANY_TYPE, 1, "pUp", "UX::TVScroller"),
                                    UX_LINK(1368, UX_ANY_TYPE, 1, "pDown", "UX::TVScroller"),
                                    UX_LINK(1372, UX_ANY_TYPE, 1, "pSlider", "UX::TVScroller")});
    return s_Decl;
}

TControlManagerTemplate<TVScroller>& TVScroller::Manager()
{
    return s_Manager;
}

const TName& TVScroller::Class()
{
    static const TName s_Name("TVScroller", true);
    return s_Name;
}

TVScroller::TVScroller()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    Range = 10;
    Page = 1;
    Step = 1;
    ThumbWidth = -1.0f;
    MinThumbLength = 16.0f;
}

namespace
{
constexpr f32 kCarryUnit = 32768.0f;
// Continuous scrolling: items a second for a step of one.
constexpr f32 kItemsPerSecond = 24.0f;
constexpr u32 kNaturalThumb = 0x1;
} // namespace

void TVScroller::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnScroll.Forget();
    // The handlers and the drag were the other run's.
    Initialized = 0;
    Dragging = 0;
    ScrollCarry = 0;
}

void TVScroller::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    Range = LoadedInRange(Range, 0, INT32_MAX, "range");
    Page = LoadedInRange(Page, 0, INT32_MAX, "page");
    Position = LoadedInRange(Position, 0, std::max(0, Range - Page), "position");
    CheckLoadedPart(pUp, "up arrow");
    CheckLoadedPart(pDown, "down arrow");
    CheckLoadedPart(pSlider, "thumb");
}

void TVScroller::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnScroll.Clear();
}

void TVScroller::OnLoad()
{
    if (Initialized)
        return;
    Initialized = 1;
    if (pSlider)
    {
        pSlider->nFlags |= CONTROL_CAPTURES;
        pSlider->Event(EVENT_MOUSE_DOWN).AddHandler(0, this, &TVScroller::OnThumbPressed);
        pSlider->Event(EVENT_MOUSE_UP).AddHandler(0, this, &TVScroller::OnThumbReleased);
    }
    if (HideArrows && pUp)
        pUp->Hide(1);
}

void TVScroller::CopyFrom(const TControl&)
{
    pUp = lChild.pFirst;
    pDown = pUp ? pUp->pNext : nullptr;
    pSlider = pDown ? pDown->pNext : nullptr;
}

void TVScroller::Update(TMouse* mouse, f32, u32 changed)
{
    auto held = [](const TControl* arrow) {
        return arrow && (arrow->nFlags & CONTROL_PRESSED) && arrow->IsEnabledAll();
    };
    if (held(pUp))
        ScrollUp();
    else if (held(pDown))
        ScrollDown();
    if (pSlider && Dragging && mouse && g_pUXManager->GetCapture() == pSlider)
    {
        DragY = mouse->y - GrabOffset;
        f32 top = 0.0f, length = 0.0f, thumb = 0.0f, range = 0.0f;
        Track(top, length);
        ThumbLength(length, thumb, range);
        // A bar without range or track has nothing to drag over.
        if (Range > 0 && length > 0.0f)
        {
            const f32 y = std::clamp(DragY - top, 0.0f, std::max(0.0f, length - thumb));
            if (SetPosition(static_cast<i32>(std::trunc(range / length * y + 0.5f))) == 0)
                return;
        }
        UpdateThumb();
        return;
    }
    if (changed)
        UpdateThumb();
}

i32 TVScroller::SetPosition(i32 position)
{
    position = std::clamp(position, 0, std::max(0, Range - Page));
    if (position == Position)
        return 1;
    Position = position;
    UpdateThumb();
    OnScroll.Invoke(this, nullptr);
    return 0;
}

void TVScroller::SetPage(i32 page)
{
    Page = page;
    if (Position + page > Range)
        SetPosition(Range - page);
}

void TVScroller::SetRange(i32 range)
{
    Range = range;
    if (Position + Page > range)
        SetPosition(range - Page);
}

void TVScroller::Scroll(i32 direction)
{
    if (pParent && pParent->IsClass(TGridView::Class()))
    {
        SetPosition(Position + direction * Step);
        return;
    }
    // Whole items only: the fraction waits for the next step, so slow steps still move.
    const f32 step = g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f;
    const f32 amount =
        static_cast<f32>(direction * Step) * step * kItemsPerSecond + static_cast<f32>(ScrollCarry) / kCarryUnit;
    const i32 whole = static_cast<i32>(std::trunc(amount));
    ScrollCarry = static_cast<i16>((amount - static_cast<f32>(whole)) * kCarryUnit);
    if (whole && SetPosition(Position + whole) != 0)
        ScrollCarry = 0;
}

void TVScroller::Track(f32& top, f32& length) const
{
    const f32 bar = ContentRect.y;
    top = TrackTopMargin + (pUp ? pUp->Computed.Rect.y + pUp->Computed.Rect.height - bar : 0.0f);
    length = TrackBottomMargin + (pDown ? pDown->Computed.Rect.y - bar : ContentRect.height) - top;
}

void TVScroller::ThumbLength(f32 length, f32& thumb, f32& range) const
{
    range = static_cast<f32>(Range);
    if (ScrollFlags & kNaturalThumb)
    {
        thumb = pSlider ? pSlider->Base.Rect.height * pSlider->Computed.ScaleY : 0.0f;
        range -= static_cast<f32>(Page) - thumb;
        return;
    }
    thumb = std::max(Range > 0 ? static_cast<f32>(Page) * length / static_cast<f32>(Range) : length, MinThumbLength);
}

void TVScroller::UpdateThumb()
{
    if (Range == 0)
        return;
    if (pSlider)
    {
        f32 top = 0.0f, length = 0.0f, thumb = 0.0f, range = 0.0f;
        Track(top, length);
        ThumbLength(length, thumb, range);
        f32 offset = 0.0f;
        if (thumb > length)
            thumb = length;
        else
        {
            offset = Dragging ? DragY - top : range > 0.0f ? static_cast<f32>(Position) / range * length : 0.0f;
            offset = std::clamp(offset, 0.0f, length - thumb);
        }
        const f32 sx = Computed.ScaleX;
        const f32 sy = Computed.ScaleY;
        if (ScrollFlags & kNaturalThumb)
        {
            const TStateBlock& own = pSlider->Computed;
            const f32 x = ThumbX * sx;
            const f32 y = ThumbY * sy + offset + top;
            pSlider->SetPosition(own.ScaleX > 0.0f ? x / own.ScaleX : x, own.ScaleY > 0.0f ? y / own.ScaleY : y);
        }
        else
            pSlider->SetRect(ThumbX * sx, ThumbY + offset + top, ThumbWidth < 0.0f ? Computed.Rect.width : ThumbWidth * sx,
                             thumb);
        if (length > thumb)
            pSlider->Enable();
        else
            pSlider->Disable();
    }
    const bool up = Position >= 1;
    const bool down = Position < Range - Page;
    for (auto [arrow, on] : {std::pair{pUp, up}, std::pair{pDown, down}})
    {
        if (!arrow)
            continue;
        if (HideArrows)
        {
            // Only a change: a shown arrow that may still scroll stays as it is.
            if (on && !(arrow->nFlags & CONTROL_VISIBLE))
                arrow->Show(2);
            else if (!on)
                arrow->Hide(1);
        }
        else if (on)
            arrow->Enable();
        else
            arrow->Disable();
    }
}

void TVScroller::OnThumbPressed(TControl* thumb, TMouse* mouse)
{
    if (!mouse)
        return;
    Dragging = 1;
    GrabOffset = mouse->y - (thumb->Computed.Rect.y - ContentRect.y);
}

void TVScroller::OnThumbReleased(TControl*, TMouse*)
{
    Dragging = 0;
    UpdateThumb();
}
} // namespace UX
