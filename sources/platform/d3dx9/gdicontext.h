#pragma once
// A GDI device context (HDC): a memory context drawing into its selected bitmap, or a window's
// context over the window's last presented frame (the screen's for a null window, which is only
// read). It keeps the selected font, bitmap and brush and the text and stretch settings.
#include "platform/d3d9/presentedframe.h"
#include "platform/d3dx9/gdipixels.h"
#include "platform/windef/windef.h"

#include <cstdint>
#include <optional>
#include <vector>

class TGdiBitmap;
class TGdiBrush;
class TGdiFont;

class TGdiContext
{
public:
    static TGdiContext* CreateMemory() { return new TGdiContext(true, nullptr); }
    static TGdiContext* CreateWindow(HWND window) { return new TGdiContext(false, window); }

    bool IsMemory() const { return memory_; }
    HWND Window() const { return window_; }

    // Pixels to read from: the bitmap's own, or a copy of the window's frame kept in storage.
    // False when there are none.
    bool Read(std::vector<std::uint32_t>& storage, TGdiPixels& view) const;

    // Pixels to draw on for the life of the object: the bitmap's, or the window's frame, shown
    // in the window when the object goes.
    class TTarget
    {
    public:
        explicit TTarget(TGdiContext& context);
        ~TTarget();
        TTarget(const TTarget&) = delete;
        TTarget& operator=(const TTarget&) = delete;

        bool IsValid() const { return valid_; }
        const TGdiPixels& Pixels() const { return view_; }

    private:
        // Drawing stays inside the context's clip rectangle.
        void Clip(const TGdiContext& context);

        HWND window_ = nullptr;
        std::optional<TPresentedFrameWriter> frame_;
        TGdiPixels view_;
        bool valid_ = false;
    };

    TGdiBitmap* bitmap = nullptr;
    TGdiFont* font = nullptr;
    TGdiBrush* brush = nullptr;
    DWORD textColour = 0;
    int backgroundMode = 2; // OPAQUE
    UINT textAlign = 0;
    int stretchMode = 1; // BLACKONWHITE
    // Drawing is cut to the clip rectangle while clipped is set.
    bool clipped = false;
    RECT clip = {0, 0, 0, 0};

private:
    TGdiContext(bool memory, HWND window) : memory_(memory), window_(window) {}

    bool memory_;
    HWND window_;
};
