#include "d3dxfixture.h"

#include "platform/d3dx9/fontfacecache.h"
#include "platform/d3dx9/textdecode.h"
#include "platform/d3dx9/textlayout.h"
#include "platform/d3dx9/wingdi.h"

#include <cstring>

namespace
{
const char kParagraph[] =
    "The quick brown fox jumps over the lazy dog while the tower clears flight 42 to land.";

LONG MeasureGdi(const char* face, int height, const char* text)
{
    HFONT font = CreateFontA(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
    EXPECT_NE(nullptr, font);
    HDC dc = GetDC(nullptr);
    SelectObject(dc, font);
    SIZE size = {-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size));
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return size.cx;
}

class FontTest : public D3DXTest
{
protected:
    void SetUp() override { MakeDevice(192, 64); }

    ID3DXFont* MakeFont(const char* face, int height)
    {
        ID3DXFont* font = nullptr;
        EXPECT_EQ(D3D_OK, D3DXCreateFontA(device, -height, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET, 7, 5, 0,
                                          face, &font));
        return Own(font);
    }

    // Clears the back buffer to black, draws white text and reads the pixels back.
    std::vector<std::uint32_t> Draw(ID3DXFont* font, const char* text, RECT rect, DWORD format)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        EXPECT_GT(font->DrawTextA(nullptr, text, -1, &rect, format, 0xFFFFFFFFu), 0);
        device->EndScene();
        return ReadBackBuffer();
    }

    // The columns from the first to the last that hold a lit pixel.
    static std::pair<int, int> InkColumns(const std::vector<std::uint32_t>& pixels, int width)
    {
        int first = width, last = -1;
        for (std::size_t i = 0; i < pixels.size(); ++i)
            if (pixels[i] != 0)
            {
                first = std::min(first, int(i % width));
                last = std::max(last, int(i % width));
            }
        return {first, last};
    }
};
} // namespace

TEST(TextTest, GdiMeasuresAdvancesWithoutKerningInEitherCharacterSet)
{
    const LONG ab = MeasureGdi("Arial", 16, "AV");
    EXPECT_EQ(ab, MeasureGdi("Arial", 16, "A") + MeasureGdi("Arial", 16, "V"));
    EXPECT_GT(MeasureGdi("Arial", 24, "AV"), ab);

    HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(nullptr, SelectObject(dc, font));
    SIZE narrow, wide;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Gate 7\x80", 7, &narrow));
    const char16_t text[] = u"Gate 7\u20AC";
    ASSERT_TRUE(GetTextExtentPoint32W(dc, text, 7, &wide));
    EXPECT_EQ(narrow.cx, wide.cx);
    EXPECT_EQ(narrow.cy, wide.cy);
    // A count shorter than the text measures only that much; an empty text measures 0.
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "Gate 7", 4, &narrow));
    EXPECT_EQ(narrow.cx, MeasureGdi("Arial", 16, "Gate"));
    SelectObject(dc, font);
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "", 0, &narrow));
    EXPECT_EQ(0, narrow.cx);

    // Stale handles fail instead of being followed.
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "Gate", 4, &narrow));
    EXPECT_EQ(nullptr, SelectObject(dc, font));
    ReleaseDC(nullptr, dc);
}

TEST(TextTest, TextsDecodeFromWindows1252AndUtf16)
{
    EXPECT_EQ(U"\u20AC\u00E9a", DecodeAnsiText("\x80\xE9"
                                               "a",
                                               -1));
    EXPECT_EQ(U"ab", DecodeAnsiText("abc", 2));
    const char16_t pair[] = {u'x', 0xD83D, 0xDE80, 0xDC00, 0};
    EXPECT_EQ(std::u32string(U"x\U0001F680\uFFFD"), DecodeWideText(pair, -1));
    // A high surrogate cut off by the count is not paired with what lies beyond.
    EXPECT_EQ(std::u32string(U"x\uFFFD"), DecodeWideText(pair, 2));
}

TEST(TextTest, LayoutBreaksWordsAlignsAndStartsLinesAtLineFeeds)
{
    std::shared_ptr<TFontFace> face = TFontFaceCache::Find("Arial", -16, FW_NORMAL);
    const std::u32string text = DecodeAnsiText(kParagraph, -1);
    const RECT rect = {10, 20, 130, 200};
    const TTextLayout layout = LayoutText(*face, text, rect, DT_WORDBREAK);
    ASSERT_GT(layout.lines.size(), 3u);
    std::u32string joined;
    for (std::size_t i = 0; i < layout.lines.size(); ++i)
    {
        const TTextLine& line = layout.lines[i];
        EXPECT_LE(line.width, 120);
        EXPECT_EQ(10, line.x);
        EXPECT_EQ(20 + int(i) * face->LineHeight(), line.y);
        const std::u32string part = text.substr(line.first, line.count);
        EXPECT_NE(U' ', part.front());
        EXPECT_NE(U' ', part.back());
        joined += (i ? U" " : U"") + part;
    }
    EXPECT_EQ(text, joined);
    EXPECT_EQ(int(layout.lines.size()) * face->LineHeight(), layout.height);

    // A word wider than the rectangle keeps a line of its own.
    const TTextLayout narrow = LayoutText(*face, U"a extraordinarily b", {0, 0, 30, 100}, DT_WORDBREAK);
    ASSERT_EQ(3u, narrow.lines.size());
    EXPECT_GT(narrow.lines[1].width, 30);

    const std::u32string two = U"left\nright side";
    const TTextLayout right = LayoutText(*face, two, {0, 0, 200, 100}, DT_RIGHT);
    ASSERT_EQ(2u, right.lines.size());
    EXPECT_EQ(200 - right.lines[1].width, right.lines[1].x);
    const TTextLayout centred = LayoutText(*face, two, {0, 0, 200, 100}, DT_CENTER);
    EXPECT_EQ((200 - centred.lines[0].width) / 2, centred.lines[0].x);
    const TTextLayout single = LayoutText(*face, two, {0, 0, 200, 100}, DT_SINGLELINE);
    ASSERT_EQ(1u, single.lines.size());
    EXPECT_EQ(right.lines[0].width + right.lines[1].width, single.lines[0].width);
}

TEST_F(FontTest, MeasuredWidthIsTheDrawnWidthForSeveralFacesAndHeights)
{
    const char* const faces[] = {"Arial", "Myriad Pro", "Trebuchet MS"};
    const char text[] = "Gate 4: refuel";
    for (const char* faceName : faces)
        for (int height : {11, 16, 23})
        {
            SCOPED_TRACE(std::string(faceName) + " " + std::to_string(height));
            ID3DXFont* font = MakeFont(faceName, height);
            ASSERT_NE(nullptr, font);
            const LONG measured = MeasureGdi(faceName, height, text);
            RECT calc = {7, 3, 7, 3};
            EXPECT_GT(font->DrawTextA(nullptr, text, -1, &calc, DT_CALCRECT | DT_NOCLIP, 0xFFFFFFFFu), 0);
            EXPECT_EQ(measured, calc.right - calc.left);

            // Right-aligned in a box exactly the measured width, the text lands where
            // left-aligned text starting at the box's left edge lands.
            const RECT box = {20, 8, 20 + measured, 60};
            const std::vector<std::uint32_t> left = Draw(font, text, box, DT_LEFT | DT_NOCLIP);
            const std::vector<std::uint32_t> right = Draw(font, text, box, DT_RIGHT | DT_NOCLIP);
            EXPECT_EQ(left, right);
            const auto [first, last] = InkColumns(left, 192);
            EXPECT_GE(first, 20);
            EXPECT_LE(last, 20 + measured + 1);
            EXPECT_GT(last - first, measured * 3 / 4);
        }
}

TEST_F(FontTest, ClippingKeepsGlyphsInsideTheRectangle)
{
    ID3DXFont* font = MakeFont("Arial", 20);
    ASSERT_NE(nullptr, font);
    const RECT box = {10, 10, 50, 20};
    const std::vector<std::uint32_t> clipped = Draw(font, "Clipped text", box, DT_LEFT | DT_SINGLELINE);
    bool inside = false;
    for (std::size_t i = 0; i < clipped.size(); ++i)
    {
        const int x = int(i % 192), y = int(i / 192);
        if (clipped[i] == 0)
            continue;
        EXPECT_TRUE(x >= 10 && x < 50 && y >= 10 && y < 20) << x << ", " << y;
        inside = true;
    }
    EXPECT_TRUE(inside);
    const std::vector<std::uint32_t> unclipped = Draw(font, "Clipped text", box, DT_LEFT | DT_NOCLIP);
    EXPECT_GT(InkColumns(unclipped, 192).second, 50);

    // The wide call draws the same glyphs.
    RECT wideBox = box;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    EXPECT_GT(font->DrawTextW(nullptr, u"Clipped text", -1, &wideBox, DT_LEFT | DT_NOCLIP, 0xFFFFFFFFu), 0);
    device->EndScene();
    EXPECT_EQ(unclipped, ReadBackBuffer());
}

TEST_F(FontTest, WordBrokenParagraphMatchesTheGoldenImage)
{
    ID3DXFont* font = MakeFont("Arial", 14);
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(D3D_OK, font->PreloadGlyphs(0, 127));
    Draw(font, kParagraph, {6, 2, 186, 62}, DT_LEFT | DT_WORDBREAK);
    ExpectGolden("wordbreak", 0);
}

TEST_F(FontTest, AnExtendedDeviceWithoutManagedPoolDrawsTheSameText)
{
    ID3DXFont* font = MakeFont("Arial", 16);
    ASSERT_NE(nullptr, font);
    const std::vector<std::uint32_t> plain = Draw(font, "Stand 12", {4, 4, 180, 60}, DT_LEFT | DT_NOCLIP);
    DeviceTest::TearDown();
    MakeDevice(192, 64, D3DFMT_UNKNOWN, true);
    font = MakeFont("Arial", 16);
    ASSERT_NE(nullptr, font);
    const std::vector<std::uint32_t> drawn = Draw(font, "Stand 12", {4, 4, 180, 60}, DT_LEFT | DT_NOCLIP);
    EXPECT_NE(InkColumns(drawn, 192).second, -1);
    EXPECT_EQ(plain, drawn);
}
