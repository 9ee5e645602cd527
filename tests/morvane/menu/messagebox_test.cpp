// The UX screens' message box over the menus: one message at a time in the order they came, the
// typed text and the callbacks called once; and its golden image over the main menu after use.
#include "menufixture.h"

#include "ux/controls/ux.control.label.h"

namespace
{
// Records what the result event hands its callbacks.
struct TAnswers
{
    void OnAnswer(UX::TControl*, TUIMessageResult* result)
    {
        aButton.push_back(result->nButton);
        aText.emplace_back(result->pText);
    }
    std::vector<i32> aButton;
    std::vector<std::u16string> aText;
};

class MessageBoxTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ASSERT_NE(Box().GetForm(), nullptr) << "the level carries the message box's form";
        Start();
    }
    static UX::TLocalization Text(const char16_t* text) { return UX::TLocalization(text); }
    static std::u16string Shown(const UX::TLabel* label) { return label->Text.GetText(); }
};
} // namespace

// Messages of one frame show one after the other in their order, the queue growing to twice its
// capacity and one; used again, the box matches its golden image.
TEST_F(MessageBoxTest, MessagesOfOneFrameShowOneAfterTheOtherAndTheBoxUsedAgainMatchesItsGoldenImage)
{
    Box().Show(Text(u"Shown"), Text(u"0"), MESSAGE_INFORMATION, MESSAGE_ANY_TIME);
    std::vector<u32> capacities;
    for (const char16_t* text : {u"1", u"2", u"3", u"4"})
    {
        Box().Show(Text(u"Queued"), Text(text), MESSAGE_WARNING, MESSAGE_ANY_TIME);
        capacities.push_back(Box().GetQueueCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<u32>{1, 3, 3, 7}));
    MenuFrames(3);
    EXPECT_EQ(Shown(Box().GetTextLabel()), u"0") << "the next waits while the first shows";
    for (const char16_t* text : {u"1", u"2", u"3", u"4"})
    {
        Press(Box().GetFirstButton());
        EXPECT_FALSE(Box().GetForm()->IsVisibleOnScreen()) << "hidden at once";
        MenuFrame();
        EXPECT_EQ(Shown(Box().GetTextLabel()), text);
    }
    EXPECT_EQ(Box().GetQueueCount(), 0u);
    // Over the main menu, past its fade-in.
    Press(Box().GetFirstButton());
    Box().Show(Text(u"Saved game"), Text(u"The game could not be saved."), MESSAGE_QUESTION, MESSAGE_ANY_TIME);
    RealFrames(30);
    EXPECT_EQ(RenderGolden("message_box_1280x720", 1280, 720, true), "");
}

TEST_F(MessageBoxTest, TypedTextReachesTheCallbackOnceAndTheBoxIsEmptiedForTheNext)
{
    TAnswers answers;
    Box().ShowWithCallback(Text(u"Name"), Text(u"Type a name"), &answers, &TAnswers::OnAnswer, MESSAGE_TEXT_INPUT,
                           MESSAGE_ANY_TIME);
    UX::TButton* first = Box().GetFirstButton();
    MenuFrame();
    EXPECT_FALSE(first->IsEnabledAll()) << "nothing typed yet";
    Type(Box().GetTextBox(), u"Ada");
    MenuFrame();
    EXPECT_TRUE(first->IsEnabledAll());
    Type(Box().GetTextBox(), u"");
    MenuFrame();
    EXPECT_FALSE(first->IsEnabledAll()) << "emptied again";
    Type(Box().GetTextBox(), u"Ada");
    MenuFrame();
    Press(first);
    EXPECT_EQ(answers.aButton, (std::vector<i32>{1}));
    EXPECT_EQ(answers.aText, (std::vector<std::u16string>{u"Ada"}));
    EXPECT_EQ(Box().GetTextBox()->Text.GetCount(), 0u);
    EXPECT_EQ(Box().GetTextBox()->Cursor, 0);
    EXPECT_FALSE(Box().GetResultEvent().HasHandler());

    // The next message has no callback: the first one is not called again.
    Box().Show(Text(u"Plain"), Text(u"text"), MESSAGE_QUESTION, MESSAGE_ANY_TIME);
    Press(Box().GetSecondButton());
    EXPECT_EQ(answers.aButton.size(), 1u);

    // A queued message takes its callback with it; cancelling hands over 0 and an empty text.
    Box().Show(Text(u"Busy"), Text(u"text"), MESSAGE_INFORMATION, MESSAGE_ANY_TIME);
    Box().ShowWithCallback(Text(u"Later"), Text(u"text"), &answers, &TAnswers::OnAnswer, MESSAGE_QUESTION,
                           MESSAGE_ANY_TIME);
    EXPECT_FALSE(Box().GetResultEvent().HasHandler()) << "attached when it shows";
    Press(Box().GetFirstButton());
    EXPECT_EQ(answers.aButton.size(), 1u);
    MenuFrame();
    Press(Box().GetSecondButton());
    EXPECT_EQ(answers.aButton, (std::vector<i32>{1, 0}));
    EXPECT_EQ(answers.aText.back(), u"");
}
