#pragma once
// UX::TGridView (stored type 234, 2,028 bytes): shows the rows of a data set in a fixed number
// of row controls that it reuses while the user scrolls.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 GRID_VIEW_TYPE_ID = 234;
constexpr u32 GRID_ROW_CAPACITY = 64;

class TDataSet;

class TGridView : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TGridView>& Manager();
    static const TName& Class();

    TGridView();

    void ForgetLoadedWords();
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
};

static_assert(sizeof(TGridView) == 2028);
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
