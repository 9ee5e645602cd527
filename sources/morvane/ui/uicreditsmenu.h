#pragma once
// TUICreditsMenu: the credits, one of the UI game manager's screens: a title over eight blocks
// of a heading and names and two closing lines, laid out as they come in and scrolling
// up from below the screen by themselves; the end of the scroll, a click on the screen or the
// close button closes it and brings the main menu's buttons back.
#include "ux/ux.instance.h"

namespace UX
{
class TButton;
class TControl;
class TLabel;
class TPanel;
struct TMouse;
} // namespace UX

constexpr u32 CREDITS_BLOCK_COUNT = 8;
// The layout (layout units): the title's top, the first block's, a block's names below its
// heading and the gap after them, the second closing line below the first, the content's width
// and the room below the last line, the panel's content height.
constexpr f32 CREDITS_TITLE_TOP = 10.0f;
constexpr f32 CREDITS_FIRST_TOP = 250.0f;
constexpr f32 CREDITS_NAMES_BELOW = 50.0f;
constexpr f32 CREDITS_BLOCK_GAP = 150.0f;
constexpr f32 CREDITS_CLOSING_GAP = 100.0f;
constexpr f32 CREDITS_CONTENT_WIDTH = 1000.0f;
constexpr f32 CREDITS_CONTENT_ROOM = 308.0f;
constexpr f32 CREDITS_PANEL_HEIGHT = 40000.0f;
// Where the content starts when shown: below the screen.
constexpr f32 CREDITS_START_Y = 1100.0f;

// The names of the form's controls in the UX data ("%u": the block).
inline constexpr const char* CREDITS_FORM_NAME = "TUICreditsMenu";
inline constexpr const char* CREDITS_TITLE_NAME = "lblCreditsTitle";
inline constexpr const char* CREDITS_HEADING_NAME = "lblCreditsHeading%u";
inline constexpr const char* CREDITS_NAMES_NAME = "lblCreditsNames%u";
inline constexpr const char* CREDITS_CLOSING_NAME = "lblCreditsClosing";
inline constexpr const char* CREDITS_CLOSING2_NAME = "lblCreditsClosing2";
inline constexpr const char* CREDITS_CLOSE_NAME = "btnCreditsClose";
inline constexpr const char* CREDITS_CONTENT_NAME = "ctlCreditsContent";
inline constexpr const char* CREDITS_PANEL_NAME = "pnlCredits";

class TUICreditsMenu : public UX::TInstance
{
public:
    TUICreditsMenu();

    // Finds the controls (a missing one is logged and left out) and binds the show, per-frame
    // and click handlers.
    void OnInitialize() override;
    // Hides the close button, the panel and the form with their transitions; the main menu's
    // buttons come back.
    void Close();

    UX::TControl* GetContent() const { return m_pContent; }
    UX::TPanel* GetPanel() const { return m_pPanel; }
    UX::TButton* GetCloseButton() const { return m_pClose; }
    // The content's height laid out at the last show.
    f32 GetContentHeight() const { return m_fContentHeight; }

private:
    // Each block's names as tall as their text, the next block below them; the content as tall
    // as the blocks and closing lines.
    void _LayOut();
    void OnShow(UX::TControl*, UX::TMouse*);
    void OnUpdate(UX::TControl*, UX::TMouse*);
    void OnClick(UX::TControl*, UX::TMouse*);

    UX::TLabel* m_apHeading[CREDITS_BLOCK_COUNT] = {};
    UX::TLabel* m_apNames[CREDITS_BLOCK_COUNT] = {};
    UX::TLabel* m_pTitle = nullptr;
    UX::TLabel* m_pClosing = nullptr;
    UX::TLabel* m_pClosing2 = nullptr;
    UX::TButton* m_pClose = nullptr;
    UX::TControl* m_pContent = nullptr;
    UX::TPanel* m_pPanel = nullptr;
    f32 m_fContentHeight = 0.0f;
};
