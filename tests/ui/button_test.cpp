// Buttons' icon states and toggles, and pointer events.
#include "uifixture.h"

#include "ui/uibutton.h"

#include <string>
#include <vector>

namespace
{
class UIButtonTest : public UITest
{
protected:
    TUIButton* Button(f32 x, f32 y)
    {
        auto* button = MakeRoot<TUIButton>("TUIButton", "button", 100.0f, 40.0f);
        button->SetPosition(x, y);
        button->SetStyle("MenuButtonStyle");
        button->SetSize(100.0f, 40.0f);
        return button;
    }
};

TEST_F(UIButtonTest, TheIconStateFollowsItsPrecedence)
{
    TUIButton* button = Button(100.0f, 100.0f);
    button->m_nToggle = 1;
    button->OnClickList.Add([](TUIItem*, const void*) { return 0; });
    EXPECT_EQ(button->GetIconState(), static_cast<u32>(UI_STATE_NORMAL));
    ClickAt(120, 110);
    EXPECT_TRUE(button->m_nFlags & UI_CHECKED) << "a click flips a toggle";
    EXPECT_EQ(button->GetIconState(), static_cast<u32>(UI_STATE_OVER)) << "the pointer is still over it";
    MoveTo(600, 600);
    Frames(40, 0.05f);
    EXPECT_EQ(button->m_fCheck, 1.0f);
    EXPECT_EQ(button->GetIconState(), static_cast<u32>(UI_STATE_CHECKED));
    button->m_fFlashPhase = 0.25f;
    EXPECT_EQ(button->GetIconState(), static_cast<u32>(UI_STATE_DOWN));
    button->SetVisible(false);
    EXPECT_EQ(button->GetIconState(), static_cast<u32>(UI_STATE_DISABLED));
    button->SetFocusMark(UI_STATE_INACTIVE_FOCUS);
    EXPECT_EQ(button->GetIconState(), static_cast<u32>(UI_STATE_INACTIVE_FOCUS));
}

// The hover fades in over half the hover time (0 jumps); enter and leave fire on changes only,
// the edges inside.
TEST_F(UIButtonTest, TheHoverFadesInAndPointerEnterAndLeaveFireOnChangesOnly)
{
    TUIButton* button = Button(100.0f, 100.0f);
    std::vector<std::string> journal;
    for (const char* event : {"enter", "leave"})
        (event[0] == 'e' ? button->OnPointerEnter : button->OnPointerLeave)
            .Add([&journal, event](TUIItem*, const void*) {
                journal.push_back(event);
                return 0;
            });
    MoveTo(120, 110);
    Frame(0.125f);
    EXPECT_NEAR(button->m_fHover, 0.5f, 1e-5f);
    Frame(0.25f);
    EXPECT_EQ(button->m_fHover, 1.0f);
    MoveTo(199, 139);
    Frame();
    button->m_fHoverTime = 0.0f;
    MoveTo(201, 139);
    Frames(2);
    EXPECT_EQ(button->m_fHover, 0.0f);
    EXPECT_EQ(journal, (std::vector<std::string>{"enter", "leave"}));
}

} // namespace
