#pragma once
// A 32-bit GDI bitmap (HBITMAP): compatible bitmaps (top-down) and DIB sections, whose pixel
// memory the caller writes in the row order it asked for.
#include "platform/d3dx9/gdiobject.h"
#include "platform/d3dx9/gdipixels.h"

#include <memory>

class TGdiContext;

class TGdiBitmap : public TGdiObject
{
public:
    // Null when the size is not positive or too large to address.
    static std::unique_ptr<TGdiBitmap> Create(int width, int height, bool bottomUp);
    ~TGdiBitmap() override;

    // The pixel memory as allocated: row 0 is the bottom row of a bottom-up bitmap.
    void* Bits() { return bits_; }
    TGdiPixels View() const;

    // The memory context the bitmap is selected into, if any.
    TGdiContext* Owner() const { return owner_; }
    void SetOwner(TGdiContext* owner) { owner_ = owner; }

private:
    TGdiBitmap(int width, int height, bool bottomUp, std::uint32_t* bits);

    int width_;
    int height_;
    bool bottomUp_;
    std::uint32_t* bits_;
    TGdiContext* owner_ = nullptr;
};
