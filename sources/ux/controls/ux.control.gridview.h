#pragma once
// UX::TGridView (stored type 234, 2,028 bytes): shows the rows of a data set in a fixed number
// of row controls that it reuses while the user scrolls: row control i shows data row
// FirstVisible + i, its descendants bound to the data set's columns by their names.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 GRID_VIEW_TYPE_ID = 234;
constexpr u32 GRID_ROW_CAPACITY = 64;
// Grid flags.
constexpr u32 GRID_SCROLL_MOVES_VIEW = 0x1;
constexpr u32 GRID_PRESS_SELECTED = 0x2;
constexpr u32 GRID_BEING_SHOWN = 0x40000000;
// aBoundRow holds the data row + this, or GRID_UNBOUND.
constexpr i32 GRID_BOUND_BASE = 1000;
constexpr i32 GRID_UNBOUND = -1;

class TDataSet;
class TVScroller;

class TGridView : public TControl
{
public:
    // The argument of OnRowDataBind (the row control), OnRowClick (the clicked control) and
    // OnSelect (the grid).
    struct TRowDataBindArgs
    {
        i32 nRow;
        TControl* pControl;
    };

    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TGridView>& Manager();
    static const TName& Class();

    TGridView();

    // Once: the scroll bar's scrolls, the rows' clicks (and their descendants') and the rows'
    // placement bound; a radio button as first row is checked.
    void OnLoad() override;
    // Refreshed, the scroll bar shown or hidden with its transition.
    void OnShow() override;
    // A changed row count or selection refreshes the rows.
    void Update(TMouse* mouse, f32 step, u32 changed) override;
    // The visible rows bound (those whose data row changed), the others hidden, the bar set.
    void OnRefresh() override;
    // "ScrollUp" and "ScrollDown" while focused or under the mouse: the view (flag 1) or the
    // selection moves by one row.
    i32 OnAction(TControl* sender, const TName& action) override;

    // Clamped into the data; a change brings the row into view, moves the selection background
    // and raises OnSelect. An empty data set selects nothing (-1) and raises nothing.
    void SetSelectedIndex(i32 index);
    // Clamped so that the rows stay filled; the selection is pulled into view.
    void SetFirstVisible(i32 row);
    // Every visible row bound again (after the data behind the set changed).
    void RebindRows();
    void SetDataSet(TDataSet* dataSet);
    // The row control's descendants (and itself) given the data row's values by their names.
    void BindControl(TControl* control, i32 row);
    TVScroller* GetScrollBar() const;

    void ForgetLoadedWords();
    // The rows, the scroll bar and the row height checked (each with an error line).
    void CheckLoadedValues();
    void ReleaseLoaded();

    u32 Initialized;
    TDataSet* pDataSet;
    SArray<TControl*, GRID_ROW_CAPACITY, 0> aDetail;
    // Per row control: the data row bound + 1000, or -1.
    i32 aBoundRow[GRID_ROW_CAPACITY];
    f32 RowHeight;
    u16 FirstVisible;
    i16 SelectedIndex;
    // 16 bits: the fields up to the scroll bar keep their places.
    u16 CachedCount;
    u16 Dirty;
    u16 LastSelected;
    u16 VisibleRows;
    TControl* pVScroller;
    u8 AutoHideScrollBar;
    u8 ScrollBarParts;
    f32 RowOffset;
    f32 RowSpacing;
    u32 GridFlags;
    TImage SelectedBackground;
    TImage SavedBackground;
    i16 HighlightedRow;
    TEvent OnRowDataBind;
    TEvent OnRowClick;
    TEvent OnSelect;

private:
    // Whether the data set and the grid's height give rows to show.
    bool HasRows() const;
    u32 Count() const;
    void UpdateVisibleRows();
    // Mode 1 (or while being shown): with the transitions.
    void UpdateScrollBarVisibility(u32 mode);
    void MoveSelectionBackground();
    void BindValue(TControl* control, u32 column, i32 row);
    void OnScroll(TControl* bar, void*);
    void OnRowClicked(TControl* clicked, void*);
    void OnRowPlacement(TControl* row, TUpdateSizeArgs* args);
    // The index in aDetail of the row control holding the control, -1 when none does.
    i32 RowOf(const TControl* control) const;
};

static_assert(sizeof(TGridView) == 2028);
static_assert(sizeof(TGridView::TRowDataBindArgs) == 8);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TGridView, aDetail) == 1328);
static_assert(offsetof(TGridView, aBoundRow) == 1588);
static_assert(offsetof(TGridView, RowHeight) == 1844);
static_assert(offsetof(TGridView, CachedCount) == 1852);
static_assert(offsetof(TGridView, VisibleRows) == 1858);
static_assert(offsetof(TGridView, pVScroller) == 1860);
static_assert(offsetof(TGridView, GridFlags) == 1876);
static_assert(offsetof(TGridView, SelectedBackground) == 1880);
static_assert(offsetof(TGridView, HighlightedRow) == 1952);
static_assert(offsetof(TGridView, OnRowDataBind) == 1956);
static_assert(offsetof(TGridView, OnSelect) == 2004);
#pragma GCC diagnostic pop
} // namespace UX
