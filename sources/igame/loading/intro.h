#pragma once
// TIntro: the still images of the intro, fading in and out (optionally crossfading) full screen.
// Each frame is composed with GDI: the image stretched into a scratch frame filled with the
// image's background colour, blended over a black frame by the current opacity.
#include "core/system/criticalsection.h"
#include "core/system/templates/sarray.h"
#include "platform/d3dx9/wingdi.h"

#include <atomic>

struct TUIIntro;

constexpr u32 INTRO_IMAGE_CAPACITY = 16;
constexpr f32 INTRO_DEFAULT_FADE = 0.5f;
constexpr u32 INTRO_DEFAULT_DESIGN_WIDTH = 1920;
// Frames are composed in bands of this many rows.
constexpr i32 INTRO_BAND_ROWS = 16;
// The image appended to every intro.
constexpr const char* INTRO_IMAGE_FILE = "data/intro.distributer.data";

class TIntro
{
public:
    struct TIntroImage
    {
        f32 fDisplayTime;
        i32 nWidth;
        i32 nHeight;
        // The image's background colour.
        HBRUSH hBrush;
        // Null when it could not be made: the image draws its background only.
        HBITMAP hBitmap;
    };

    TIntro();

    // Builds the images of the record (capacity 16: more are cut with a log line); 1 when the
    // record has none, else 0.
    u32 Initialize(HDC imageDC, const TUIIntro& record);
    // Appends the TGA image file, shown as long as the first image; 1 when it cannot be read (a
    // log line says why).
    u32 AddImageFile(HDC imageDC, const char* path = INTRO_IMAGE_FILE);
    // Advances the intro by dt seconds and composes the frame of the screen's size; 0 when the
    // sequence has ended (the back buffer is left black) or the intro is inactive.
    u32 DrawFrame(HDC frameDC, HDC scratchDC, HDC imageDC, f32 dt, i32 screenWidth, i32 screenHeight);
    // Frees the images; the intro is over.
    void Release();

    // Where an image of that size shows: scaled with the screen width against the design width
    // (the screen's own when 0) and centred.
    static RECT GetImageRect(i32 width, i32 height, i32 designWidth, i32 screenWidth, i32 screenHeight);

    // The intro's critical section: a frame is drawn, an image added and the intro released
    // under it.
    void Lock() { m_Lock.Enter(); }
    void Unlock() { m_Lock.Leave(); }

    bool IsActive() const { return m_nActive != 0; }
    f32 GetOpacity() const { return m_fOpacity.load(); }
    f32 GetTime() const { return m_fTime; }
    u32 GetIndex() const { return m_nIndex; }
    u32 GetImageCount() const { return m_aImage.GetCount(); }
    const TIntroImage& GetImage(u32 index) const { return m_aImage[index]; }

private:
    // A bottom-up DIB section of the top-row-first pixels (3 or 4 bytes each) and the brush of
    // the first pixel's colour; false (the bitmap null) when the section cannot be made.
    static bool MakeImage(HDC imageDC, const u8* pixels, i32 width, i32 height, i32 bytesPerPixel,
                          TIntroImage& image);
    // Stretches the image's rows top .. top + rows into the scratch frame's first rows and blends
    // them over the frame's.
    void Compose(HDC frameDC, HDC scratchDC, HDC imageDC, const TIntroImage& image, f32 alpha, i32 screenWidth,
                 i32 screenHeight, i32 top, i32 rows);
    // The end: both frames and the back buffer black.
    void Finish(HDC frameDC, HDC scratchDC, i32 screenWidth, i32 screenHeight);

    u32 m_nActive;
    u32 m_nCrossfade;
    u32 m_nDesignWidth;
    u32 m_nIndex;
    // -1 before the first frame.
    f32 m_fTime;
    f32 m_fFadeIn;
    f32 m_fFadeOut;
    SArray<TIntroImage, INTRO_IMAGE_CAPACITY, 0> m_aImage;
    TCriticalSection m_Lock;
    // Read by the thread that paces the frames.
    std::atomic<f32> m_fOpacity;
};
