#include "ux/controls/ux.control.stacker.h"

#include "core/system/log.h"
#include "core/system/timer.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace UX
{
namespace
{
TControlManagerTemplate<TStacker> s_Manager("TStacker");

// The share of the difference between the stacker and the block (across the lines) or a line
// (along it) each alignment code takes off, by screen axis: x is along rows and across columns.
struct TShift
{
    f32 x;
    f32 y;
};

TShift AlignmentShift(u32 code)
{
    switch (code)
    {
    case 0:
        return {0.0f, 0.5f};
    case 1:
        return {0.5f, 0.5f};
    case 2:
        return {1.0f, 0.5f};
    case 11:
        return {0.5f, 0.0f};
    case 12:
        return {1.0f, 0.0f};
    case 20:
        return {0.0f, 1.0f};
    case 21:
        return {0.5f, 1.0f};
    case 22:
        return {1.0f, 1.0f};
    default:
        return {0.0f, 0.0f};
    }
}

bool Hidden(const TControl* item)
{
    return !item || !(item->nFlags & CONTROL_VISIBLE);
}

// A loaded run-time array: its words were the writer's.
template <class T> bool ForgetArray(DArray<T>& array)
{
    const bool held = array.GetCount() != 0;
    array.MarkForeign();
    array.Attach(nullptr, 0);
    return held;
}
} // namespace

const TClusterTypeDecl& TStacker::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TStacker", STACKER_TYPE_ID, sizeof(TStacker), &UxPrototype<TStacker>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"),
         UX_LINK(9552, UX_ANY_TYPE, STACKER_ITEM_CAPACITY, "aDetail", "UX::TStacker")});
    return s_Decl;
}

TControlManagerTemplate<TStacker>& TStacker::Manager()
{
    return s_Manager;
}

const TName& TStacker::Class()
{
    static const TName s_Name("TStacker", true);
    return s_Name;
}

TStacker::TStacker()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TStacker::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnItemClick.Forget();
    Initialized = 0;
    bool held = ForgetArray(aLineCross);
    held = ForgetArray(aLineItems) || held;
    held = ForgetArray(aLineLength) || held;
    if (held)
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ", "'%s': line counts reset",
                    GetNameText());
}

void TStacker::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedParts(aDetail, "item");
    bool reset = false;
    for (TItemMotion& motion : aItemMotion)
        if (motion.nState >= MOTION_STATE_COUNT || !std::isfinite(motion.fProgress) || motion.fProgress < 0.0f ||
            !std::isfinite(motion.fX) || !std::isfinite(motion.fY) || !std::isfinite(motion.fTargetX) ||
            !std::isfinite(motion.fTargetY))
        {
            motion = {};
            reset = true;
        }
    if (reset)
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ", "'%s': motion records reset",
                    GetNameText());
}

void TStacker::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnItemClick.Clear();
    aLineCross.Free();
    aLineItems.Free();
    aLineLength.Free();
}

void TStacker::OnLoad()
{
    if (Initialized)
        return;
    Initialized = 1;
    if (!BindItemClicks)
        return;
    // Every item and each of its descendants.
    std::vector<TControl*> pending;
    for (u32 i = 0; i < aDetail.GetCount(); ++i)
        if (aDetail[i])
            pending.push_back(aDetail[i]);
    while (!pending.empty())
    {
        TControl* control = pending.back();
        pending.pop_back();
        control->Event(EVENT_CLICK).AddHandler(0, this, &TStacker::OnItemClicked);
        for (TControl* child = control->lChild.pFirst; child; child = child->pNext)
            pending.push_back(child);
    }
}

void TStacker::OnItemClicked(TControl* clicked, TMouse*)
{
    for (TControl* c = clicked; c; c = c->pParent)
        for (u32 i = 0; i < aDetail.GetCount(); ++i)
            if (aDetail[i] == c)
            {
                TItemClickArgs args = {static_cast<i32>(i), clicked};
                OnItemClick.Invoke(this, &args);
                return;
            }
}

void TStacker::CopyFrom(const TControl& source)
{
    const TStacker& stacker = static_cast<const TStacker&>(source);
    if (stacker.aDetail.GetCount())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TStacker::CopyFrom(): error: ",
                    "'%s': a prototype holding items is not copied", stacker.GetNameText());
        return;
    }
    Orientation = stacker.Orientation;
    Alignment = stacker.Alignment;
    SpacingX = stacker.SpacingX;
    SpacingY = stacker.SpacingY;
    MarginX = stacker.MarginX;
    MarginY = stacker.MarginY;
    StackFlags = stacker.StackFlags;
    MaxPerColumn = stacker.MaxPerColumn;
    MaxPerLine = stacker.MaxPerLine;
    BindItemClicks = stacker.BindItemClicks;
}

bool TStacker::AddItem(TControl* item)
{
    if (aDetail.GetCount() == STACKER_ITEM_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TStacker::AddItem(): error: ", "'%s': %u items: '%s' refused",
                    GetNameText(), STACKER_ITEM_CAPACITY, item ? item->GetNameText() : "");
        return false;
    }
    aDetail.Add(item);
    return true;
}

void TStacker::BreakLines()
{
    aLineCross.SetCount(0);
    aLineItems.SetCount(0);
    aLineLength.SetCount(0);
    const bool rows = Orientation == 0;
    const f32 spacing = rows ? SpacingX : SpacingY;
    const u32 limit = rows ? MaxPerLine : MaxPerColumn;
    const f32 extent = rows ? Computed.Rect.width : Computed.Rect.height;
    const f32 scale = rows ? Computed.ScaleX : Computed.ScaleY;
    f32 length = rows ? MarginX : 0.0f;
    i32 items = 0;
    f32 cross = 0.0f;
    // A line without items is not recorded: the three arrays stay in step.
    auto close = [&](f32 closed) {
        if (items)
        {
            aLineLength.Add(closed);
            aLineItems.Add(items);
            aLineCross.Add(cross);
        }
        length = cross = 0.0f;
        items = 0;
    };
    const u32 count = aDetail.GetCount();
    for (u32 i = 0; i < count; ++i)
    {
        const TControl* item = aDetail[i];
        const bool last = i + 1 == count;
        if (Hidden(item))
        {
            if (last)
                close(length - spacing);
            continue;
        }
        const f32 size = rows ? item->Base.Rect.width : item->Base.Rect.height;
        const f32 itemCross = std::trunc(rows ? item->Base.Rect.height : item->Base.Rect.width);
        const bool full = limit && static_cast<u32>(items) >= limit;
        if (StackFlags & STACK_BREAK_BEFORE)
        {
            // Tested before the item is added: the item opens the next line.
            if ((size + length) * scale >= extent || full)
                close(length);
            else
                length += spacing;
            length += size;
            ++items;
            cross = std::max(cross, itemCross);
        }
        else
        {
            // Tested after: the item belongs to the line it closes.
            length += size;
            ++items;
            cross = std::max(cross, itemCross);
            if (scale * length >= extent || (limit && static_cast<u32>(items) >= limit))
                close(length);
            else
                length += spacing;
        }
        if (last)
            close(length);
    }
}

void TStacker::PlaceItem(TControl* item, f32 x, f32 y)
{
    const f32 sx = item->Computed.ScaleX > 0.0f ? item->Computed.ScaleX : 1.0f;
    const f32 sy = item->Computed.ScaleY > 0.0f ? item->Computed.ScaleY : 1.0f;
    item->SetPosition(x / sx, y / sy);
}

void TStacker::Place()
{
    const bool rows = Orientation == 0;
    const f32 sx = Computed.ScaleX;
    const f32 sy = Computed.ScaleY;
    const f32 alongSpacing = rows ? SpacingX : SpacingY;
    const f32 acrossSpacing = rows ? SpacingY : SpacingX;
    const f32 alongScale = rows ? sx : sy;
    const f32 acrossScale = rows ? sy : sx;
    const f32 alongExtent = rows ? Computed.Rect.width : Computed.Rect.height;
    const f32 acrossExtent = rows ? Computed.Rect.height : Computed.Rect.width;
    const i32 lines = aLineItems.GetCount();
    f32 block = 0.0f;
    for (i32 l = 0; l < lines; ++l)
        block += aLineCross[l];
    block = (block + acrossSpacing * static_cast<f32>(std::max(lines - 1, 0))) * acrossScale;
    const TShift shift = AlignmentShift(Alignment);
    const f32 alongShare = rows ? shift.x : shift.y;
    const f32 acrossShare = rows ? shift.y : shift.x;

    f32 acrossStart = rows ? MarginY : MarginX;
    u32 next = 0;
    for (i32 l = 0; l < lines; ++l)
    {
        const f32 across = acrossStart * acrossScale - (block - acrossExtent) * acrossShare;
        f32 along = (rows ? MarginX : MarginY) * alongScale;
        const f32 lineShift = (aLineLength[l] - alongExtent) * alongShare;
        for (i32 placed = 0; placed < aLineItems[l] && next < aDetail.GetCount(); ++next)
        {
            TControl* item = aDetail[next];
            if (Hidden(item))
                continue;
            const f32 x = rows ? along - lineShift : across;
            const f32 y = rows ? across : along - lineShift;
            if (MoveDuration == 0.0f)
                PlaceItem(item, x, y);
            else
            {
                TItemMotion& motion = aItemMotion[next];
                motion.fTargetX = x;
                motion.fTargetY = y;
            }
            along += (alongSpacing + (rows ? item->Base.Rect.width : item->Base.Rect.height)) * alongScale;
            ++placed;
        }
        acrossStart += acrossSpacing + aLineCross[l];
    }
}

void TStacker::Move()
{
    const f32 step = g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f;
    for (u32 i = 0; i < aDetail.GetCount(); ++i)
    {
        TControl* item = aDetail[i];
        TItemMotion& motion = aItemMotion[i];
        if (!item || motion.nState == MOTION_IDLE)
            continue;
        if (motion.nState == MOTION_JUMP)
        {
            motion.fX = motion.fTargetX;
            motion.fY = motion.fTargetY;
            PlaceItem(item, motion.fX, motion.fY);
            continue;
        }
        motion.fX = item->Base.Rect.x * item->Computed.ScaleX;
        motion.fY = item->Base.Rect.y * item->Computed.ScaleY;
        if (motion.nState == MOTION_WAIT)
        {
            motion.fProgress += step / MoveDuration;
            if (motion.fProgress >= 1.0f)
            {
                motion.nState = MOTION_IDLE;
                motion.fProgress = 0.0f;
            }
            continue;
        }
        if (motion.fX == motion.fTargetX && motion.fY == motion.fTargetY)
        {
            motion.nState = MOTION_ARRIVED;
            motion.fProgress = 0.0f;
            continue;
        }
        motion.fProgress += step / MoveDuration;
        if (motion.fProgress >= 1.0f)
        {
            PlaceItem(item, motion.fTargetX, motion.fTargetY);
            motion.fProgress = 0.0f;
            motion.nState = MOTION_ARRIVED;
            continue;
        }
        PlaceItem(item, motion.fX + std::trunc(motion.fTargetX - motion.fX) * motion.fProgress,
                  motion.fY + std::trunc(motion.fTargetY - motion.fY) * motion.fProgress);
    }
}

void TStacker::Arrange(u32 force)
{
    const std::vector<f32> before(aLineLength.GetData(), aLineLength.GetData() + aLineLength.GetCount());
    BreakLines();
    bool moving = false;
    if (MoveDuration != 0.0f)
        for (u32 i = 0; i < aDetail.GetCount() && !moving; ++i)
            moving = aItemMotion[i].fProgress > 0.0f;
    const bool changed = before.size() != static_cast<size_t>(aLineLength.GetCount()) ||
                         !std::equal(before.begin(), before.end(), aLineLength.GetData());
    if (force || moving || before.empty() || changed)
        Place();
    if (MoveDuration != 0.0f)
        Move();
}

f32 TStacker::GetContentHeight() const
{
    if (!aLineItems.GetCount())
        return MarginY;
    f32 lowest = MarginY;
    for (u32 i = 0; i < aDetail.GetCount(); ++i)
        if (const TControl* item = aDetail[i]; !Hidden(item))
            lowest = std::max(lowest, item->Base.Rect.y + item->Base.Rect.height);
    return MarginY + lowest;
}
} // namespace UX
