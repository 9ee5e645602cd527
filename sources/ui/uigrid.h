#pragma once
// TUIGrid: a scrolled table of rows and columns whose cells listeners draw (OnDrawCell gets a
// cell record per visible cell), with a row (or cell) selection moved by the pointer and by
// game code, and a slider as scroll bar, closed while every row fits.
#include "ui/uiitem.h"

class TUISlider;

constexpr u32 UI_GRID_COLUMN_CAPACITY = 32;

// What OnDrawCell gets: where the cell lies and whether it is selected.
struct TUIGridCell
{
    i32 nColumn;
    i32 nRow;
    f32 fX;
    f32 fY;
    f32 fWidth;
    f32 fHeight;
    i32 nSelected;
};

// What OnSelect gets (the columns only mean something when cells are selectable).
struct TUIGridSelection
{
    i32 nRow;
    i32 nOldRow;
    i32 nColumn;
    i32 nOldColumn;
};

class TUIGrid : public TUIItem
{
public:
    void OnLayout() override;
    i32 Draw() override;
    void HandleInput(f32 step, bool inside, u32& select) override;

    void SetRowCount(i32 count, bool relayout);
    // More than 32 columns is fatal.
    void SetColumnCount(i32 count);
    void SetColumnWidth(i32 column, f32 width);
    void SetRowHeight(f32 height);
    void SetScrollBar(TUISlider* slider);
    void SetSelection(i32 row, i32 column, bool scroll);
    void SelectRow(i32 row, bool scroll);
    void SelectNextRow(bool scroll, bool wrap);
    void SelectPreviousRow(bool scroll, bool wrap);
    void SelectNextColumn(bool scroll);
    void SelectPreviousColumn(bool scroll);
    i32 GetScrollRow() const;
    void SetScrollRow(i32 row);
    void EnsureRowVisible(i32 row);
    // Whole rows that fit the height.
    i32 GetVisibleRows() const;
    // The row under a point of the root's space, -1 outside the rows.
    i32 RowAt(f32 y) const;

    i32 m_nRowCount = 0;
    i32 m_nColumnCount = 1;
    f32 m_fRowHeight = 16.0f;
    i32 m_nSelectedRow = -1;
    i32 m_nSelectedColumn = -1;
    f32 m_aColumnWidth[UI_GRID_COLUMN_CAPACITY] = {};
    TUISlider* m_pScrollBar = nullptr;
    TUIListenerList OnSelect;
    TUIListenerList OnDrawCell;
};
