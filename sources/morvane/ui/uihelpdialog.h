#pragma once
// TUIHelpDialog: the in-game help, one of the UI game manager's screens: the help categories in
// a grid on the left and, on the right, a scrolling column of up to sixteen pages of the
// selected category, each an image, a text and a key text (the keys the page explains). The
// close button hides it and gives the in-game icons back.
#include "morvane/game/helpcategory.h"
#include "ux/controls/ux.recorddataset.h"
#include "ux/ux.instance.h"

namespace UX
{
class TButton;
class TControl;
class TGridView;
class TPanel;
class TStacker;
struct TMouse;
} // namespace UX

// The page's layout (layout units): the first page's text as a heading at (10, 10), the others'
// beside their image at (95, 10); the text and key text widths, the page's width and the room
// below its row, the room below the last page.
constexpr f32 HELP_HEADING_X = 10.0f;
constexpr f32 HELP_TEXT_X = 95.0f;
constexpr f32 HELP_TEXT_Y = 10.0f;
constexpr f32 HELP_TEXT_WIDTH = 450.0f;
constexpr f32 HELP_KEY_TEXT_WIDTH = 120.0f;
constexpr f32 HELP_PAGE_WIDTH = 685.0f;
constexpr f32 HELP_PAGE_ROOM = 20.0f;
constexpr f32 HELP_CONTENT_ROOM = 60.0f;

// The names of the form's controls in the UX data ("%u": the page).
inline constexpr const char* HELP_FORM_NAME = "TUIHelpDialog";
inline constexpr const char* HELP_CLOSE_NAME = "btnHelpClose";
inline constexpr const char* HELP_GRID_NAME = "grdHelpCategories";
inline constexpr const char* HELP_CATEGORY_LABEL_NAME = "lblHelpCategory";
inline constexpr const char* HELP_STACKER_NAME = "stkHelpPages";
inline constexpr const char* HELP_PANEL_NAME = "pnlHelpPages";
inline constexpr const char* HELP_PAGE_NAME = "pageHelp%u";
inline constexpr const char* HELP_IMAGE_NAME = "picHelpImage";
inline constexpr const char* HELP_TEXT_NAME = "lblHelpText";
inline constexpr const char* HELP_KEY_TEXT_NAME = "lblHelpKeyText";
// The styles of the first page's text and of the others'.
inline constexpr const char* HELP_HEADING_STYLE = "HeaderLabel";
inline constexpr const char* HELP_TEXT_STYLE = "DialogLeftLabel";

class TUIHelpDialog : public UX::TInstance
{
public:
    TUIHelpDialog();

    // Finds the controls (a missing one is logged and left out) and binds the close button,
    // the grid's selection, the form's show and its per-frame update.
    void OnInitialize() override;
    // The pages of the grid's selected category: the column back at the top, each page shown
    // and filled or hidden, the stacker arranged and the panel's content sized to it.
    void ShowPages();
    // Hides the form at once; the in-game icons come back and the help backdrop goes.
    void Close();

    UX::TGridView* GetGrid() const { return m_pGrid; }
    UX::TPanel* GetPanel() const { return m_pPanel; }
    UX::TStacker* GetStacker() const { return m_pStacker; }
    UX::TControl* GetPage(u32 index) const { return index < HELP_PAGE_CAPACITY ? m_apPage[index] : nullptr; }
    // The control the UX manager had focused at the last update while the form was visible.
    UX::TControl* GetLastFocus() const { return m_pLastFocus; }

private:
    void FillPage(u32 index, const THelpCategory& category);
    void OnShow(UX::TControl*, UX::TMouse*);
    void OnUpdate(UX::TControl*, UX::TMouse*);
    void OnClose(UX::TControl*, UX::TMouse*);
    void OnSelect(UX::TControl*, void*);

    UX::TButton* m_pClose = nullptr;
    UX::TGridView* m_pGrid = nullptr;
    UX::TStacker* m_pStacker = nullptr;
    UX::TPanel* m_pPanel = nullptr;
    UX::TControl* m_apPage[HELP_PAGE_CAPACITY] = {};
    UX::TRecordDataSet m_DataSet;
    UX::TRecordLayout m_Layout{};
    u8 m_nFirstShow = 1;
    // How many times pages were built.
    u32 m_nPagesBuilt = 0;
    UX::TControl* m_pLastFocus = nullptr;
};
