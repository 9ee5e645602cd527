#include "ui/uimenu.h"

#include "core/system/log.h"
#include "engine/render/texture.h"
#include "ui/uibutton.h"
#include "ui/uimanager.h"
#include "ui/uistyle.h"

#include <algorithm>
#include <cmath>
#include <vector>

VESTAMOR_UI_ITEM(TUIMenu);

namespace
{
constexpr u32 FOCUS_ACTIVE = UI_STATE_CHECKED;
constexpr u32 FOCUS_INACTIVE = UI_STATE_INACTIVE_FOCUS;
} // namespace

void TUIMenu::MeasureEntry(TUIItem* entry, f32& width, f32& height)
{
    const TUIStyle* style = entry->GetStyle();
    const TUIIcon* icon = style ? style->pIcon : nullptr;
    if (icon && icon->pNormal)
    {
        width = static_cast<f32>(icon->pNormal->m_nWidth);
        height =
            icon->nFrameCount < 1 ? static_cast<f32>(icon->pNormal->m_nHeight) : icon->GetEntryFrameHeight();
        return;
    }
    if (style && (style->nFlags & UI_STYLE_FIXED_SIZE))
    {
        width = style->aFixedSize[0];
        height = style->aFixedSize[1];
        return;
    }
    const TTextBox extent = entry->m_Caption.GetExtent();
    width = extent.fWidth;
    height = extent.fHeight;
}

void TUIMenu::OnLayout()
{
    if (m_aChildren.empty())
        return;
    f32 right = 0.0f, bottom = 0.0f;
    // Closed entries take no cell: the open ones close up.
    std::vector<TUIItem*> shown;
    for (TUIItem* entry : m_aChildren)
        if (!(entry->m_nFlags & UI_CLOSED))
            shown.push_back(entry);
    const u32 count = static_cast<u32>(shown.size());
    if (!m_nHorizontal)
    {
        const u32 columns = std::max(1u, std::min(count, m_nColumns));
        const u32 rows = std::max(1u, (count + columns - 1) / columns);
        f32 cellWidth = 0.0f, cellHeight = 0.0f;
        for (TUIItem* entry : m_aChildren)
        {
            f32 w, h;
            MeasureEntry(entry, w, h);
            cellWidth = std::max(cellWidth, w);
            cellHeight = std::max(cellHeight, h);
        }
        for (u32 i = 0; i < count; ++i)
        {
            TUIItem* entry = shown[i];
            f32 w, h;
            MeasureEntry(entry, w, h);
            if (entry->m_Size.x == 0.0f || entry->m_Size.y == 0.0f)
                entry->SetSize(w, h);
            w = entry->m_Size.x;
            h = entry->m_Size.y;
            const f32 column = static_cast<f32>(i / rows) * (cellWidth + m_fColumnGap);
            f32 offset = 0.0f;
            if (m_nAlign == UI_ALIGN_CENTRE)
                offset = (m_fColumnGap + cellWidth - w) * 0.5f;
            else if (m_nAlign == UI_ALIGN_FAR)
                offset = m_fColumnGap + cellWidth - w;
            const f32 y = static_cast<f32>(i % rows) * (cellHeight + m_fRowGap);
            entry->SetPosition(column + offset, y, entry->m_Position.z, entry->m_Position.w);
            right = std::max(right, column + offset + w);
            bottom = std::max(bottom, y + h);
        }
    }
    else
    {
        f32 total = 0.0f;
        for (TUIItem* entry : shown)
        {
            f32 w, h;
            MeasureEntry(entry, w, h);
            total += w;
        }
        f32 gap = m_fSpreadWidth >= 0.0f && count > 1 ? (m_fSpreadWidth - total) / static_cast<f32>(count - 1)
                                                      : m_fColumnGap;
        // A row that would reach past the screen's left edge (a footer on a narrow screen) narrows
        // its entries and gaps alike to end there.
        const f32 width = total + gap * static_cast<f32>(count > 1 ? count - 1 : 0);
        const f32 room = m_Size.x > 0.0f ? ScreenRightEnd() : 0.0f;
        const f32 scale = room > 0.0f && width > room ? room / width : 1.0f;
        gap *= scale;
        f32 x = 0.0f;
        for (TUIItem* entry : shown)
        {
            f32 w, h;
            MeasureEntry(entry, w, h);
            w *= scale;
            entry->SetPosition(x, 0.0f, entry->m_Position.z, entry->m_Position.w);
            entry->SetSize(w, h);
            right = std::max(right, x + w);
            bottom = std::max(bottom, h);
            x += w + gap;
        }
    }
    if (right != m_Size.x || bottom != m_Size.y)
        SetSize(right, bottom, m_Size.z, m_Size.w);
}

f32 TUIMenu::ScreenRightEnd() const
{
    // As the drawing adds up its origins.
    f32 x = m_Position.x + m_Size.x;
    for (const TUIItem* item = GetParent(); item; item = item->GetParent())
    {
        x += item->m_Position.x;
        if (const TUIStyle* style = item->GetStyle(); style && (style->nFlags & UI_STYLE_CHILD_OFFSET))
            x += style->aChildOffset[0];
    }
    return x;
}

void TUIMenu::AddItem(TUIItem* item)
{
    item->m_nTag = static_cast<i32>(m_aChildren.size());
    AddChild(item);
    item->OnClickList.Add([this](TUIItem* sender, const void*) { return _OnItemClick(sender); });
}

TUIButton* TUIMenu::AddButton(const char* caption, const char* styleName, u32 flags)
{
    TUIItem* item = g_pUIManager ? g_pUIManager->CreateItem("TUIButton", caption, 0.0f, 0.0f) : nullptr;
    if (!item)
        return nullptr;
    auto* button = static_cast<TUIButton*>(item);
    button->SetCaption(caption);
    button->SetStyle(styleName);
    button->m_nFlags |= flags;
    AddItem(button);
    return button;
}

i32 TUIMenu::_OnItemClick(TUIItem* item)
{
    Activate();
    FocusItem(item);
    return 0;
}

TUIItem* TUIMenu::GetFocusedItem() const
{
    return m_nFocus >= 0 && m_nFocus < static_cast<i32>(m_aChildren.size())
               ? m_aChildren[static_cast<size_t>(m_nFocus)]
               : nullptr;
}

void TUIMenu::MarkFocus(u32 state)
{
    if (auto* button = dynamic_cast<TUIButton*>(GetFocusedItem()))
        button->SetFocusMark(state);
}

void TUIMenu::SetFocus(i32 index)
{
    MarkFocus(0);
    m_nFocus = index < static_cast<i32>(m_aChildren.size()) ? index : -1;
    if (m_nFocus >= 0)
    {
        MarkFocus(m_nActive ? FOCUS_ACTIVE : FOCUS_INACTIVE);
        if (g_pUIManager)
            g_pUIManager->PlayMenuSelect();
    }
    OnFocusChange.Fire(this);
}

void TUIMenu::FocusItem(TUIItem* item)
{
    for (size_t i = 0; i < m_aChildren.size(); ++i)
        if (m_aChildren[i] == item)
        {
            SetFocus(static_cast<i32>(i));
            return;
        }
}

bool TUIMenu::IsSelectable(i32 index) const
{
    TUIItem* entry = m_aChildren[static_cast<size_t>(index)];
    return entry->IsVisible() && !entry->IsInactive();
}

void TUIMenu::Step(i32 direction)
{
    const i32 n = static_cast<i32>(m_aChildren.size());
    if (n == 0)
        return;
    // Without a focus the walk starts before the first entry (forward) or after the last.
    const i32 start = m_nFocus >= 0 ? m_nFocus : (direction > 0 ? n - 1 : 0);
    for (i32 k = 1; k <= n; ++k)
    {
        const i32 index = ((start + direction * k) % n + n) % n;
        if (index == m_nFocus)
            return;
        if (IsSelectable(index))
        {
            SetFocus(index);
            return;
        }
    }
}

void TUIMenu::FocusNext()
{
    Step(1);
}

void TUIMenu::FocusPrevious()
{
    Step(-1);
}

void TUIMenu::Activate()
{
    if (g_pUIManager)
        g_pUIManager->m_pActiveMenu = this;
    m_nActive = 1;
    MarkFocus(FOCUS_ACTIVE);
    if (g_pUIManager && GetFocusedItem())
        g_pUIManager->m_pDefaultItem = GetFocusedItem();
    for (TUIMenu* other = m_pNextMenu; other && other != this; other = other->m_pNextMenu)
    {
        other->m_nActive = 0;
        other->MarkFocus(FOCUS_INACTIVE);
    }
}

void TUIMenu::HandleInput(f32, bool, u32&)
{
    if (!g_pUIManager || g_pUIManager->IsConsoleShown() || !IsVisible() || !m_nActive ||
        g_pUIManager->m_nSelectLatch)
        return;
    TUIManager& manager = *g_pUIManager;
    if (TUIItem* focused = GetFocusedItem())
        manager.m_pDefaultItem = focused;
    if (manager.IsActionPressed(m_nHorizontal ? UI_ACTION_MENU_RIGHT : UI_ACTION_MENU_DOWN))
        FocusNext();
    else if (manager.IsActionPressed(m_nHorizontal ? UI_ACTION_MENU_LEFT : UI_ACTION_MENU_UP))
        FocusPrevious();
    if (manager.IsActionPressed(UI_ACTION_MENU_BACK) && manager.m_pActiveMenu == this)
        OnBack.Fire(this);
    if (m_pNextMenu && manager.IsActionPressed(UI_ACTION_NEXT_CONTROL))
    {
        m_pNextMenu->Activate();
        manager.m_nSelectLatch = 1;
    }
    TUIItem* focused = GetFocusedItem();
    if (focused && !IsSelectable(m_nFocus))
    {
        MarkFocus(0);
        m_nFocus = -1;
        OnFocusChange.Fire(this);
    }
}
