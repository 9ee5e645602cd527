// Body text drawn smaller than its font's page keeps every stroke: the welcome, the quit question
// and the help's pages drawn as the game draws them, each glyph held against the same glyph drawn by
// FreeType at the drawn size; a row of the glyph the screen lost fails.
#include "menufixture.h"

#include "engine/render/texturefontmanager.h"
#include "ui/uidraw.h"
#include "ui/uilabel.h"
#include "uirepository.h"
#include "ux/controls/ux.control.label.h"
#include "uxrecords.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

namespace
{
// The font files the data writers rasterise each font from.
const std::map<std::string, std::string> FONT_FILES = {{"ui_sans", UI_FONT_FILE},
                                                       {"ui_sans_bold", UI_BOLD_FONT_FILE},
                                                       {"ui_menu", UI_MENU_FONT_FILE},
                                                       {UX_FONT_NAME, UX_FONT_FILE}};

// A laid-out text as the screen draws it: the font and its scale current, the lines in aperture
// units, and the aperture's pixels per unit across and down.
struct TDrawnText
{
    std::u16string text;
    std::vector<TTextLine> lines;
    TTextureFont* font = nullptr;
    f32 fScale = 0.0f;
    f32 fLetterSpacing = 0.0f;
    f32 fPixelsX = 1.0f;
    f32 fPixelsY = 1.0f;
};

// The lines of a UI text block drawn in the box, as the block draws them.
TDrawnText LayOutUIText(const TUIText& block, const TUIRect& box, std::pair<f32, f32> pixels)
{
    TDrawnText drawn;
    drawn.text = block.Resolve();
    f32 x, y;
    TTextBox size;
    block.ArrangeText(box, drawn.text.c_str(), x, y, size);
    drawn.font = g_pTextureFontManager->GetFont();
    drawn.fScale = g_pTextureFontManager->GetScale();
    drawn.fLetterSpacing = block.m_fSpacing;
    drawn.fPixelsX = pixels.first;
    drawn.fPixelsY = pixels.second;
    if (block.m_nFlags & UI_TEXT_WRAP)
    {
        const f32 left = box.fLeft + block.HorizontalMargin();
        const f32 rect[4] = {left, box.fTop + y, left + box.Width() - 2.0f * block.HorizontalMargin(),
                             box.fTop + y + size.fHeight};
        g_pTextureFontManager->LayoutRect(rect, static_cast<u32>(std::max(block.m_nAlignH, 0)), 0,
                                          drawn.text.c_str(), 0.0f, 0.0f,
                                          [&](const TTextLine& line) { drawn.lines.push_back(line); });
    }
    else
        drawn.lines.push_back({0, static_cast<i32>(drawn.text.size()), box.fLeft + x, box.fTop + y, 0.0f});
    return drawn;
}

// A UX label's text in its content rectangle, as the label draws it (in pixels).
TDrawnText LayOutUXLabel(const UX::TLabel& label)
{
    TDrawnText drawn;
    if (const char16_t* text = label.Text.GetText())
        drawn.text = text;
    const UX::TStateBlock& block = label.Computed;
    g_pTextureFontManager->SetFont(block.Font, block.TextScale * block.ScaleY, 0.0f);
    drawn.font = g_pTextureFontManager->GetFont();
    drawn.fScale = g_pTextureFontManager->GetScale();
    const UX::TRect& r = label.ContentRect;
    const f32 rect[4] = {r.x, r.y, r.x + r.width, r.y + r.height};
    g_pTextureFontManager->LayoutRect(rect, block.TextSetting, 0, drawn.text.c_str(), 0.0f, 0.0f,
                                      [&](const TTextLine& line) { drawn.lines.push_back(line); });
    return drawn;
}

std::string FontFile(const TTextureFont& font)
{
    for (const auto& [name, file] : FONT_FILES)
        if (font.m_Name == TName(name.c_str(), true))
            return file;
    return {};
}

// A frame's pixels as light: the mean of the three channels, 0..1.
struct TImage
{
    i32 nWidth = 0, nHeight = 0;
    std::vector<f32> aLight;
    f32 At(i32 x, i32 y) const
    {
        if (x < 0 || y < 0 || x >= nWidth || y >= nHeight)
            return 0.0f;
        return aLight[static_cast<size_t>(y * nWidth + x)];
    }
};

class BodyTextTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ASSERT_EQ(FT_Init_FreeType(&m_Library), 0);
    }
    void TearDown() override
    {
        FT_Done_FreeType(m_Library);
        MenuTest::TearDown();
    }

    // One frame of the UI with the UX over it at the window's size, as the game's frame draws it;
    // the texts to hold are laid out after, the frame's size still in force.
    TImage Render()
    {
        TImage image{m_nWidth, m_nHeight, {}};
        for (const u32 p : DrawFrame(m_nWidth, m_nHeight))
            image.aLight.push_back(static_cast<f32>((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) /
                                   (3.0f * 255.0f));
        return image;
    }

    // The UI root's units to pixels at the frame's size, across and down.
    std::pair<f32, f32> UIPixelsPerUnit(const TUIItem* item) const
    {
        const TUIItem* root = item;
        while (root->GetParent())
            root = root->GetParent();
        if (!(root->m_nFlags & UI_DESIGN_SIZE) || root->m_VirtualSize.x <= 0.0f ||
            root->m_VirtualSize.y <= 0.0f)
            return {1.0f, 1.0f};
        return {static_cast<f32>(m_nWidth) / root->m_VirtualSize.x,
                static_cast<f32>(m_nHeight) / root->m_VirtualSize.y};
    }

    // Every glyph of the text against FreeType's at the drawn size: each pixel FreeType inks at
    // least half must show ink in the frame at its place or a row above or below (the glyph
    // placed where it matches best, within two pixels of where the layout puts it). Answers the
    // glyphs that lost strokes, with the rows lost.
    std::string LostStrokes(const TImage& image, const TDrawnText& drawn)
    {
        if (!drawn.font)
            return "no font";
        const TTextureFont& font = *drawn.font;
        const std::string file = FontFile(font);
        if (file.empty())
            return "no font file for the font " + std::to_string(font.m_Name.GetId());
        FT_Face face = nullptr;
        if (FT_New_Face(m_Library, file.c_str(), 0, &face) != 0)
            return "'" + file + "' cannot be read";
        // The size the page was rasterised at: the font's line height and the advance of 'M'.
        i32 pageSize = 0, ascender = 0;
        const f32 advanceM = font.FindGlyph(u'M').fAdvance;
        for (i32 size = 4; size <= 128 && !pageSize; ++size)
        {
            FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
            const i32 up = static_cast<i32>(face->size->metrics.ascender >> 6);
            const i32 down = static_cast<i32>(-(face->size->metrics.descender >> 6));
            if (up + down == font.m_nLineHeight && FT_Load_Char(face, 'M', FT_LOAD_RENDER) == 0 &&
                static_cast<f32>(face->glyph->advance.x) / 64.0f == advanceM)
            {
                pageSize = size;
                ascender = up;
            }
        }
        if (!pageSize)
        {
            FT_Done_Face(face);
            return "the page's size is not found";
        }
        auto size26 = [&](f32 pixels) {
            return static_cast<FT_F26Dot6>(
                std::lround(static_cast<f32>(pageSize) * drawn.fScale * pixels * 64.0f));
        };
        FT_Set_Char_Size(face, size26(drawn.fPixelsX), size26(drawn.fPixelsY), 72, 72);

        struct TGlyph
        {
            char16_t code;
            i32 x, y, width, height;
            std::vector<f32> coverage;
        };
        std::vector<TGlyph> glyphs;
        const f32 scale = drawn.fScale;
        for (const TTextLine& line : drawn.lines)
        {
            f32 pen = line.fX - static_cast<f32>(font.m_nInset);
            f32 top = line.fY - static_cast<f32>(font.m_nInset);
            if (font.m_fBaseline == -1.0f)
                top += (static_cast<f32>(font.m_nLineHeight) - font.m_fCellHeight) * 0.5f * scale;
            else
                top -= font.m_fBaseline * scale;
            for (i32 i = 0; i < line.nCount; ++i)
            {
                const char16_t code = drawn.text[static_cast<size_t>(line.nFirst + i)];
                const TTextureFontGlyph& glyph = font.FindGlyph(code);
                const f32 x0 = pen + (i == 0 ? 0.0f : glyph.fLeading * scale);
                pen = x0 + (glyph.fAdvance + drawn.fLetterSpacing) * scale +
                      (i + 1 < line.nCount ? glyph.fTrailing * scale : 0.0f) +
                      (code == TEXT_SPACE ? line.fSpaceExtra : 0.0f);
                if (code <= TEXT_SPACE || FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0)
                    continue;
                const FT_Bitmap& bitmap = face->glyph->bitmap;
                TGlyph g{code,
                         static_cast<i32>(std::lround(x0 * drawn.fPixelsX)) + face->glyph->bitmap_left,
                         static_cast<i32>(
                             std::lround((top + static_cast<f32>(ascender) * scale) * drawn.fPixelsY)) -
                             face->glyph->bitmap_top,
                         static_cast<i32>(bitmap.width),
                         static_cast<i32>(bitmap.rows),
                         {}};
                for (i32 y = 0; y < g.height; ++y)
                    for (i32 x = 0; x < g.width; ++x)
                        g.coverage.push_back(static_cast<f32>(bitmap.buffer[y * bitmap.pitch + x]) / 255.0f);
                glyphs.push_back(std::move(g));
            }
        }
        FT_Done_Face(face);
        if (glyphs.empty())
            return "no glyphs";

        // Ink: light above the glyph's surroundings, over the text's brightest light.
        constexpr i32 SEARCH = 2;
        f32 brightest = 0.0f;
        for (const TGlyph& g : glyphs)
            for (i32 y = -SEARCH; y < g.height + SEARCH; ++y)
                for (i32 x = -SEARCH; x < g.width + SEARCH; ++x)
                    brightest = std::max(brightest, image.At(g.x + x, g.y + y));
        std::ostringstream lost;
        for (const TGlyph& g : glyphs)
        {
            std::vector<f32> around;
            for (i32 y = -SEARCH - 1; y <= g.height + SEARCH; ++y)
                for (i32 x = -SEARCH - 1; x <= g.width + SEARCH; ++x)
                    around.push_back(image.At(g.x + x, g.y + y));
            std::nth_element(around.begin(), around.begin() + static_cast<long>(around.size() / 2),
                             around.end());
            const f32 background = around[around.size() / 2];
            auto ink = [&](i32 x, i32 y) {
                return std::clamp((image.At(x, y) - background) / std::max(brightest - background, 1e-3f),
                                  0.0f, 1.0f);
            };
            i32 bestX = 0, bestY = 0;
            f32 best = -1.0f;
            for (i32 dy = -SEARCH; dy <= SEARCH; ++dy)
                for (i32 dx = -SEARCH; dx <= SEARCH; ++dx)
                {
                    f32 match = 0.0f;
                    for (i32 y = 0; y < g.height; ++y)
                        for (i32 x = 0; x < g.width; ++x)
                            match += g.coverage[static_cast<size_t>(y * g.width + x)] *
                                     ink(g.x + dx + x, g.y + dy + y);
                    if (match > best)
                    {
                        best = match;
                        bestX = dx;
                        bestY = dy;
                    }
                }
            std::vector<i32> rows;
            for (i32 y = 0; y < g.height; ++y)
                for (i32 x = 0; x < g.width; ++x)
                {
                    if (g.coverage[static_cast<size_t>(y * g.width + x)] < 0.5f)
                        continue;
                    const i32 px = g.x + bestX + x, py = g.y + bestY + y;
                    f32 near = 0.0f;
                    for (i32 dy = -1; dy <= 1; ++dy)
                        for (i32 dx = -1; dx <= 1; ++dx)
                            near = std::max(near, ink(px + dx, py + dy));
                    if (near < 0.2f && (rows.empty() || rows.back() != y))
                        rows.push_back(y);
                }
            if (!rows.empty())
            {
                lost << "'" << static_cast<char>(g.code < 128 ? g.code : '?') << "' at (" << g.x + bestX
                     << ", " << g.y + bestY << ") rows";
                for (i32 row : rows)
                    lost << " " << row;
                lost << "; ";
            }
        }
        return lost.str();
    }

    FT_Library m_Library = nullptr;
};
} // namespace

// The welcome after New game and the quit question over a running game, at the sizes the game
// runs in a window and the smallest it offers.
TEST_F(BodyTextTest, TheWelcomeAndTheQuitQuestionKeepEveryStrokeOfTheirText)
{
    Start();
    for (const auto& [width, height] : {std::pair{1280, 800}, std::pair{1024, 768}})
    {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Resize(width, height);
        // The welcome draws its own text: the dialog text of its key inside its margins.
        Parameters().nStarted = 0;
        TUIItem* welcome = Menu().PushWindow("NewGameWelcome");
        ASSERT_NE(welcome, nullptr);
        MenuFrames(20);
        const TImage welcomeImage = Render();
        TUIText block;
        block.SetStyle(TName("DialogTextStyle"));
        block.m_nFlags |= UI_TEXT_WRAP;
        block.SetText("NewGameWelcome");
        const TUIRect rect = welcome->GetAbsoluteRect();
        TDrawnText text = LayOutUIText(
            block,
            {rect.fLeft + WELCOME_TEXT_MARGIN, rect.fTop, rect.fRight - WELCOME_TEXT_MARGIN, rect.fBottom},
            UIPixelsPerUnit(welcome));
        EXPECT_GT(text.text.size(), 40u);
        EXPECT_EQ(LostStrokes(welcomeImage, text), "") << "the welcome";
        Tap(0x1C);
        MenuFrames(20);
        ASSERT_EQ(Menu().GetWindowCount(), 0);

        Parameters().nStarted = 1;
        TUIItem* question = Menu().PushWindow("QuitConfirm");
        ASSERT_NE(question, nullptr);
        MenuFrames(20);
        auto* label = static_cast<TUILabel*>(question->FindItem(TName("Main Label")));
        ASSERT_NE(label, nullptr);
        const TImage questionImage = Render();
        text = LayOutUIText(label->m_Caption, label->GetAbsoluteRect(), UIPixelsPerUnit(label));
        EXPECT_GT(text.text.size(), 10u);
        EXPECT_EQ(LostStrokes(questionImage, text), "") << "the quit question";
        Menu().PopWindow();
        MenuFrames(20);
        Parameters().nStarted = 0;
    }
}

// The in-game help's pages of the aerodrome, as the level writer stores them (the test level has
// no help of its own), past its fade-in.
TEST_F(BodyTextTest, TheHelpPagesKeepEveryStrokeOfTheirText)
{
    DArray<THelpCategory*>& categories = g_pUIGameManager->HelpCategories();
    std::vector<THelpCategory*> saved;
    for (i32 i = 0; i < categories.GetCount(); ++i)
        saved.push_back(categories[i]);
    g_pUIGameManager->AddImage(TName("BodyTextImage", true), UIFindTexture(TName("Help Image 0", true)));
    THelpCategory aerodrome;
    aerodrome.Name = TName("HelpCategoryAerodrome", true);
    aerodrome.nPageCount = 3;
    for (u32 p = 0; p < aerodrome.nPageCount; ++p)
    {
        aerodrome.aPageText[p].Key = TName(("HelpPage0_" + std::to_string(p) + "Text").c_str(), true);
        aerodrome.aPageKeyText[p].Key = TName(("HelpPage0_" + std::to_string(p) + "Keys").c_str(), true);
        if (p > 0)
            aerodrome.aPageImage[p] = TName("BodyTextImage", true);
    }
    categories.SetCount(0);
    categories.Add(&aerodrome);
    // The level's categories back, however the test ends.
    struct TRestore
    {
        DArray<THelpCategory*>& categories;
        const std::vector<THelpCategory*>& saved;
        ~TRestore()
        {
            categories.SetCount(0);
            for (THelpCategory* category : saved)
                categories.Add(category);
        }
    } restore{categories, saved};

    StartGame();
    auto& help = static_cast<TUIHelpDialog&>(g_pUIGameManager->GetScreen(UI_SCREEN_HELP));
    for (const auto& [width, height] : {std::pair{1280, 800}, std::pair{1024, 768}})
    {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        Resize(width, height);
        MenuFrames(5);
        Menu().OnGameHelpClick(nullptr);
        MenuFrames(5);
        RealFrames(40);
        ASSERT_TRUE(help.GetForm()->IsVisibleOnScreen());
        std::vector<UX::TLabel*> labels;
        for (u32 i : {1u, 2u})
        {
            UX::TControl* page = help.GetPage(i);
            ASSERT_NE(page, nullptr);
            labels.push_back(static_cast<UX::TLabel*>(page->FindChild(TName(HELP_TEXT_NAME, true))));
            ASSERT_NE(labels.back(), nullptr);
        }
        const TImage image = Render();
        for (const UX::TLabel* label : labels)
        {
            const TDrawnText text = LayOutUXLabel(*label);
            EXPECT_GT(text.text.size(), 40u);
            EXPECT_EQ(LostStrokes(image, text), "") << "the help page";
        }
        help.GetForm()->HideNow();
        Menu().CloseGameHelp();
        MenuFrames(20);
    }
}
