#include "introrepository.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxtexturemanager.h"
#include "fontraster.h"
#include "igame/loading/loadingmanager.h"
#include "igame/loading/loadtga.h"
#include "igame/loading/uiintro.h"
#include "platform/d3dx9/wingdi.h"
#include "repositorywriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
constexpr const char* kFace = "Calibri";

u32 Mix(u32 a, u32 b, f32 t)
{
    u32 out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const f32 x = ((a >> shift) & 0xFF) * (1.0f - t) + ((b >> shift) & 0xFF) * t;
        out |= static_cast<u32>(x + 0.5f) << shift;
    }
    return out;
}

// GDI draws the texts: a top-down section over the picture's pixels, copied back after.
class TCanvas
{
public:
    explicit TCanvas(TIntroPicture& picture) : m_Picture(picture)
    {
        m_hDC = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), picture.nWidth, -picture.nHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_hBitmap = CreateDIBSection(m_hDC, &info, DIB_RGB_COLORS, &m_pBits, nullptr, 0);
        SelectObject(m_hDC, m_hBitmap);
        std::memcpy(m_pBits, picture.aPixel.data(), picture.aPixel.size() * 4);
        SetBkMode(m_hDC, TRANSPARENT);
        SetTextAlign(m_hDC, TA_CENTER | TA_BASELINE);
    }
    ~TCanvas()
    {
        // GDI leaves the alpha byte alone; the pictures are opaque.
        auto* bits = static_cast<u32*>(m_pBits);
        for (size_t i = 0; i < m_Picture.aPixel.size(); ++i)
            m_Picture.aPixel[i] = bits[i] | 0xFF000000;
        DeleteDC(m_hDC);
        DeleteObject(m_hBitmap);
    }
    void Text(const char* text, i32 x, i32 baseline, i32 height, i32 weight, COLORREF colour)
    {
        HFONT font = CreateFontA(-height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, kFace);
        SelectObject(m_hDC, font);
        SetTextColor(m_hDC, colour);
        ExtTextOutA(m_hDC, x, baseline, 0, nullptr, text, static_cast<UINT>(std::strlen(text)), nullptr);
        DeleteObject(font);
    }

private:
    TIntroPicture& m_Picture;
    HDC m_hDC;
    HBITMAP m_hBitmap;
    void* m_pBits = nullptr;
};

TIntroPicture Blank(i32 width, i32 height, u32 argb)
{
    return {width, height, std::vector<u32>(static_cast<size_t>(width) * height, argb)};
}

void Rectangle(TIntroPicture& p, i32 left, i32 top, i32 right, i32 bottom, u32 argb)
{
    for (i32 y = top; y < bottom; ++y)
        for (i32 x = left; x < right; ++x)
            p.aPixel[static_cast<size_t>(y) * p.nWidth + x] = argb;
}

// The publisher: a gold rule under its name.
TIntroPicture Publisher()
{
    TIntroPicture p = Blank(1200, 480, 0xFF0A1020);
    Rectangle(p, 300, 300, 900, 306, 0xFFC8A040);
    {
        TCanvas canvas(p);
        canvas.Text("BREVICORN", 600, 270, 150, FW_BOLD, RGB(0xF0, 0xE0, 0xB0));
        canvas.Text("presents", 600, 380, 48, FW_NORMAL, RGB(0xA0, 0xA8, 0xB8));
    }
    return p;
}

// The engine: its name inside a ring.
TIntroPicture Engine()
{
    TIntroPicture p = Blank(1200, 480, 0xFF101214);
    for (i32 y = 0; y < p.nHeight; ++y)
        for (i32 x = 0; x < p.nWidth; ++x)
        {
            const f32 d = std::hypot(x - 600.0f, y - 240.0f);
            if (d > 200.0f && d < 216.0f)
                p.aPixel[static_cast<size_t>(y) * p.nWidth + x] = Mix(0xFF3070B0, 0xFF60C0F0, (x - 384.0f) / 432.0f);
        }
    {
        TCanvas canvas(p);
        canvas.Text("VESTAMOR", 600, 260, 110, FW_BOLD, RGB(0xE8, 0xF0, 0xF8));
        canvas.Text("ENGINE", 600, 320, 44, FW_NORMAL, RGB(0x70, 0xB8, 0xE8));
    }
    return p;
}

// The title over an aerodrome at dusk: sky, ground and a runway running to the horizon.
TIntroPicture Title()
{
    constexpr i32 w = 1920, h = 1200, horizon = 700;
    TIntroPicture p = Blank(w, h, 0xFF081028);
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x)
        {
            u32& pixel = p.aPixel[static_cast<size_t>(y) * w + x];
            if (y < horizon)
            {
                pixel = Mix(0xFF081028, 0xFFE07830, std::pow(y / static_cast<f32>(horizon), 2.0f));
                continue;
            }
            // The runway narrows towards the horizon; its centre line is dashed.
            const f32 depth = (y - horizon) / static_cast<f32>(h - horizon);
            const f32 half = 40.0f + 560.0f * depth, offset = std::fabs(x - w / 2.0f);
            pixel = Mix(0xFF101810, 0xFF203020, depth);
            if (offset < half)
                pixel = Mix(0xFF303438, 0xFF404448, depth);
            if (offset < 2.0f + 10.0f * depth && static_cast<i32>(std::sqrt(depth) * 40.0f) % 2 == 0)
                pixel = 0xFFE8E8D0;
            if (std::fabs(offset - half) < 1.0f + 6.0f * depth)
                pixel = 0xFFD0D0C0;
        }
    // The tower.
    Rectangle(p, 1500, 420, 1540, 700, 0xFF06080C);
    Rectangle(p, 1470, 380, 1570, 430, 0xFF06080C);
    Rectangle(p, 1478, 392, 1562, 416, 0xFFF0C060);
    {
        TCanvas canvas(p);
        canvas.Text("MORVANE", 960, 330, 220, FW_BOLD, RGB(0xFF, 0xF4, 0xE0));
        canvas.Text("AERODROME GROUND OPERATIONS", 960, 420, 56, FW_NORMAL, RGB(0xF8, 0xD8, 0xB0));
    }
    return p;
}

// Records live until the next write.
std::unique_ptr<TUIIntro> s_pIntro;
} // namespace

std::vector<TIntroPicture> IntroPictures()
{
    std::vector<TIntroPicture> pictures;
    pictures.push_back(Publisher());
    pictures.push_back(Engine());
    pictures.push_back(Title());
    return pictures;
}

TIntroPicture DistributerPicture()
{
    TIntroPicture p = Blank(960, 540, 0xFF000000);
    Rectangle(p, 330, 318, 630, 321, 0xFF808890);
    {
        TCanvas canvas(p);
        canvas.Text("Distributed by", 480, 230, 40, FW_NORMAL, RGB(0xB0, 0xB0, 0xB8));
        canvas.Text("NORTHWIND GAMES", 480, 290, 64, FW_BOLD, RGB(0xF0, 0xF0, 0xF8));
    }
    return p;
}

std::vector<u8> EncodeTga(const TIntroPicture& picture, i32 bytesPerPixel, bool topDown, u8 idLength)
{
    std::vector<u8> file(TGA_HEADER_SIZE + idLength, 0);
    file[0] = idLength;
    file[2] = 2; // uncompressed true colour
    file[12] = static_cast<u8>(picture.nWidth), file[13] = static_cast<u8>(picture.nWidth >> 8);
    file[14] = static_cast<u8>(picture.nHeight), file[15] = static_cast<u8>(picture.nHeight >> 8);
    file[16] = static_cast<u8>(bytesPerPixel * 8);
    file[17] = topDown ? TGA_TOP_DOWN : 0;
    for (i32 r = 0; r < picture.nHeight; ++r)
    {
        const i32 y = topDown ? r : picture.nHeight - 1 - r;
        for (i32 x = 0; x < picture.nWidth; ++x)
        {
            const u32 argb = picture.aPixel[static_cast<size_t>(y) * picture.nWidth + x];
            for (i32 b = 0; b < bytesPerPixel; ++b)
                file.push_back(static_cast<u8>(argb >> (8 * b)));
        }
    }
    return file;
}

bool WriteIntroRepository(const char* path)
{
    g_pCluster->Clear();
    TRepositoryWriter writer(INTRO_REPOSITORY_ID, 0);
    s_pIntro = std::make_unique<TUIIntro>();
    TUIIntro& intro = *s_pIntro;
    intro.nCrossfade = 1;
    intro.nDesignWidth = INTRO_DESIGN_WIDTH;
    intro.fFadeIn = intro.fFadeOut = INTRO_FADE_SECONDS;
    const std::vector<TIntroPicture> pictures = IntroPictures();
    const char* const names[] = {"intro.publisher", "intro.engine", "intro.title"};
    for (size_t i = 0; i < pictures.size(); ++i)
    {
        intro.aDisplayTime[i] = INTRO_IMAGE_SECONDS;
        intro.aTexture[i] =
            AddTextureRecord(writer, names[i], pictures[i].nWidth, pictures[i].nHeight, pictures[i].aPixel);
    }
    intro.nImageCount = static_cast<u32>(pictures.size());
    g_pLoadingManager->Intros().Add(&intro);
    TClusterManager* managers[] = {g_pDxTextureManager, g_pLoadingManager};
    const bool written = writer.Write(path, managers, 2, true);
    g_pCluster->Clear();
    return written;
}

bool WriteIntroImageFile(const char* path)
{
    const std::vector<u8> file = EncodeTga(DistributerPicture(), 4, false);
    std::FILE* out = std::fopen(path, "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}
