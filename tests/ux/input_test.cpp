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

struct TClickCase
{
    const char* what;
    bool capture, modal, oneFrame, leave, focused;
    std::vector<std::string> lines;
};
const std::vector<std::string> kClick = {"ux_demo_button_1.enter", "ux_demo_button_1.down", "ux_demo_button_1.click",
                                         "ux_demo_button_1.up"};

class ClickTest : public InputTest, public testing::WithParamInterface<TClickCase>
{
};

// A press beside the UX is the game's, one the UX took is not; a click shorter than a frame still
// clicks; a press that leaves is no click and loses the focus, unless captured (released outside,
// it still clicks); a modal form keeps clicks from other controls, and they remove the focus.
TEST_P(ClickTest, APressAndReleaseOverAButton)
{
    const TClickCase& c = GetParam();
    TInput* left = TInputManager::Instance().FindInput(TName("mbLeftButton"));
    ASSERT_NE(left, nullptr);
    MouseTo(2.0f, 2.0f);
    Button(true);
    Frame();
    EXPECT_TRUE(left->WasPressed());
    Button(false);
    Frame();
    if (c.capture)
        button->nFlags |= UX::CONTROL_CAPTURES;
    if (c.modal)
    {
        other->SetFocus();
        Ux().SetModalForm(Find("ux_demo_header"));
    }
    MouseOn(button);
    Frame();
    Button(true);
    if (!c.oneFrame)
    {
        Frame();
        EXPECT_EQ(Ux().GetCapture(), c.capture ? button : nullptr);
        if (!c.modal)
        {
            EXPECT_FALSE(left->WasPressed());
            EXPECT_TRUE(button->nFlags & UX::CONTROL_PRESSED);
            EXPECT_EQ(button->nTargetState, UX::STATE_PRESSED);
            EXPECT_EQ(Ux().GetFocus(), button);
        }
    }
    if (c.leave)
    {
        MouseOn(other);
        Frame();
        EXPECT_EQ(button->nFlags & UX::CONTROL_HOVERED, c.capture ? UX::CONTROL_HOVERED : 0u) << "held outside";
        EXPECT_EQ(other->nFlags & UX::CONTROL_HOVERED, c.capture ? 0u : UX::CONTROL_HOVERED);
    }
    Button(false);
    Frame();
    EXPECT_EQ(Ux().GetFocus(), c.focused ? button : nullptr);
    Frame();
    EXPECT_FALSE(button->nFlags & (UX::CONTROL_PRESSED | UX::CONTROL_PRESS_BEGAN));
    EXPECT_EQ(Ux().GetCapture(), nullptr);
    EXPECT_EQ(button->nFlags & UX::CONTROL_HOVERED, c.leave || c.modal ? 0u : UX::CONTROL_HOVERED);
    if (c.capture)
        EXPECT_TRUE(other->nFlags & UX::CONTROL_HOVERED) << "once let go, the control under the mouse has it";
    EXPECT_EQ(journal.lines, c.lines);
    Ux().SetModalForm(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, ClickTest,
    testing::Values(TClickCase{"click", false, false, false, false, true, kClick},
                    TClickCase{"one_frame", false, false, true, false, true, kClick},
                    TClickCase{"leaving", false, false, false, true, false,
                               {"ux_demo_button_1.enter", "ux_demo_button_1.down", "ux_demo_button_2.enter",
                                "ux_demo_button_1.leave", "ux_demo_button_1.up", "ux_demo_button_2.up"}},
                    TClickCase{"captured", true, false, false, true, true,
                               {"ux_demo_button_1.enter", "ux_demo_button_1.down", "ux_demo_button_1.click",
                                "ux_demo_button_1.up", "ux_demo_button_2.enter", "ux_demo_button_1.leave"}},
                    TClickCase{"modal", false, true, false, false, false, {}}),
    [](const testing::TestParamInfo<TClickCase>& info) { return std::string(info.param.what); });

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
    EXPECT_TRUE(Logged("'ux_demo_button_1': a ninth action binding ('ninth') is refused"));
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
