// Fonts: the index of faces and sizes, markup-aware widths, the layout of marked-up text in a
// rectangle, and the colour conversions and tables.
#include "texturefixture.h"

#include "directx/render/dxfontmanager.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{
const TColor kWhiteText = {1.0f, 1.0f, 1.0f, 1.0f};

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
    // Each segment as "text left,top colour", or "text colour".
    const auto laid = [this](bool placed = true) {
        std::vector<std::string> out;
        char colour[12];
        for (const auto& segment : m_Font.segments)
        {
            std::snprintf(colour, sizeof colour, "%08x", segment.color);
            out.push_back(segment.text + " " +
                          (placed ? std::to_string(segment.rect.left) + "," + std::to_string(segment.rect.top) + " " : "") +
                          colour);
        }
        m_Font.segments.clear();
        return out;
    };
    const f32 rect[4] = {10.0f, 20.0f, 300.0f, 200.0f};
    // "^c" is the table's (1, 0, 0), component 0 going to the blue byte; a new line is 15 pixels
    // lower, back at the left edge in the base colour; "|050" a column from the left edge.
    m_Font.WriteRect(rect, kWhiteText, "ab^cde\nfg|050x", 0);
    EXPECT_EQ(laid(), (std::vector<std::string>{"ab 10,20 ffffffff", "de " + std::to_string(10 + Plain(u"ab")) + ",20 ff0000ff",
                                               "fg 10,35 ffffffff", "x 60,35 ffffffff"}));

    // "^>" right-aligns what follows so that it ends at the pen; "^." and "^:" restore and swap.
    m_Font.WriteRect(rect, kWhiteText, "abc^>de^<^hf^.g^:h", 0);
    const auto& s = m_Font.segments;
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[1].format & DT_RIGHT, DT_RIGHT);
    EXPECT_EQ(s[1].rect.left, 10);
    EXPECT_EQ(s[1].rect.right, 10 + Plain(u"abc"));
    EXPECT_EQ(laid(false), (std::vector<std::string>{"abc ffffffff", "de ffffffff", "f ff00ff00", "g ffffffff", "h ff00ff00"}));

    // User colours keep to the ones set.
    const TColor palette[2] = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f, 0.0f}};
    g_pDxFontManager->SetUserColors(2, palette);
    // The user colour with the base's alpha.
    const TColor base = {1.0f, 1.0f, 1.0f, 0.5f};
    m_Font.WriteRect(rect, base, "^Bx^Hy", 0);
    EXPECT_EQ(laid(false), (std::vector<std::string>{"x 80ff0000", "y 80ffffff"}));
    EXPECT_NE(m_Log.SystemLog().find("only 2 user colors are set (H accessed)"), std::string::npos);
}
} // namespace
