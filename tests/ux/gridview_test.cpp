// Grid views over record data sets: selection and scrolling of 10 rows in 4 row controls, the
// first selection, rows rebound only when their data row changed; the record data set's refusals
// at Assign and stored grids checked at load.
#include "uxfixture.h"

#include "engine/render/texture.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/controls/ux.recorddataset.h"
#include "ux/ux.actions.h"

#include <cstddef>
#include <string>
#include <vector>

namespace
{
constexpr u32 kRows = 4;

// A saved game as a list screen shows it.
struct TRecord
{
    char16_t title[64];
    i32 money;
    u64 saved;
};

UX::TRecordLayout RecordLayout()
{
    UX::TRecordLayout layout = {};
    layout.aColumn.Add({TName("title", true), UX::COLUMN_STRING, offsetof(TRecord, title)});
    layout.aColumn.Add({TName("money", true), UX::COLUMN_INT32, offsetof(TRecord, money)});
    layout.aColumn.Add({TName("saved", true), UX::COLUMN_FILE_TIME, offsetof(TRecord, saved)});
    layout.nStride = sizeof(TRecord);
    return layout;
}

struct TGridEvents
{
    static const UX::TGridView::TRowDataBindArgs& Args(void* args)
    {
        return *static_cast<UX::TGridView::TRowDataBindArgs*>(args);
    }
    void Bound(UX::TControl*, void* args) { bound.push_back(Args(args).nRow); }
    void Selected(UX::TControl*, void* args) { selected.push_back(Args(args).nRow); }
    void Clicked(UX::TControl*, void* args)
    {
        clicked.push_back(Args(args).nRow);
        clickedControl = Args(args).pControl;
    }
    std::vector<i32> bound, selected, clicked;
    UX::TControl* clickedControl = nullptr;
};

// A form of layer 1 with a grid of four row buttons (each with its labels "title", "money" and
// "saved") 300 units high, rows of 75, and its scroll bar.
class GridViewTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        LoadWritten([](TUxDataWriter& data) {
            data.AddLayer("layer0");
            UX::TLayer* layer = data.AddLayer("layer1");
            auto* form = data.AddControl<UX::TForm>("grid_form", nullptr);
            form->LayerIndex = 1;
            form->SetSize(800.0f, 600.0f);
            data.AddFormToLayer(form, layer);
            auto* grid = data.AddControl<UX::TGridView>("grid", form);
            grid->SetPosition(0.0f, 100.0f);
            grid->SetSize(500.0f, 300.0f);
            for (u32 i = 0; i < kRows; ++i)
            {
                auto* row = data.AddControl<UX::TButton>(nullptr, grid);
                row->SetSize(500.0f, 70.0f);
                for (const char* name : {"title", "money", "saved"})
                    data.AddControl<UX::TLabel>(name, row)->SetSize(100.0f, 70.0f);
                grid->aDetail.Add(row);
            }
            auto* bar = data.AddControl<UX::TVScroller>("grid_bar", form);
            bar->TControl::SetPosition(520.0f, 100.0f);
            bar->SetSize(40.0f, 300.0f);
            bar->pUp = data.AddControl<UX::TPictureBox>("up", bar);
            bar->pDown = data.AddControl<UX::TPictureBox>("down", bar);
            bar->pSlider = data.AddControl<UX::TPictureBox>("thumb", bar);
            grid->pVScroller = bar;
        });
        grid = static_cast<UX::TGridView*>(Named("grid"));
        bar = static_cast<UX::TVScroller*>(Named("grid_bar"));
        grid->OnRowDataBind.AddHandler(0, &events, &TGridEvents::Bound);
        grid->OnSelect.AddHandler(0, &events, &TGridEvents::Selected);
        grid->OnRowClick.AddHandler(0, &events, &TGridEvents::Clicked);
        Ux().PrepareForm(TName("grid_form", true))->Show(2);
        Frame();
    }

    // count records "Game n" with n x 100 money.
    void Fill(u32 count)
    {
        records.assign(count, TRecord{});
        for (u32 i = 0; i < count; ++i)
        {
            std::u16string title = u"Game " + std::u16string(1, static_cast<char16_t>(u'0' + i));
            std::copy(title.begin(), title.end(), records[i].title);
            records[i].money = static_cast<i32>(i) * 100;
        }
        ASSERT_TRUE(set.Assign(records.data(), count, RecordLayout(), false));
        grid->SetDataSet(&set);
        Frame();
        events = {};
    }
    UX::TControl* Row(u32 i) const { return grid->aDetail[i]; }
    std::u16string Title(u32 i) const { return LabelText(Row(i)->lChild.pFirst); }
    bool Shown(const UX::TControl* control) const { return control->IsVisibleOnScreen(); }

    UX::TGridView* grid = nullptr;
    UX::TVScroller* bar = nullptr;
    std::vector<TRecord> records;
    UX::TRecordDataSet set;
    TGridEvents events;
};
} // namespace

// Ten rows in four row controls: selecting 6 from 2 shows rows 3..6; "ScrollDown" moving the view
// stops at 6, the selection kept in view; without flag 1 it moves the selection.
TEST_F(GridViewTest, TenRowsInFourScrollAndSelect)
{
    Fill(10);
    EXPECT_EQ(grid->VisibleRows, kRows);
    EXPECT_TRUE(Shown(bar));
    EXPECT_EQ(bar->Range, 10);
    EXPECT_EQ(bar->Page, 4);
    grid->SetSelectedIndex(2);
    grid->SetSelectedIndex(6);
    EXPECT_EQ(grid->FirstVisible, 3);
    EXPECT_EQ(Title(0), u"Game 3");
    EXPECT_EQ(Title(3), u"Game 6");
    EXPECT_EQ(events.selected, (std::vector<i32>{2, 6}));
    EXPECT_EQ(bar->Position, 3);
    grid->SetSelectedIndex(3);
    // Not handled without the focus or the mouse.
    EXPECT_EQ(grid->OnAction(grid, UX::ScrollDownAction()), 0);
    grid->SetFocus();
    grid->GridFlags |= UX::GRID_SCROLL_MOVES_VIEW;
    ASSERT_EQ(grid->OnAction(grid, UX::ScrollDownAction()), 1);
    EXPECT_EQ(grid->FirstVisible, 4);
    EXPECT_EQ(grid->SelectedIndex, 4);
    for (int i = 0; i < 5; ++i)
        grid->OnAction(grid, UX::ScrollDownAction());
    EXPECT_EQ(grid->FirstVisible, 6);
    EXPECT_EQ(grid->SelectedIndex, 6);
    EXPECT_EQ(Title(3), u"Game 9");
    grid->GridFlags &= ~UX::GRID_SCROLL_MOVES_VIEW;
    grid->OnAction(grid, UX::ScrollUpAction());
    EXPECT_EQ(grid->SelectedIndex, 5);
    EXPECT_EQ(grid->FirstVisible, 5);
    // The selection stops at the last row.
    for (int i = 0; i < 5; ++i)
        grid->OnAction(grid, UX::ScrollDownAction());
    EXPECT_EQ(grid->SelectedIndex, 9);
    EXPECT_EQ(Title(3), u"Game 9");
    grid->SetSelectedIndex(5);
    // The bar moves the view.
    bar->SetPosition(1);
    EXPECT_EQ(grid->FirstVisible, 1);
    EXPECT_EQ(grid->SelectedIndex, 4);
}

// The first selection, made when nothing was selected, does not move the view down; the next
// one does. The selected row shows pressed and with the selection background.
TEST_F(GridViewTest, TheFirstSelectionDoesNotMoveTheView)
{
    TTexture* selected = SolidTexture("grid_selected", 4, 0xFF3070C0);
    grid->SelectedBackground = UX::TImage::Make(selected);
    Fill(10);
    grid->SetSelectedIndex(8);
    EXPECT_EQ(grid->FirstVisible, 0);
    EXPECT_EQ(grid->SelectedIndex, 8);
    grid->SetSelectedIndex(9);
    EXPECT_EQ(grid->FirstVisible, 6);
    EXPECT_EQ(grid->HighlightedRow, 3);
    EXPECT_EQ(Row(3)->BackgroundImage.pTexture, selected);
    EXPECT_TRUE(Row(3)->nFlags & UX::CONTROL_PRESSED);
    EXPECT_FALSE(Row(2)->nFlags & UX::CONTROL_PRESSED);
    grid->SetSelectedIndex(8);
    EXPECT_EQ(grid->HighlightedRow, 2);
    EXPECT_EQ(Row(3)->BackgroundImage.pTexture, nullptr);
    EXPECT_EQ(Row(2)->BackgroundImage.pTexture, selected);
}

// A refresh binds only rows whose data row changed; RebindRows binds them all; a changed count
// is noticed by the next update, the update's changed flag alone changes nothing.
TEST_F(GridViewTest, OnlyChangedRowsAreRebound)
{
    Fill(10);
    grid->SetSelectedIndex(1);
    Frame();
    EXPECT_TRUE(events.bound.empty());
    grid->SetFirstVisible(2);
    EXPECT_EQ(events.bound, (std::vector<i32>{2, 3, 4, 5}));
    events.bound.clear();
    records[3].money = 7;
    grid->Update(nullptr, 0.0f, 1);
    EXPECT_TRUE(events.bound.empty());
    EXPECT_EQ(LabelText(Row(1)->lChild.pFirst->pNext), u"300");
    grid->RebindRows();
    EXPECT_EQ(events.bound, (std::vector<i32>{2, 3, 4, 5}));
    EXPECT_EQ(LabelText(Row(1)->lChild.pFirst->pNext), u"7");
    // Three rows: the view goes back to the top, the fourth row control hides.
    set.SetRowCount(3);
    Frame();
    EXPECT_EQ(grid->FirstVisible, 0);
    EXPECT_TRUE(Shown(Row(2)));
    EXPECT_FALSE(Shown(Row(3)));
    EXPECT_FALSE(Shown(bar));
}

// Assign keeps 16 bits of rows and refuses a cell that passes the record; a fixed string with
// no terminator in its 64 characters is cut at 63; a cell is read only as its column's type.
TEST_F(GridViewTest, RecordSetsRefuseWhatTheyCannotHold)
{
    static TRecord many[1];
    EXPECT_TRUE(set.Assign(many, UX::RECORD_ROW_LIMIT, RecordLayout(), false));
    EXPECT_EQ(set.GetCount(), 65535u);
    EXPECT_FALSE(set.Assign(many, UX::RECORD_ROW_LIMIT + 1, RecordLayout(), false));
    EXPECT_TRUE(Logged("UX::TRecordDataSet::Assign(): error: 65536 rows: at most 65535"));
    EXPECT_EQ(set.GetCount(), 65535u);

    UX::TRecordLayout layout = RecordLayout();
    layout.aColumn[2].nOffset = sizeof(TRecord) - 8;
    EXPECT_TRUE(set.Assign(many, 1, layout, false));
    layout.aColumn[2].nOffset = sizeof(TRecord) - 7;
    EXPECT_FALSE(set.Assign(many, 1, layout, false));
    EXPECT_TRUE(Logged("column 2 passes the record of 140 bytes"));
    layout.aColumn[2].nType = 12;
    EXPECT_FALSE(set.Assign(many, 1, layout, false));

    TRecord full{};
    std::fill(std::begin(full.title), std::end(full.title), u'x');
    ASSERT_TRUE(set.Assign(&full, 1, RecordLayout(), false));
    char16_t out[64];
    std::fill(std::begin(out), std::end(out), u'?');
    set.GetValue(0, 0, out, UX::COLUMN_STRING);
    EXPECT_EQ(std::u16string(out), std::u16string(63, u'x'));
    i32 money = 5;
    set.GetValue(0, 0, &money, UX::COLUMN_INT32);
    EXPECT_EQ(money, 5);
}

// Row links to anything but a loaded control, a scroll bar of another class and a row height
// below 1 are reset at load with a line naming the grid.
TEST_F(GridViewTest, StoredGridsAreCheckedAtLoad)
{
    LoadWritten([](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        auto* stored = data.AddControl<UX::TGridView>("stored_grid", layer);
        stored->aDetail.Add(data.AddControl<UX::TLabel>("row", stored));
        stored->aDetail.Add(nullptr);
        stored->pVScroller = data.AddControl<UX::TLabel>("not_a_bar", layer);
        stored->RowHeight = 0.0f;
        stored->SelectedIndex = -7;
    });
    UX::TGridView* stored = UX::TGridView::Manager().Get(0);
    EXPECT_EQ(stored->aDetail[1], nullptr);
    EXPECT_TRUE(Logged("'stored_grid': no row: its work is skipped"));
    EXPECT_EQ(stored->pVScroller, nullptr);
    EXPECT_EQ(stored->RowHeight, 1.0f);
    EXPECT_TRUE(Logged("'stored_grid': row height"));
    EXPECT_EQ(stored->SelectedIndex, -1);
}
