#pragma once
// A GDI font (HFONT) and the screen device context it is selected into for measuring.
#include "platform/d3dx9/fontface.h"

#include <memory>

class TGdiFont
{
public:
    explicit TGdiFont(std::shared_ptr<TFontFace> face) : face_(std::move(face)) {}

    TFontFace& Face() { return *face_; }

private:
    std::shared_ptr<TFontFace> face_;
};
