#include "engine/render/texturefont.h"
#include "engine/render/texturefontmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/repository.h"
#include "support/recordingcanvas.h"
#include "support/recordingdevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
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

// The font "Body" on a page texture, drawn on a canvas that keeps its quads.
struct TextureFontDrawTest : testing::Test
{
    TextureFontDrawTest()
    {
        MakeFont(body, "Body");
        body.m_nInset = 1;
        body.m_fCellWidth = 12.0f;
        body.m_fCellHeight = 16.0f;
        body.m_fBaseline = -1.0f;
        body.aUses.Add(TResourceLink{0, 0, &page});
        g_pTextureFontManager->Fonts().Add(&body);
        g_pTextureFontManager->SetFont(TName("Body"), 20.0f, 0.0f);
        g_pCanvasManager = &canvas;
    }
    ~TextureFontDrawTest() override
    {
        g_pCanvasManager = nullptr;
        body.aUses.SetCount(0);
        SetPixelSnap("0");
        g_pTextureFontManager->Fonts().SetCount(0);
        g_pTextureFontManager->OnClusterUnload();
    }
    static void SetPixelSnap(const char* value)
    {
        const TName text(value, true);
        TCommandManager::Instance().FindVariable(TName("font.pixelsnap"))->Assign(&text, 1);
    }

    TTextureFont body;
    TRecordingTexture page{"page"};
    TRecordingCanvas canvas;
};
} // namespace

TEST_F(TextureFontDrawTest, LinesBecomeQuadsOfTheGlyphsOnThePageTexture)
{
    const TColor red{1.0f, 0.0f, 0.0f, 1.0f};
    // "ab" is 16 wide: anchored at its right end, it starts 16 to the left.
    g_pTextureFontManager->DrawText(40.0f, 10.0f, 2, red, u"ab", 0.0f);
    EXPECT_EQ(canvas.textures, (std::vector<TTexture*>{&page}));
    const std::vector<TCanvasVertex>& v = canvas.vertices;
    ASSERT_EQ(12u, v.size());
    // The inset moves it up and left; centred in the line: (20 - 16) / 2 lower.
    EXPECT_EQ((std::vector<f32>{v[0].x, v[0].y, v[2].x, v[2].y, v[0].z, v[3].x, v[4].y}),
              (std::vector<f32>{23.0f, 11.0f, 35.0f, 27.0f, 0.5f, 23.0f, 27.0f}));
    EXPECT_EQ(0xFFFF0000u, v[0].nColor);
    // 'a' advances 10 and its trailing 2 (not the last character); 'b' has no leading.
    EXPECT_EQ(35.0f, v[6].x);

    // A baseline raises the glyphs by baseline x scale; pixel snap puts corners on pixel centres.
    canvas.Clear();
    body.m_fBaseline = 3.0f;
    SetPixelSnap("1");
    g_pTextureFontManager->SetFont(TName("Body"), 10.0f, 0.0f);
    g_pTextureFontManager->DrawText(10.2f, 10.0f, 0, red, u"b", 0.0f);
    ASSERT_EQ(1u, canvas.Quads());
    EXPECT_FLOAT_EQ(8.5f, v[0].x);
    EXPECT_FLOAT_EQ(7.5f, v[0].y);
}

// Without fonts, or with one whose load finds no glyph block, every query answers no font.
TEST(TextureFontManagerTest, WithoutUsableFontsEveryQueryAnswersNoFont)
{
    // Resources are looked up only while the manager system is open.
    g_ManagerManager.Initialize();
    g_pTextureFontManager->OnClusterUnload();
    EXPECT_FLOAT_EQ(-1.0f, g_pTextureFontManager->GetLineHeight());
    const TTextBox box = g_pTextureFontManager->MeasureText(10.0f, u"ab", 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(0.0f, box.fWidth);
    EXPECT_FLOAT_EQ(1.0f, box.fOne);
    TTextureFont empty;
    MakeFont(empty, "Empty");
    empty.pGlyph = nullptr;
    g_pTextureFontManager->Fonts().Add(&empty);
    for (const char* name : {"Body", "Empty"})
    {
        g_pTextureFontManager->SetFont(TName(name, true), 20.0f, 0.0f);
        EXPECT_EQ(nullptr, g_pTextureFontManager->GetFont()) << name;
        EXPECT_FLOAT_EQ(-1.0f, g_pTextureFontManager->GetTextWidth(u"ab", 0)) << name;
    }
    g_pTextureFontManager->Fonts().SetCount(0);
    g_pTextureFontManager->OnClusterUnload();
}

// Limits on both sides: 64 aliases are kept, the 65th keeps its font with a line.
TEST(TextureFontManagerTest, SixtyFourAliasesAreKeptAndTheSixtyFifthRefused)
{
    std::vector<TTextureFont> fonts(2 * (FONT_ALIAS_CAPACITY + 1));
    DArray<TTextureFont*>& list = g_pTextureFontManager->Fonts();
    for (u32 i = 0; i <= FONT_ALIAS_CAPACITY; ++i)
    {
        const std::string name = "Alias" + std::to_string(i);
        MakeFont(fonts[2 * i], name.c_str());
        MakeFont(fonts[2 * i + 1], (name + ".spoken").c_str());
        list.Add(&fonts[2 * i]);
        list.Add(&fonts[2 * i + 1]);
    }
    g_pTextureFontManager->LoadAliases(TName("spoken", true));
    EXPECT_EQ(FONT_ALIAS_CAPACITY, g_pTextureFontManager->GetAliasCount());
    list.SetCount(0);
    g_pTextureFontManager->LoadAliases(TName("none", true));
    g_pTextureFontManager->OnClusterUnload();
}

// A font's glyph count comes from its record, its glyphs from its block: a block holding fewer
// glyphs than claimed keeps those it holds.
TEST(TextureFontLoad, AGlyphCountBeyondTheBlockKeepsTheGlyphsItHolds)
{
    std::vector<u8> image(sizeof s_aGlyph);
    std::memcpy(image.data(), s_aGlyph, sizeof s_aGlyph);
    TRepository repository(image.data(), static_cast<u32>(image.size()));
    for (const auto [claimed, kept] : {std::pair{2, 2}, {3, 3}, {4, 3}, {1000, 3}})
    {
        TTextureFont font;
        font.m_nGlyphCount = claimed;
        font.SetData(&repository, 0, static_cast<u32>(image.size()));
        font.Load();
        EXPECT_EQ(font.m_nGlyphCount, kept) << claimed;
        EXPECT_EQ(font.FindGlyph(u'a').fAdvance, 10.0f);
        font.Release();
    }
}
