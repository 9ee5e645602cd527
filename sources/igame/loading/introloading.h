#pragma once
// TIntroLoading: the intro's thread. `intro_load` starts it to load the game's data while the
// main thread draws intro frames; once loaded, it draws the frames itself while the main thread
// runs the first manager update. Frames are composed by TIntro into a 32-bit DIB section and put
// on the back buffer under the device lock.
#include "core/system/templates/sarray.h"
#include "core/system/thread.h"
#include "igame/loading/intro.h"

#include <atomic>

// Thread states.
constexpr u32 INTRO_THREAD_LOADED = 1;  // the game's data are loaded
constexpr u32 INTRO_THREAD_HANDED = 2;  // the main thread has run the first update
// A frame advances the intro by at most this, in seconds.
constexpr f32 INTRO_MAX_FRAME_TIME = 0.1f;
// The thread's frame pace while an image stands still and while it fades, in milliseconds.
constexpr u32 INTRO_THREAD_STILL_MS = 250;
constexpr u32 INTRO_THREAD_FADE_MS = 20;

class TIntroLoading : public TThread
{
public:
    TIntroLoading();
    ~TIntroLoading() override;

    // Logs "initialize", forgets the window size and sets the intro up for the current one,
    // building its images from the loading manager's first record.
    void Initialize();
    void Run() override;
    // Draws and presents one frame; 0 when the sequence has ended (or the intro is released).
    u32 RenderFrame();
    // Frees the frames and their contexts and the device's pixel texture; the intro is over.
    void _Release();
    // Without a display nothing is shown: frames are neither composed nor presented (so a
    // scripted run's frame count stays the game's), and the intro ends once the data are handed
    // over.
    bool IsShown() const { return m_bShown; }
    // Appends the intro's image file (TIntro::AddImageFile).
    u32 AddImageFile(const char* path = INTRO_IMAGE_FILE);

    TIntro& GetIntro() { return m_Intro; }
    // The game's data, loaded by the thread.
    SArray<char, 128, 0> m_Repository;
    std::atomic<u32> m_nState;
    std::atomic<u32> m_nStop;

private:
    // Once per window size: the window's context, the image context and the two frames; the
    // first set-up after Initialize also builds the intro from the loading manager's first
    // record (a new window size changes the frames, not the images).
    void _Setup();
    void FreeFrames();

    bool m_bBuilt;
    bool m_bShown;
    i32 m_nWidth;
    i32 m_nHeight;
    f64 m_fPreviousTime;
    HWND m_hWindow;
    HDC m_hWindowDC;
    HDC m_hFrameDC;
    HBITMAP m_hFrame;
    void* m_pFramePixels;
    HDC m_hScratchDC;
    HBITMAP m_hScratch;
    HDC m_hImageDC;
    TIntro m_Intro;
};

extern TIntroLoading g_IntroLoading;
