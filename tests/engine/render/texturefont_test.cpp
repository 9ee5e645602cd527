#include "engine/render/texturefont.h"
#include "engine/render/texturefontmanager.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Glyph table: the space at its direct index, then 'a' and 'b' found by search.
const TTextureFontGlyph s_aGlyph[] = {
    {u' ', 0, 0, 0, 0, 0, 0.0f, 4.0f, 0.0f},
    {u'a', 0, 0, 0, 0, 0, 1.0f, 10.0f, 2.0f},
    {u'b', 0, 0, 0, 0, 0, 0.0f, 6.0f, 0.0f},
};

void MakeFont(TTextureFont& font, const char* name)
{
    font.m_Name = TName(name, true);
    font.m_nLineHeight = 20;
    font.m_nGlyphCount = 3;
    font.pGlyph = s_aGlyph;
}

struct TextureFontTest : testing::Test
{
    TextureFontTest()
    {
        MakeFont(body, "Body");
        MakeFont(french, "Body.french");
        MakeFont(title, "Title");
        fonts().Add(&title);
        fonts().Add(&body);
        fonts().Add(&french);
        g_pTextureFontManager->SetFont(TName("Body"), 20.0f, 0.0f);
    }
    ~TextureFontTest() override
    {
        fonts().SetCount(0);
        g_pTextureFontManager->LoadAliases(TName("none", true));
        g_pTextureFontManager->OnClusterUnload();
    }
    static DArray<TTextureFont*>& fonts() { return g_pTextureFontManager->Fonts(); }
    std::vector<TTextLine> Layout(const f32 (&rect)[4], u32 alignment, u32 justify, const char16_t* text)
    {
        std::vector<TTextLine> lines;
        g_pTextureFontManager->LayoutRect(rect, alignment, justify, text, 0.0f, 0.0f,
                                          [&](const TTextLine& l) { lines.push_back(l); });
        return lines;
    }

    TTextureFont body, french, title;
};
} // namespace

TEST_F(TextureFontTest, WidthsCountLeadingButNotForTheFirstCharacter)
{
    EXPECT_FLOAT_EQ(16.0f, g_pTextureFontManager->GetTextWidth(u"ab", 0));
    EXPECT_FLOAT_EQ(17.0f, g_pTextureFontManager->GetTextWidth(u"ba", 0));
    EXPECT_FLOAT_EQ(10.0f, g_pTextureFontManager->GetTextWidth(u"ab", 1));
    EXPECT_FLOAT_EQ(10.0f, g_pTextureFontManager->GetTextWidth(u"a\nbbbb", 0));
    // A character outside the table measures as the first glyph.
    EXPECT_FLOAT_EQ(8.0f, g_pTextureFontManager->GetTextWidth(u"\u20ac\u20ac", 0));
    g_pTextureFontManager->SetFont(TName("Body"), 10.0f, 2.0f);
    EXPECT_FLOAT_EQ(0.5f, g_pTextureFontManager->GetScale());
    EXPECT_FLOAT_EQ(10.0f, g_pTextureFontManager->GetLineHeight());
    EXPECT_FLOAT_EQ((8.0f + 1.0f + 12.0f) * 0.5f, g_pTextureFontManager->GetTextWidth(u"ba", 0));
}

TEST_F(TextureFontTest, WrappingBreaksAtTheCharacterOrMovesTheLastWordDown)
{
    // One space on the line: the break comes at the character.
    TTextBox box = g_pTextureFontManager->MeasureText(20.0f, u"ab ab", 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(16.0f, box.fWidth);
    EXPECT_FLOAT_EQ(40.0f, box.fHeight);
    EXPECT_FLOAT_EQ(1.0f, box.fOne);
    // Two spaces: the word after the last one moves down.
    box = g_pTextureFontManager->MeasureText(30.0f, u"a a a a", 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(29.0f, box.fWidth);
    EXPECT_FLOAT_EQ(20.0f, box.fHeight);
    // Break characters add the line and the paragraph spacing.
    box = g_pTextureFontManager->MeasureText(100.0f, u"a\nb", 2.0f, 3.0f);
    EXPECT_FLOAT_EQ(10.0f, box.fWidth);
    EXPECT_FLOAT_EQ(25.0f, box.fHeight);
    box = g_pTextureFontManager->MeasureText(100.0f, u"", 2.0f, 3.0f);
    EXPECT_FLOAT_EQ(0.0f, box.fHeight);
    EXPECT_FLOAT_EQ(40.0f, body.LayoutText(30.0f, u"a a a a", TTextSpacing{1.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_FLOAT_EQ(0.0f, body.LayoutText(30.0f, u"", TTextSpacing{1.0f, 0.0f, 0.0f, 0.0f}));
}

TEST_F(TextureFontTest, RectanglesAlignAndJustifyTheirLines)
{
    const f32 rect[4] = {0.0f, 0.0f, 30.0f, 100.0f};
    std::vector<TTextLine> lines = Layout(rect, 0, 1, u"a a a a");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0, lines[0].nFirst);
    EXPECT_EQ(4, lines[0].nCount);
    EXPECT_FLOAT_EQ(0.0f, lines[0].fX);
    EXPECT_FLOAT_EQ(30.0f, lines[0].fY); // a 40-high block centred in 100
    EXPECT_FLOAT_EQ(1.0f, lines[0].fSpaceExtra);
    EXPECT_EQ(4, lines[1].nFirst);
    EXPECT_EQ(3, lines[1].nCount);
    EXPECT_FLOAT_EQ(50.0f, lines[1].fY);
    EXPECT_FLOAT_EQ(0.0f, lines[1].fSpaceExtra);

    lines = Layout(rect, 11, 0, u"a a a a");
    ASSERT_EQ(2u, lines.size());
    EXPECT_FLOAT_EQ(0.5f, lines[0].fX);
    EXPECT_FLOAT_EQ(0.0f, lines[0].fY);
    EXPECT_FLOAT_EQ(0.0f, lines[0].fSpaceExtra);
    EXPECT_FLOAT_EQ(2.5f, lines[1].fX);
    EXPECT_FLOAT_EQ(20.0f, lines[1].fY);

    lines = Layout(rect, 22, 0, u"ab\nb");
    ASSERT_EQ(2u, lines.size());
    EXPECT_FLOAT_EQ(14.0f, lines[0].fX);
    EXPECT_FLOAT_EQ(60.0f, lines[0].fY);
    EXPECT_EQ(3, lines[1].nFirst);
    EXPECT_FLOAT_EQ(24.0f, lines[1].fX);
}

TEST_F(TextureFontTest, UnknownFontsFallBackToTheFirstAndAliasesFollowTheLanguage)
{
    g_pTextureFontManager->SetFont(TName("Missing", true), 20.0f, 0.0f);
    EXPECT_EQ(&title, g_pTextureFontManager->GetFont());
    g_pTextureFontManager->LoadAliases(TName("french", true));
    EXPECT_EQ(1u, g_pTextureFontManager->GetAliasCount());
    g_pTextureFontManager->SetFont(TName("Body"), 20.0f, 0.0f);
    EXPECT_EQ(&french, g_pTextureFontManager->GetFont());
    g_pTextureFontManager->SetFont(TName("Title"), 20.0f, 0.0f);
    EXPECT_EQ(&title, g_pTextureFontManager->GetFont());
}

TEST(TextureFontManagerTest, WithoutFontsEveryQueryAnswersNoFont)
{
    g_pTextureFontManager->OnClusterUnload();
    EXPECT_FLOAT_EQ(-1.0f, g_pTextureFontManager->GetLineHeight());
    EXPECT_FLOAT_EQ(-1.0f, g_pTextureFontManager->GetTextWidth(u"ab", 0));
    g_pTextureFontManager->SetFont(TName("Body", true), 20.0f, 0.0f);
    EXPECT_EQ(nullptr, g_pTextureFontManager->GetFont());
    EXPECT_FLOAT_EQ(-1.0f, g_pTextureFontManager->GetLineHeight());
    const TTextBox box = g_pTextureFontManager->MeasureText(10.0f, u"ab", 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(0.0f, box.fWidth);
    EXPECT_FLOAT_EQ(1.0f, box.fOne);
}
