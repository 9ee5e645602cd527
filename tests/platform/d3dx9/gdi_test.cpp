// The GDI drawing the loading display and the intro use: memory contexts over 32-bit bitmaps,
// copies, stretches, constant-alpha blends, brushes and clipped text, and a window's context
// over its last presented frame.
#include "platform/d3d9/devicefixture.h"
#include "platform/d3d9/presentedframe.h"
#include "platform/d3dx9/fontfacecache.h"
#include "platform/d3dx9/gdipixels.h"
#include "platform/d3dx9/wingdi.h"
#include "platform/window/winuser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace
{
BITMAPINFO Info(int width, int height, WORD bits = 32)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bits;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A memory context with a top-down DIB section selected; pixels row by row from the top.
struct TCanvas
{
    TCanvas(int w, int h) : width(w), height(h)
    {
        dc = CreateCompatibleDC(nullptr);
        const BITMAPINFO info = Info(w, -h);
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<std::uint32_t*>(bits);
        SelectObject(dc, bitmap);
    }
    ~TCanvas()
    {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    std::uint32_t& At(int x, int y) { return pixels[y * width + x]; }
    void Fill(COLORREF colour, RECT rect)
    {
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &rect, brush);
        DeleteObject(brush);
    }

    int width, height;
    HDC dc;
    HBITMAP bitmap;
    std::uint32_t* pixels;
};

std::uint32_t Channel(std::uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}
} // namespace

TEST(GdiTest, DibSectionsExposeTheirRowsInTheOrderAsked)
{
    HDC dc = CreateCompatibleDC(nullptr);
    for (const int height : {4, -4})
    {
        const BITMAPINFO info = Info(3, height);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(nullptr, bitmap);
        ASSERT_NE(nullptr, bits);
        ASSERT_EQ(0u, reinterpret_cast<std::uintptr_t>(bits) % 16);
        SelectObject(dc, bitmap);
        // The top row red (COLORREF 0x0000FF is red; the pixel is 0x00RRGGBB).
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        const RECT top = {0, 0, 3, 1};
        ASSERT_EQ(1, FillRect(dc, &top, red));
        const auto* words = static_cast<const std::uint32_t*>(bits);
        const int topRow = height > 0 ? 3 : 0;
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(row == topRow ? 0x00FF0000u : 0u, words[row * 3]) << "height " << height << " row " << row;
        DeleteObject(red);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
}

TEST(GdiTest, BadBitmapsAreRefused)
{
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = reinterpret_cast<void*>(1);
    for (const BITMAPINFO& info : {Info(4, 4, 24), Info(4, 4, 8), Info(0, 0), Info(-4, 4), Info(65535, 65535)})
    {
        EXPECT_EQ(nullptr, CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        EXPECT_EQ(nullptr, bits);
    }
    EXPECT_EQ(nullptr, CreateDIBSection(dc, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0));
    EXPECT_EQ(nullptr, CreateCompatibleBitmap(dc, 0, 4));
    EXPECT_EQ(nullptr, CreateCompatibleBitmap(dc, 65535, 65535));
    // The largest addressable image is made.
    HBITMAP large = CreateCompatibleBitmap(dc, 8192, 8192);
    EXPECT_NE(nullptr, large);
    DeleteObject(large);
    DeleteDC(dc);
}

TEST(GdiTest, HandlesAreCheckedAndSelectionsFollowTheirObjects)
{
    TCanvas a(4, 4), b(4, 4);
    // A bitmap sits in one context at a time; selecting another frees it for the next.
    EXPECT_EQ(nullptr, SelectObject(b.dc, a.bitmap));
    HBITMAP other = CreateCompatibleBitmap(a.dc, 2, 2);
    EXPECT_EQ(static_cast<HGDIOBJ>(a.bitmap), SelectObject(a.dc, other));
    EXPECT_EQ(static_cast<HGDIOBJ>(b.bitmap), SelectObject(b.dc, a.bitmap));
    SelectObject(b.dc, b.bitmap);
    SelectObject(a.dc, a.bitmap);
    // A deleted bitmap leaves its context, which then draws nothing.
    EXPECT_TRUE(DeleteObject(other));
    EXPECT_FALSE(DeleteObject(other));
    HBITMAP doomed = CreateCompatibleBitmap(a.dc, 2, 2);
    SelectObject(b.dc, doomed);
    EXPECT_TRUE(DeleteObject(doomed));
    EXPECT_FALSE(BitBlt(b.dc, 0, 0, 1, 1, a.dc, 0, 0, SRCCOPY));
    // Stale and foreign handles, wrong kinds and wrong release calls fail.
    HBRUSH brush = CreateSolidBrush(0);
    const RECT rect = {0, 0, 1, 1};
    EXPECT_EQ(0, FillRect(a.dc, &rect, reinterpret_cast<HBRUSH>(a.bitmap)));
    EXPECT_EQ(0, FillRect(reinterpret_cast<HDC>(brush), &rect, brush));
    EXPECT_FALSE(BitBlt(a.dc, 0, 0, 1, 1, a.dc, 0, 0, 0x00EE0086));
    EXPECT_EQ(0, ReleaseDC(nullptr, a.dc));
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(DeleteDC(screen));
    EXPECT_EQ(1, ReleaseDC(nullptr, screen));
    EXPECT_EQ(0, ReleaseDC(nullptr, screen));
    EXPECT_EQ(nullptr, GetDC(reinterpret_cast<HWND>(0x1234)));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(GdiFlush());
}

TEST(GdiTest, CopiesAreClippedToBothContexts)
{
    TCanvas source(4, 4), target(4, 4);
    for (int i = 0; i < 16; ++i)
        source.pixels[i] = 0x010101u * (i + 1);
    target.Fill(RGB(0, 0, 9), {0, 0, 4, 4});
    // Half the source lies left of it, half the target below it.
    ASSERT_TRUE(BitBlt(target.dc, 1, 2, 4, 4, source.dc, -2, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
        {
            const bool copied = x >= 3 && y >= 2;
            const std::uint32_t expected = copied ? source.At(x - 3, y - 2) : 0x000009u;
            EXPECT_EQ(expected, target.At(x, y)) << x << ", " << y;
        }
    // From a bottom-up source, rows past its top and bottom cut.
    HDC dc = CreateCompatibleDC(nullptr);
    const BITMAPINFO info = Info(4, 5);
    void* bits = nullptr;
    HBITMAP bottomUp = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bottomUp);
    for (int row = 0; row < 5; ++row)
        for (int x = 0; x < 4; ++x)
            static_cast<std::uint32_t*>(bits)[(4 - row) * 4 + x] = 0x000100u * row + x;
    target.Fill(RGB(0, 0, 9), {0, 0, 4, 4});
    ASSERT_TRUE(BitBlt(target.dc, 0, -1, 3, 7, dc, 1, 0, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(x < 3 ? 0x000100u * (y + 1) + x + 1 : 0x000009u, target.At(x, y)) << x << ", " << y;
    DeleteDC(dc);
    DeleteObject(bottomUp);
    // Within one bitmap, overlapping rows moving down keep their content.
    ASSERT_TRUE(BitBlt(source.dc, 0, 1, 4, 3, source.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(0x010101u, source.At(0, 1));
    EXPECT_EQ(0x050505u, source.At(0, 2));
    EXPECT_EQ(0x090909u, source.At(0, 3));
}

TEST(GdiTest, StretchModesAndRefusedRectangles)
{
    TCanvas source(3, 2), target(4, 4);
    const std::uint32_t row[3] = {0x000000u, 0x969696u, 0x000000u};
    for (int x = 0; x < 3; ++x)
        source.At(x, 0) = source.At(x, 1) = row[x];
    // Halftone sums the covered area (every case of it against the box filter below).
    EXPECT_EQ(BLACKONWHITE, SetStretchBltMode(target.dc, HALFTONE));
    ASSERT_TRUE(StretchBlt(target.dc, 0, 1, 4, 1, source.dc, 0, 0, 3, 2, SRCCOPY));
    EXPECT_EQ(0x646464u, target.At(1, 1)); // 150 x 0.5 / 0.75
    // Nearest pixel centres.
    EXPECT_EQ(HALFTONE, SetStretchBltMode(target.dc, COLORONCOLOR));
    ASSERT_TRUE(StretchBlt(target.dc, 0, 2, 4, 1, source.dc, 0, 0, 3, 2, SRCCOPY));
    EXPECT_EQ(0x000000u, target.At(0, 2));
    EXPECT_EQ(0x969696u, target.At(1, 2));
    EXPECT_EQ(0x969696u, target.At(2, 2));
    EXPECT_EQ(0x000000u, target.At(3, 2));
    // A source rectangle leaving the source, and empty rectangles, are refused.
    EXPECT_FALSE(StretchBlt(target.dc, 0, 0, 2, 2, source.dc, 1, 0, 3, 2, SRCCOPY));
    EXPECT_FALSE(StretchBlt(target.dc, 0, 0, 0, 2, source.dc, 0, 0, 3, 2, SRCCOPY));
    EXPECT_FALSE(StretchBlt(target.dc, 0, 0, 2, 2, source.dc, 0, 0, -3, 2, SRCCOPY));
    EXPECT_EQ(0, SetStretchBltMode(target.dc, 7));
}

namespace
{
// An image in its own memory, stored top row first or bottom row first.
struct TGdiImage
{
    TGdiImage(int w, int h, bool bottomUp) : memory(std::size_t(w) * h)
    {
        auto* base = reinterpret_cast<std::uint8_t*>(memory.data());
        const std::ptrdiff_t pitch = std::ptrdiff_t(w) * 4;
        view = {bottomUp ? base + (h - 1) * pitch : base, bottomUp ? -pitch : pitch, w, h, {0, 0, w, h}};
    }
    std::uint32_t& At(int x, int y) { return view.Row(y)[x]; }

    std::vector<std::uint32_t> memory;
    TGdiPixels view;
};

// The halftone filter by its definition: target pixel i of D covers [i S / D, (i + 1) S / D) of
// the source's S pixels; each source pixel weighs its covered share in 1/65536 (the last the
// rest); a row is summed across rounded to 1/256, then the rows down.
std::vector<std::uint32_t> Shares(int i, int S, int D, int& first)
{
    const std::int64_t from = std::int64_t(i) * S, to = from + S;
    first = int(from / D);
    std::vector<std::uint32_t> weights;
    std::uint32_t sum = 0;
    for (std::int64_t j = first; j * D < to; ++j)
    {
        const std::int64_t overlap = std::min(to, (j + 1) * D) - std::max(from, j * D);
        weights.push_back((j + 1) * D >= to ? 65536 - sum : std::uint32_t(overlap * 65536 / S));
        sum += weights.back();
    }
    return weights;
}

std::uint32_t HalftonePixel(const TGdiPixels& source, const RECT& sourceArea, const RECT& area, int x, int y)
{
    int firstX, firstY;
    const auto across = Shares(x - area.left, sourceArea.right - sourceArea.left, area.right - area.left, firstX);
    const auto down = Shares(y - area.top, sourceArea.bottom - sourceArea.top, area.bottom - area.top, firstY);
    std::uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c)
    {
        std::uint32_t sum = 0;
        for (std::size_t k = 0; k < down.size(); ++k)
        {
            std::uint32_t row = 0;
            for (std::size_t j = 0; j < across.size(); ++j)
                row += ((source.Row(sourceArea.top + firstY + int(k))[sourceArea.left + firstX + int(j)] >> (c * 8)) &
                        0xFF) * across[j];
            sum += ((row + 128) >> 8) * down[k];
        }
        pixel |= ((sum + (1u << 23)) >> 24) << (c * 8);
    }
    return pixel;
}
} // namespace

TEST(GdiPixels, HalftoneStretchesFollowTheBoxFilterAtEveryVectorWidth)
{
    struct TCase
    {
        int sourceWidth, sourceHeight;
        RECT sourceArea, area, clip;
        int targetWidth, targetHeight;
    };
    const TCase cases[] = {
        // Down by 5/6 and by two thirds, odd sizes, an offset source rectangle.
        {37, 23, {0, 0, 37, 23}, {0, 0, 31, 19}, {0, 0, 31, 19}, 31, 19},
        {41, 29, {3, 2, 39, 29}, {1, 1, 25, 19}, {0, 0, 30, 20}, 30, 20},
        // Up, and a single source column and row.
        {7, 5, {0, 0, 7, 5}, {0, 0, 45, 17}, {0, 0, 45, 17}, 45, 17},
        {1, 1, {0, 0, 1, 1}, {0, 0, 9, 3}, {0, 0, 9, 3}, 9, 3},
        {5, 3, {4, 0, 5, 3}, {0, 0, 13, 1}, {0, 0, 13, 1}, 13, 1},
        // Far down: many taps a target pixel; a whole image into one pixel.
        {203, 11, {0, 0, 203, 11}, {0, 0, 3, 2}, {0, 0, 3, 2}, 3, 2},
        {29, 31, {0, 0, 29, 31}, {0, 0, 1, 1}, {0, 0, 1, 1}, 1, 1},
        // The target rectangle past every edge, cut to a clip rectangle that ends on odd columns.
        {40, 40, {0, 0, 40, 40}, {-7, -5, 30, 33}, {2, 3, 19, 21}, 24, 24},
        // Rows of a band: the clip takes a few rows from the middle.
        {64, 48, {0, 0, 64, 48}, {0, -6, 53, 40}, {0, 16, 53, 32}, 53, 40},
    };
    std::uint32_t state = 99;
    for (const TCase& c : cases)
        for (const bool sourceBottomUp : {false, true})
            for (const bool targetBottomUp : {false, true})
            {
                TGdiImage source(c.sourceWidth, c.sourceHeight, sourceBottomUp);
                for (std::uint32_t& pixel : source.memory)
                    pixel = state = state * 1664525u + 1013904223u;
                TGdiImage expected(c.targetWidth, c.targetHeight, targetBottomUp);
                for (int y = 0; y < c.targetHeight; ++y)
                    for (int x = 0; x < c.targetWidth; ++x)
                    {
                        const bool inside = x >= std::max(c.area.left, c.clip.left) &&
                                            x < std::min(c.area.right, c.clip.right) &&
                                            y >= std::max(c.area.top, c.clip.top) &&
                                            y < std::min(c.area.bottom, c.clip.bottom);
                        expected.At(x, y) =
                            inside ? HalftonePixel(source.view, c.sourceArea, c.area, x, y) : 0xDEADBEEFu;
                    }
                for (const EGdiVectors vectors : {EGdiVectors::Bits128, EGdiVectors::Bits256})
                {
                    TGdiImage target(c.targetWidth, c.targetHeight, targetBottomUp);
                    std::fill(target.memory.begin(), target.memory.end(), 0xDEADBEEFu);
                    target.view.bounds = c.clip;
                    GdiStretch(target.view, c.area, source.view, c.sourceArea, true, vectors);
                    for (int y = 0; y < c.targetHeight; ++y)
                        for (int x = 0; x < c.targetWidth; ++x)
                            ASSERT_EQ(expected.At(x, y), target.At(x, y))
                                << "at " << x << ", " << y << " of " << c.sourceWidth << " x " << c.sourceHeight
                                << " onto " << c.targetWidth << " x " << c.targetHeight << ", vectors " << int(vectors)
                                << (sourceBottomUp ? ", bottom-up source" : "")
                                << (targetBottomUp ? ", bottom-up target" : "");
                }
            }
}

TEST(GdiTest, ConstantAlphaBlendsRoundPerByte)
{
    TCanvas source(2, 1), target(2, 1);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 0, 0};
    for (const int alpha : {0, 1, 128, 254, 255})
    {
        source.At(0, 0) = 0x00FF8000u;
        source.At(1, 0) = 0x00000000u;
        target.At(0, 0) = 0x000000FFu;
        target.At(1, 0) = 0x00FFFFFFu;
        blend.SourceConstantAlpha = BYTE(alpha);
        ASSERT_TRUE(AlphaBlend(target.dc, 0, 0, 2, 1, source.dc, 0, 0, 2, 1, blend));
        const auto mix = [&](std::uint32_t s, std::uint32_t d) {
            return std::uint32_t((s * alpha + d * (255 - alpha)) / 255.0 + 0.5);
        };
        EXPECT_EQ(mix(0xFF, 0x00), Channel(target.At(0, 0), 16)) << alpha;
        EXPECT_EQ(mix(0x80, 0x00), Channel(target.At(0, 0), 8)) << alpha;
        EXPECT_EQ(mix(0x00, 0xFF), Channel(target.At(0, 0), 0)) << alpha;
        EXPECT_EQ(mix(0x00, 0xFF), Channel(target.At(1, 0), 8)) << alpha;
    }
    blend.AlphaFormat = AC_SRC_ALPHA;
    EXPECT_FALSE(AlphaBlend(target.dc, 0, 0, 2, 1, source.dc, 0, 0, 2, 1, blend));
    blend.AlphaFormat = 0;
    EXPECT_FALSE(AlphaBlend(target.dc, 0, 0, 2, 1, source.dc, 0, 0, 1, 1, blend));
}

TEST(GdiTest, TextIsDrawnInItsColourCutToTheClipRectangle)
{
    EXPECT_NE(nullptr, std::strstr(TFontFaceCache::FontFile("Calibri", FW_NORMAL), "Carlito-Regular"));
    TCanvas canvas(120, 30);
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, "Calibri");
    ASSERT_NE(nullptr, font);
    SelectObject(canvas.dc, font);
    EXPECT_EQ(OPAQUE, SetBkMode(canvas.dc, TRANSPARENT));
    EXPECT_EQ(0u, SetTextAlign(canvas.dc, TA_LEFT | TA_TOP));
    EXPECT_EQ(0u, SetTextColor(canvas.dc, RGB(255, 0, 0)));
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, "LOADING", 7, &size));
    RECT rect = {2, 2, 2 + size.cx / 2, 30};
    ASSERT_TRUE(ExtTextOutA(canvas.dc, 2, 2, ETO_CLIPPED, &rect, "LOADING", 7, nullptr));
    int lit = 0;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
        {
            const std::uint32_t pixel = canvas.At(x, y);
            if (pixel == 0)
                continue;
            ++lit;
            EXPECT_LT(x, rect.right);
            EXPECT_GE(y, 2);
            EXPECT_EQ(0u, pixel & 0x0000FFFFu) << "only red";
        }
    EXPECT_GT(lit, 40);

    // Right-aligned text ends at the position; opaque text paints its cell white first.
    TCanvas right(120, 30);
    SelectObject(right.dc, font);
    SetTextAlign(right.dc, TA_RIGHT | TA_TOP);
    ASSERT_TRUE(ExtTextOutA(right.dc, 100, 2, 0, nullptr, "LOADING", 7, nullptr));
    EXPECT_EQ(0x00FFFFFFu, right.At(99, 3));
    EXPECT_EQ(0x00FFFFFFu, right.At(100 - size.cx, 3));
    EXPECT_EQ(0u, right.At(100, 3));
    EXPECT_EQ(0u, right.At(99 - size.cx, 3));
    EXPECT_FALSE(ExtTextOutA(right.dc, 0, 0, ETO_CLIPPED, nullptr, "A", 1, nullptr));
    DeleteObject(font);
    EXPECT_FALSE(ExtTextOutA(right.dc, 0, 0, 0, nullptr, "A", 1, nullptr)) << "no font left";
}

TEST(GdiTest, AWindowContextIsTheLastPresentedFrameAndDrawingShowsIt)
{
    HWND window = MakeWindow(u"gditest", 40, 30);
    ASSERT_NE(nullptr, window);

    // Nothing presented yet: the client area, black.
    HDC screen = GetDC(window);
    ASSERT_NE(nullptr, screen);
    TCanvas copy(40, 30);
    copy.Fill(RGB(1, 2, 3), {0, 0, 40, 30});
    ASSERT_TRUE(BitBlt(copy.dc, 0, 0, 40, 30, screen, 0, 0, SRCCOPY));
    EXPECT_EQ(0u, copy.At(39, 29));

    // Drawing from another thread becomes the presented frame.
    std::thread([&] {
        TCanvas patch(8, 4);
        patch.Fill(RGB(0x20, 0x40, 0x60), {0, 0, 8, 4});
        EXPECT_TRUE(BitBlt(screen, 30, 20, 8, 4, patch.dc, 0, 0, SRCCOPY));
    }).join();
    int width = 0, height = 0;
    ASSERT_TRUE(D3D9CopyPresentedFrame(nullptr, 0, &width, &height));
    ASSERT_EQ(40, width);
    ASSERT_EQ(30, height);
    std::vector<std::uint32_t> frame(40 * 30);
    D3D9CopyPresentedFrame(frame.data(), 40 * 4, nullptr, nullptr);
    EXPECT_EQ(0x00204060u, frame[21 * 40 + 31] & 0x00FFFFFFu);
    EXPECT_EQ(0u, frame[19 * 40 + 31] & 0x00FFFFFFu);

    // Reading gives it back; the screen's context reads the same but cannot be drawn on.
    ASSERT_TRUE(BitBlt(copy.dc, 0, 0, 40, 30, screen, 0, 0, SRCCOPY));
    EXPECT_EQ(0x00204060u, copy.At(37, 23) & 0x00FFFFFFu);
    HDC desktop = GetDC(nullptr);
    copy.Fill(0, {0, 0, 40, 30});
    ASSERT_TRUE(BitBlt(copy.dc, 0, 0, 40, 30, desktop, 0, 0, SRCCOPY));
    EXPECT_EQ(0x00204060u, copy.At(30, 20) & 0x00FFFFFFu);
    EXPECT_FALSE(BitBlt(desktop, 0, 0, 4, 4, copy.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(0, ReleaseDC(nullptr, screen)) << "another window's context";
    EXPECT_EQ(1, ReleaseDC(window, screen));
    ReleaseDC(nullptr, desktop);
    DestroyWindow(window);
}

TEST(GdiPixels, EveryVectorBlendRoundsLikeTheExactFormula)
{
    // Every pair of source and target bytes, then an odd length: vector steps of each width and
    // the bytes left over.
    std::vector<std::uint8_t> from(65536 + 101), to(from.size());
    for (std::size_t i = 0; i < 65536; ++i)
        from[i] = std::uint8_t(i), to[i] = std::uint8_t(i >> 8);
    std::uint32_t state = 12345;
    for (std::size_t i = 65536; i < from.size(); ++i)
    {
        from[i] = std::uint8_t((state = state * 1664525u + 1013904223u) >> 24);
        to[i] = std::uint8_t((state = state * 1664525u + 1013904223u) >> 24);
    }
    for (int alpha = 0; alpha < 256; ++alpha)
    {
        std::vector<std::uint8_t> expected(to.size());
        for (std::size_t i = 0; i < to.size(); ++i)
            expected[i] = std::uint8_t((from[i] * alpha + to[i] * (255 - alpha)) / 255.0 + 0.5);
        for (const EGdiVectors vectors : {EGdiVectors::Bits128, EGdiVectors::Bits256, EGdiVectors::Bits512})
        {
            std::vector<std::uint8_t> blended = to;
            GdiBlendRowFor(vectors)(blended.data(), from.data(), int(from.size()), std::uint8_t(alpha));
            ASSERT_EQ(expected, blended) << "alpha " << alpha << ", vectors " << int(vectors);
        }
    }
}

TEST(GdiTest, DrawingStaysInsideTheClipRectangle)
{
    TCanvas source(8, 8), target(8, 8);
    source.Fill(RGB(0, 0, 0xFF), {0, 0, 8, 8});
    EXPECT_EQ(SIMPLEREGION, IntersectClipRect(target.dc, 2, 2, 6, 6));
    EXPECT_EQ(SIMPLEREGION, IntersectClipRect(target.dc, 0, 3, 8, 8)) << "intersects the clip so far";
    target.Fill(RGB(0xFF, 0, 0), {0, 0, 8, 8});
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, 0};
    ASSERT_TRUE(AlphaBlend(target.dc, 0, 0, 8, 2, source.dc, 0, 0, 8, 2, blend));
    ASSERT_TRUE(StretchBlt(target.dc, 0, 4, 8, 4, source.dc, 0, 0, 4, 4, SRCCOPY));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
        {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 6;
            const std::uint32_t expected = !inside ? 0u : y >= 4 ? 0x0000FFu : 0xFF0000u;
            EXPECT_EQ(expected, target.At(x, y)) << x << ", " << y;
        }
    // Unclipped again; regions other than none are refused; an empty clip draws nothing.
    EXPECT_EQ(SIMPLEREGION, SelectClipRgn(target.dc, nullptr));
    EXPECT_EQ(REGION_ERROR, SelectClipRgn(target.dc, reinterpret_cast<HRGN>(target.bitmap)));
    target.Fill(0, {0, 0, 8, 8});
    EXPECT_EQ(0u, target.At(7, 7));
    EXPECT_EQ(NULLREGION, IntersectClipRect(target.dc, 5, 5, 5, 9));
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 8, 8, source.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(0u, target.At(5, 5));
}
