// Mouse and keys as the player gives them, through the window layer and the input drivers:
// click, a press that leaves, capture, modal forms, the event queue, binding scopes and the
// click sound.
#include "uxfixture.h"

#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/commandmanager.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"
#include "xaudio2/gamesound.h"

#include <string>
#include <vector>

namespace
{
// Records the events of the controls it is attached to, as "name.event".
struct TJournal
{
    void Enter(UX::TControl* sender, void*) { Note(sender, "enter"); }
    void Leave(UX::TControl* sender, void*) { Note(sender, "leave"); }
    void Down(UX::TControl* sender, void*) { Note(sender, "down"); }
    void Up(UX::TControl* sender, void*) { Note(sender, "up"); }
    void Click(UX::TControl* sender, void*) { Note(sender, "click"); }
    void Action(UX::TControl* sender, void* name)
    {
        Note(sender, (std::string("action ") + static_cast<TName*>(name)->GetText()).c_str());
    }
    void Note(UX::TControl* sender, const char* what) { lines.push_back(std::string(sender->GetNameText()) + "." + what); }

    void Watch(UX::TControl* control)
    {
        control->Event(UX::EVENT_MOUSE_ENTER).AddHandler(0, this, &TJournal::Enter);
        control->Event(UX::EVENT_MOUSE_LEAVE).AddHandler(0, this, &TJournal::Leave);
        control->Event(UX::EVENT_MOUSE_DOWN).AddHandler(0, this, &TJournal::Down);
        control->Event(UX::EVENT_MOUSE_UP).AddHandler(0, this, &TJournal::Up);
        control->Event(UX::EVENT_CLICK).AddHandler(0, this, &TJournal::Click);
        control->Event(UX::EVENT_ACTION).AddHandler(0, this, &TJournal::Action);
    }

    std::vector<std::string> lines;
};

// Claims the actions named "claimed" when it is offered them first.
struct TInterceptor : UX::TControl
{
    i32 OnAction(UX::TControl*, const TName& action) override { return action == TName("claimed") ? 1 : 0; }
};

class InputTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        form = Form();
        form->Show(2);
        Frame();
        button = Find("ux_demo_button_1");
        other = Find("ux_demo_button_2");
        journal.Watch(button);
        journal.Watch(other);
    }


    UX::TControl* form = nullptr;
    UX::TControl* button = nullptr;
    UX::TControl* other = nullptr;
    TJournal journal;
};
} // namespace

// The press the UX took is not the game's too; one beside the UX is.
TEST_F(InputTest, APressAndReleaseOnAButtonClicksAndFocusesIt)
{
    TInput* left = TInputManager::Instance().FindInput(TName("mbLeftButton"));
    ASSERT_NE(left, nullptr);
    MouseTo(2.0f, 2.0f);
    Button(true);
    Frame();
    EXPECT_TRUE(left->WasPressed());
    Button(false);
    Frame();
    MouseOn(button);
    Frame();
    Button(true);
    Frame();
    EXPECT_FALSE(left->WasPressed());
    EXPECT_TRUE(button->nFlags & UX::CONTROL_PRESSED);
    EXPECT_EQ(button->nTargetState, UX::STATE_PRESSED);
    EXPECT_EQ(Ux().GetFocus(), button);
    Button(false);
    Frame();
    EXPECT_FALSE(button->nFlags & UX::CONTROL_PRESSED);
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"ux_demo_button_1.enter", "ux_demo_button_1.down",
                                                       "ux_demo_button_1.click", "ux_demo_button_1.up"}));
}

// A click shorter than a frame: both records arrive before the frame that reads the buttons.
TEST_F(InputTest, AClickWithinOneFrameStillClicksTheButton)
{
    MouseOn(button);
    Frame();
    Button(true);
    Button(false);
    Frame();
    EXPECT_EQ(Ux().GetFocus(), button);
    Frame();
    EXPECT_FALSE(button->nFlags & UX::CONTROL_PRESSED);
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"ux_demo_button_1.enter", "ux_demo_button_1.down",
                                                       "ux_demo_button_1.click", "ux_demo_button_1.up"}));
}

TEST_F(InputTest, APressThatLeavesTheButtonBeforeTheReleaseIsNoClickAndLosesTheFocus)
{
    MouseOn(button);
    Frame();
    Button(true);
    Frame();
    ASSERT_EQ(Ux().GetFocus(), button);
    MouseOn(other);
    Frame();
    Button(false);
    Frame();
    EXPECT_EQ(Ux().GetFocus(), nullptr);
    EXPECT_FALSE(button->nFlags & (UX::CONTROL_PRESSED | UX::CONTROL_PRESS_BEGAN));
    // The release over the other button is its mouse-up, without a click.
    EXPECT_EQ(journal.lines,
              (std::vector<std::string>{"ux_demo_button_1.enter", "ux_demo_button_1.down", "ux_demo_button_2.enter",
                                        "ux_demo_button_1.leave", "ux_demo_button_1.up", "ux_demo_button_2.up"}));
}

TEST_F(InputTest, ACapturingControlKeepsThePressOutsideItAndLetsGoAfterwards)
{
    button->nFlags |= UX::CONTROL_CAPTURES;
    MouseOn(button);
    Frame();
    Button(true);
    Frame();
    EXPECT_EQ(Ux().GetCapture(), button);
    MouseOn(other);
    Frame();
    EXPECT_TRUE(button->nFlags & UX::CONTROL_HOVERED) << "held outside, it stays hovered";
    EXPECT_FALSE(other->nFlags & UX::CONTROL_HOVERED) << "the capture keeps other controls out";
    Button(false);
    Frame();
    Frame();
    EXPECT_EQ(Ux().GetCapture(), nullptr);
    EXPECT_TRUE(other->nFlags & UX::CONTROL_HOVERED) << "once let go, the control under the mouse has it";
    // A captured press released outside still clicks.
    EXPECT_EQ(journal.lines,
              (std::vector<std::string>{"ux_demo_button_1.enter", "ux_demo_button_1.down", "ux_demo_button_1.click",
                                        "ux_demo_button_1.up", "ux_demo_button_2.enter", "ux_demo_button_1.leave"}));
}

TEST_F(InputTest, AModalFormKeepsClicksFromOtherControlsAndTheyRemoveTheFocus)
{
    other->SetFocus();
    UX::TControl* header = Find("ux_demo_header");
    Ux().SetModalForm(header);
    MouseOn(button);
    Frame();
    Button(true);
    Frame();
    Button(false);
    Frame();
    EXPECT_FALSE(button->nFlags & UX::CONTROL_HOVERED);
    EXPECT_EQ(Ux().GetFocus(), nullptr);
    EXPECT_TRUE(journal.lines.empty());
    Ux().SetModalForm(nullptr);
}

TEST_F(InputTest, TheSeventeenthEventOfAFrameIsDropped)
{
    for (u32 i = 0; i < 17; ++i)
        Type(0x10, 'q');
    EXPECT_EQ(Ux().GetQueuedEventCount(), 16u);
    Frame();
    EXPECT_EQ(Ux().GetFrameEventCount(), 16u);
    EXPECT_EQ(Ux().GetQueuedEventCount(), 0u);
}

// Scope 2 serves only a form on top of its layer; scope 0 the focused control.
TEST_F(InputTest, KeyBindingsActByTheirScope)
{
    form->AddActionBinding(TName("ux_test_top", true), "q", UX::SCOPE_TOP_FORM);
    form->Event(UX::EVENT_ACTION).AddHandler(0, &journal, &TJournal::Action);
    Type(0x10, 'q');
    Frame();
    ASSERT_EQ(journal.lines, (std::vector<std::string>{"UXDemo.action ux_test_top"}));

    UX::TForm cover;
    cover.Name = TName("cover", true);
    UX::TLayer* layer = Ux().GetLayer(1);
    layer->AddChild(&cover);
    layer->aControl.Add(&cover);
    Frame();
    Type(0x10, 'q');
    Frame();
    EXPECT_EQ(journal.lines.size(), 1u) << "a form under another does nothing";
    layer->aControl.SetCount(layer->aControl.GetCount() - 1);
    layer->RemoveChild(&cover);

    journal.lines.clear();
    button->AddActionBinding(TName("ux_test_focused", true), "w", UX::SCOPE_FOCUSED);
    Type(0x11, 'w');
    Frame();
    EXPECT_TRUE(journal.lines.empty()) << "without the focus the binding sleeps";
    button->SetFocus();
    Frame();
    Type(0x11, 'w');
    Frame();
    EXPECT_EQ(journal.lines, (std::vector<std::string>{"ux_demo_button_1.action ux_test_focused"}));
}

TEST_F(InputTest, ANinthBindingIsRefusedWithAWarning)
{
    // Space and Enter are a button's already.
    ASSERT_EQ(button->nActionBindingCount, 2);
    for (i32 i = 2; i < 8; ++i)
        EXPECT_EQ(button->AddActionBinding(TName("a"), "a", UX::SCOPE_FOCUSED), 0);
    EXPECT_EQ(button->AddActionBinding(TName("ninth", true), "b", UX::SCOPE_FOCUSED), 1);
    EXPECT_EQ(button->nActionBindingCount, 8);
    EXPECT_NE(m_Folder.SystemLog().find("'ux_demo_button_1': a ninth action binding ('ninth') is refused"),
              std::string::npos);
}

// A button's release plays its style's click sound, started with no node.
TEST_F(InputTest, AReleasePlaysTheStylesClickSound)
{
    TGameSound sound;
    TNode* sentinel = reinterpret_cast<TNode*>(&sound);
    sound.pStartNode = sentinel;
    button->pStyle->pSoundOnClick = &sound;
    MouseOn(button);
    Frame();
    Button(true);
    Frame();
    EXPECT_EQ(sound.pStartNode, sentinel) << "a press plays nothing";
    Button(false);
    Frame();
    EXPECT_EQ(sound.pStartNode, nullptr);
    button->pStyle->pSoundOnClick = nullptr;
}
