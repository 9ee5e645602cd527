// Fonts: the index of faces and sizes, markup-aware widths, the layout of marked-up text in a
// rectangle, and the colour conversions and tables.
#include "texturefixture.h"

#include "directx/render/dxfontmanager.h"

#include <memory>
#include <string>
#include <vector>

namespace
{
const TColor kWhite = {1.0f, 1.0f, 1.0f, 1.0f};

// Records the segments it is asked to draw instead of drawing them.
class TRecordingFont : public TDxFontData
{
public:
    struct TSegment
    {
        std::string text;
        RECT rect;
        DWORD format;
        u32 color;
    };
    std::vector<TSegment> segments;

protected:
    void _Draw(const char* text, i32 count, RECT& rect, DWORD format, u32 color) override
    {
        segments.push_back({std::string(text, static_cast<size_t>(count)), rect, format, color});
    }
};

class FontTest : public TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        m_Font.m_Face = TName("Arial", true);
        m_Font.m_nSize = 16;
    }
    void TearDown() override
    {
        m_Font.Unload();
        g_pDxFontManager->SetUserColors(0, nullptr);
        TextureTest::TearDown();
    }
    i32 Plain(const char16_t* text) { return m_Font.GetTextWidthW(text, -1); }

    TRecordingFont m_Font;
};

TEST_F(FontTest, WriteRectLaysOutColoursColumnsAndLinesAndUserColoursKeepTheirBounds)
{
    const f32 rect[4] = {10.0f, 20.0f, 300.0f, 200.0f};
    m_Font.WriteRect(rect, kWhite, "ab^cde\nfg|050x", 0);
    ASSERT_EQ(m_Font.segments.size(), 4u);
    const auto& s = m_Font.segments;
    EXPECT_EQ(s[0].text, "ab");
    EXPECT_EQ(s[0].rect.left, 10);
    EXPECT_EQ(s[0].color, 0xFFFFFFFFu);
    // "^c" is the table's (1, 0, 0), component 0 going to the blue byte.
    EXPECT_EQ(s[1].text, "de");
    EXPECT_EQ(s[1].rect.left, 10 + Plain(u"ab"));
    EXPECT_EQ(s[1].color, 0xFF0000FFu);
    // A new line: 15 pixels lower, back at the left edge, base colour again.
    EXPECT_EQ(s[2].text, "fg");
    EXPECT_EQ(s[2].rect.left, 10);
    EXPECT_EQ(s[2].rect.top, 35);
    EXPECT_EQ(s[2].color, 0xFFFFFFFFu);
    // A column from the left edge.
    EXPECT_EQ(s[3].text, "x");
    EXPECT_EQ(s[3].rect.left, 60);
    EXPECT_EQ(s[3].rect.top, 35);

    // "^>" right-aligns what follows so that it ends at the pen; "^." and "^:" restore and swap.
    m_Font.segments.clear();
    m_Font.WriteRect(rect, kWhite, "abc^>de^<^hf^.g^:h", 0);
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[1].text, "de");
    EXPECT_EQ(s[1].format & DT_RIGHT, DT_RIGHT);
    EXPECT_EQ(s[1].rect.left, 10);
    EXPECT_EQ(s[1].rect.right, 10 + Plain(u"abc"));
    EXPECT_EQ(s[2].text, "f");
    EXPECT_EQ(s[2].color, 0xFF00FF00u);
    EXPECT_EQ(s[3].text, "g");
    EXPECT_EQ(s[3].color, 0xFFFFFFFFu);
    EXPECT_EQ(s[4].text, "h");
    EXPECT_EQ(s[4].color, 0xFF00FF00u);

    // User colours keep to the ones set.
    const TColor palette[2] = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}};
    g_pDxFontManager->SetUserColors(2, palette);
    m_Font.segments.clear();
    const TColor base = {1.0f, 1.0f, 1.0f, 0.5f};
    m_Font.WriteRect(rect, base, "^Bx^Hy", 0);
    ASSERT_EQ(m_Font.segments.size(), 2u);
    // The user colour with the base's alpha.
    EXPECT_EQ(m_Font.segments[0].color, 0x80FF0000u);
    EXPECT_EQ(m_Font.segments[1].color, 0x80FFFFFFu);
    EXPECT_NE(m_Log.SystemLog().find("only 2 user colors are set (H accessed)"), std::string::npos);
}
} // namespace
