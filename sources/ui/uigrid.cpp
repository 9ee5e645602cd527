#include "ui/uigrid.h"

#include "core/system/abort.h"
#include "engine/render/canvasmanager.h"
#include "ui/uimanager.h"
#include "ui/uislider.h"

#include <algorithm>
#include <cmath>

VESTAMOR_UI_ITEM(TUIGrid);

i32 TUIGrid::GetVisibleRows() const
{
    return m_fRowHeight > 0.0f ? static_cast<i32>(std::floor(m_Size.y / m_fRowHeight)) : 0;
}

void TUIGrid::SetRowCount(i32 count, bool relayout)
{
    m_nRowCount = std::max(count, 0);
    if (relayout)
        UpdateLayout();
    if (m_nSelectedRow >= m_nRowCount)
        SelectRow(m_nRowCount - 1, false);
}

void TUIGrid::SetColumnCount(i32 count)
{
    if (count > static_cast<i32>(UI_GRID_COLUMN_CAPACITY))
        __Abort("TUIGrid::SetColumnCount", "ui/uigrid.cpp", __LINE__, "count too big");
    m_nColumnCount = std::max(count, 0);
}

void TUIGrid::SetColumnWidth(i32 column, f32 width)
{
    if (column >= 0 && column < m_nColumnCount)
        m_aColumnWidth[column] = width;
}

void TUIGrid::SetRowHeight(f32 height)
{
    m_fRowHeight = height;
}

void TUIGrid::SetScrollBar(TUISlider* slider)
{
    m_pScrollBar = slider;
}

void TUIGrid::SetSelection(i32 row, i32 column, bool scroll)
{
    const i32 oldRow = m_nSelectedRow;
    const i32 oldColumn = m_nSelectedColumn;
    m_nSelectedRow = row >= 0 && row < m_nRowCount && m_nColumnCount > 0 ? row : -1;
    m_nSelectedColumn = column >= 0 && column < m_nColumnCount && m_nRowCount > 0 ? column : -1;
    if (scroll && m_nSelectedRow >= 0)
        EnsureRowVisible(m_nSelectedRow);
    const TUIGridSelection selection{m_nSelectedRow, oldRow, m_nSelectedColumn, oldColumn};
    OnSelect.Fire(this, &selection);
}

void TUIGrid::SelectRow(i32 row, bool scroll)
{
    i32 column = m_nSelectedColumn;
    if ((m_nFlags & UI_GRID_CELLS) && column < 0)
        column = 0;
    SetSelection(row, column, scroll);
}

void TUIGrid::SelectNextRow(bool scroll, bool wrap)
{
    if (m_nRowCount <= 0)
        return;
    const i32 last = m_nRowCount - 1;
    i32 row = m_nSelectedRow + 1;
    if (m_nSelectedRow < 0)
        row = wrap ? last : 0;
    else if (row > last)
    {
        if (!wrap)
        {
            // On the last row only the view moves.
            if (scroll)
                EnsureRowVisible(last);
            return;
        }
        row = 0;
    }
    SelectRow(row, scroll);
}

void TUIGrid::SelectPreviousRow(bool scroll, bool wrap)
{
    if (m_nRowCount <= 0)
        return;
    const i32 last = m_nRowCount - 1;
    i32 row = m_nSelectedRow - 1;
    if (m_nSelectedRow < 0)
        row = wrap ? 0 : last;
    else if (row < 0)
    {
        if (!wrap)
        {
            if (scroll)
                EnsureRowVisible(0);
            return;
        }
        row = last;
    }
    SelectRow(row, scroll);
}

void TUIGrid::SelectNextColumn(bool scroll)
{
    if (m_nSelectedColumn + 1 < m_nColumnCount)
        SetSelection(m_nSelectedRow, m_nSelectedColumn + 1, scroll);
    else if (scroll && m_nSelectedRow >= 0)
        EnsureRowVisible(m_nSelectedRow);
}

void TUIGrid::SelectPreviousColumn(bool scroll)
{
    if (m_nSelectedColumn > 0)
        SetSelection(m_nSelectedRow, m_nSelectedColumn - 1, scroll);
    else if (scroll && m_nSelectedRow >= 0)
        EnsureRowVisible(m_nSelectedRow);
}

i32 TUIGrid::GetScrollRow() const
{
    return m_pScrollBar ? static_cast<i32>(m_pScrollBar->GetValue()) : 0;
}

void TUIGrid::SetScrollRow(i32 row)
{
    if (!m_pScrollBar)
        return;
    if (row < 0 || row > m_nRowCount)
        row = 0;
    m_pScrollBar->m_fValue = static_cast<f32>(row);
    m_pScrollBar->UpdateLayout();
    m_pScrollBar->OnChange.Fire(m_pScrollBar);
}

void TUIGrid::EnsureRowVisible(i32 row)
{
    const i32 visible = GetVisibleRows();
    const i32 scroll = GetScrollRow();
    if (row < scroll)
        SetScrollRow(row);
    else if (row >= scroll + visible - 1)
        SetScrollRow(row - (visible - 1));
}

void TUIGrid::OnLayout()
{
    if (!m_pScrollBar)
        return;
    const i32 visible = GetVisibleRows();
    if (visible >= m_nRowCount)
    {
        m_pScrollBar->Show(false, true);
        return;
    }
    if (!(m_nFlags & UI_GRID_NO_SCROLL_BAR))
        m_pScrollBar->Show(true, true);
    m_pScrollBar->m_fMaximum = static_cast<f32>(m_nRowCount);
    m_pScrollBar->SetVisibleRange(static_cast<f32>(visible));
    m_pScrollBar->UpdateLayout();
}

i32 TUIGrid::Draw()
{
    if (g_pCanvasManager)
        g_pCanvasManager->Flush();
    const i32 rows = GetVisibleRows() + ((m_nFlags & UI_GRID_PARTIAL_ROW) ? 1 : 0);
    const i32 scroll = GetScrollRow();
    const bool cells = (m_nFlags & UI_GRID_CELLS) != 0;
    for (i32 r = 0; r < rows && scroll + r < m_nRowCount; ++r)
    {
        const i32 row = scroll + r;
        f32 x = m_Absolute.x;
        for (i32 column = 0; column < m_nColumnCount; ++column)
        {
            const bool selected = row == m_nSelectedRow && (!cells || column == m_nSelectedColumn);
            const TUIGridCell cell{column,
                                   row,
                                   x,
                                   m_Absolute.y + static_cast<f32>(r) * m_fRowHeight,
                                   m_aColumnWidth[column],
                                   m_fRowHeight,
                                   selected ? 1 : 0};
            OnDrawCell.Fire(this, &cell);
            x += m_aColumnWidth[column];
        }
    }
    return 0;
}

i32 TUIGrid::RowAt(f32 y) const
{
    if (m_fRowHeight <= 0.0f)
        return -1;
    const f32 offset = y - m_Absolute.y;
    if (offset < 0.0f)
        return -1;
    const i32 row = static_cast<i32>(offset / m_fRowHeight) + GetScrollRow();
    return row < m_nRowCount ? row : -1;
}

void TUIGrid::HandleInput(f32, bool inside, u32& select)
{
    if (!g_pUIManager || g_pUIManager->m_pCaptured)
        return;
    TUIManager& manager = *g_pUIManager;
    if (manager.IsActionPressed(UI_ACTION_SCROLL_DOWN))
        SetScrollRow(GetScrollRow() + 1);
    else if (manager.IsActionPressed(UI_ACTION_SCROLL_UP))
        SetScrollRow(std::max(GetScrollRow() - 1, 0));
    if (!select || !inside)
        return;
    const TVector& pointer = manager.m_Input.Pointer;
    // The scroll bar's strip selects nothing.
    if (m_pScrollBar && !m_pScrollBar->IsInactive() &&
        pointer.x >= m_Absolute.x + m_Size.x - m_pScrollBar->m_Size.x)
        return;
    select = 0;
    const i32 row = RowAt(pointer.y);
    if (!(m_nFlags & UI_GRID_CELLS))
    {
        SelectRow(row, false);
        return;
    }
    i32 column = -1;
    f32 x = m_Absolute.x;
    for (i32 c = 0; c < m_nColumnCount; ++c)
    {
        if (pointer.x >= x && pointer.x < x + m_aColumnWidth[c])
        {
            column = c;
            break;
        }
        x += m_aColumnWidth[c];
    }
    SetSelection(row, column, true);
}
