// Text entry through the window layer: the character rules, the maximum, pasting, Escape and
// Enter with the select latch, the tab ring and the one editing edit.
#include "uifixture.h"

#include "core/system/platform.h"
#include "engine/input/inputmanager.h"
#include "ui/uiedit.h"

#include <string>

namespace
{
class UIEditTest : public UITest
{
protected:
    void SetUp() override
    {
        UITest::SetUp();
        m_pEdit = MakeEdit("name", 100.0f);
        m_pEdit->OnAccept.Add([this](TUIItem*, const void*) {
            ++m_nAccepted;
            return 0;
        });
        m_pEdit->OnCancel.Add([this](TUIItem*, const void*) {
            ++m_nCancelled;
            return 0;
        });
    }

    TUIEdit* MakeEdit(const char* name, f32 y)
    {
        auto* edit = MakeRoot<TUIEdit>("TUIEdit", name, 300.0f, 40.0f);
        edit->SetPosition(100.0f, y);
        return edit;
    }
    // Characters typed as the window sends them, then a frame.
    void Type(const std::u16string& text)
    {
        for (char16_t c : text)
            Char(c, 0x10);
        Frame();
    }
    std::u16string Text(const TUIEdit* edit) const { return edit->GetText(); }

    TUIEdit* m_pEdit = nullptr;
    i32 m_nAccepted = 0;
    i32 m_nCancelled = 0;
};

TEST_F(UIEditTest, AClickBeginsEditingUnlessARequestListenerRefuses)
{
    i32 requests = 0;
    m_pEdit->OnEditRequest.Add([&requests](TUIItem*, const void*) { return ++requests == 1 ? 1 : 0; });
    ClickAt(150, 120);
    EXPECT_FALSE(m_pEdit->IsEditing());
    ClickAt(150, 120);
    EXPECT_TRUE(m_pEdit->IsEditing());
    EXPECT_EQ(g_pUIManager->m_pEditItem, m_pEdit);
    // A press elsewhere cancels.
    ClickAt(800, 600);
    EXPECT_FALSE(m_pEdit->IsEditing());
    EXPECT_EQ(m_nCancelled, 1);
    EXPECT_EQ(g_pUIManager->m_pEditItem, nullptr);
}

TEST_F(UIEditTest, TypedCharactersFollowTheRulesAndTheThirtyThirdIsRefused)
{
    m_pEdit->BeginEdit();
    Type(u"-");
    EXPECT_EQ(Text(m_pEdit), u"") << "no punctuation first";
    Type(u"a-b c@d.e_f%g!");
    EXPECT_EQ(Text(m_pEdit), u"a-b c@d.e_fg");
    m_pEdit->m_Excluded = "x";
    Type(u"xy");
    EXPECT_EQ(Text(m_pEdit), u"a-b c@d.e_fgy");
    // Control characters and control combinations type nothing.
    Control(true);
    Char(u'k', 0x25);
    Control(false);
    Frame();
    EXPECT_EQ(Text(m_pEdit), u"a-b c@d.e_fgy");
    // The thirty-third character is refused (the window's character queue holds fewer than 32).
    Type(std::u16string(10, u'q'));
    Type(std::u16string(9, u'q'));
    EXPECT_EQ(m_pEdit->GetLength(), 32);
    Type(u"r");
    EXPECT_EQ(m_pEdit->GetLength(), 32);
    // Backspace makes room again.
    Char(8, 0x0E);
    Type(u"r");
    EXPECT_EQ(Text(m_pEdit).back(), u'r');
    EXPECT_EQ(m_pEdit->GetLength(), 32);
}

TEST_F(UIEditTest, PastedTextPassesTheRulesStopsAtTheMaximumAndOneTooLongIsDroppedWhole)
{
    const std::u16string letters = u"c%d!e-fghijklmnopqrstuvwxyz0123456789";
    // After "ab": 61 pasted characters make 63, the most the text holds; 62 are dropped whole.
    const struct
    {
        std::u16string pasted;
        std::u16string text;
    } cases[] = {{letters, u"abcde-fghijklmnopqrstuvwxyz01234"},
                 {std::u16string(61, u'x'), u"ab" + std::u16string(30, u'x')},
                 {std::u16string(62, u'x'), u"ab"}};
    for (const auto& c : cases)
    {
        m_pEdit->SetText(u"");
        m_pEdit->BeginEdit();
        Type(u"ab");
        ClipboardSetText(c.pasted.c_str());
        Control(true);
        Char(0x16, 0x2F);
        Control(false);
        Frame();
        EXPECT_EQ(Text(m_pEdit), c.text) << c.pasted.size();
    }
    EXPECT_EQ(m_pEdit->GetLength(), 2);
    // Control+C copies the text.
    Control(true);
    Char(0x03, 0x2E);
    Control(false);
    Frame();
    EXPECT_EQ(std::u16string(ClipboardGetText()), Text(m_pEdit));
}

TEST_F(UIEditTest, EscapeClearsAndCancelsEnterAcceptsAndBothLatchSelect)
{
    i32 clicks = 0;
    auto* button = MakeRoot<TUIItem>("TUIButton", "ok", 10.0f, 10.0f);
    button->AddAction("menuselect");
    button->OnClickList.Add([&clicks](TUIItem*, const void*) {
        ++clicks;
        return 0;
    });
    m_pEdit->BeginEdit();
    Type(u"abc");
    // Enter as typed, with its key held for the action in the same frame.
    Key(0x1C, true);
    Char(13, 0x1C);
    Frame();
    EXPECT_EQ(m_nAccepted, 1);
    EXPECT_EQ(Text(m_pEdit), u"abc");
    EXPECT_EQ(clicks, 0) << "the press that accepted does not click";
    Key(0x1C, false);
    Frame();
    m_pEdit->BeginEdit();
    Char(27, 0x01);
    Frame();
    EXPECT_EQ(m_nCancelled, 1);
    EXPECT_EQ(Text(m_pEdit), u"");
    EXPECT_FALSE(m_pEdit->IsEditing());
}

TEST_F(UIEditTest, TabWalksTheRingSkippingHiddenEditsAndAcceptsTheOneLeft)
{
    TUIEdit* second = MakeEdit("second", 160.0f);
    TUIEdit* third = MakeEdit("third", 220.0f);
    TUIEdit* ring[3] = {m_pEdit, second, third};
    TUIEdit::LinkRing(ring, 3);
    second->SetVisible(false);
    m_pEdit->BeginEdit();
    Char(9, 0x0F);
    Frame();
    EXPECT_TRUE(third->IsEditing());
    EXPECT_FALSE(m_pEdit->IsEditing());
    EXPECT_EQ(m_nAccepted, 1);
    Char(9, 0x0F);
    Frame();
    EXPECT_TRUE(m_pEdit->IsEditing()) << "from the last back to the first";
    Shift(true);
    Char(9, 0x0F);
    Shift(false);
    Frame();
    EXPECT_TRUE(third->IsEditing());
}

TEST_F(UIEditTest, TheKeyboardIsReleasedWhenTheEditingEditGoes)
{
    TInputManager& input = TInputManager::Instance();
    const i32 before = input.BufferedInputEnable() - 1;
    input.BufferedInputDisable();
    m_pEdit->BeginEdit();
    EXPECT_EQ(g_pUIManager->m_pEditItem, m_pEdit);
    g_pUIManager->FinalizeManager();
    EXPECT_EQ(g_pUIManager->m_pEditItem, nullptr);
    EXPECT_EQ(input.BufferedInputEnable() - 1, before) << "no capture left behind";
    input.BufferedInputDisable();
    m_pEdit = nullptr;
}
} // namespace
