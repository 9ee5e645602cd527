#pragma once
// A GDI font (HFONT): one of the shared FreeType faces.
#include "platform/d3dx9/fontface.h"
#include "platform/d3dx9/gdiobject.h"

#include <memory>

class TGdiFont : public TGdiObject
{
public:
    explicit TGdiFont(std::shared_ptr<TFontFace> face) : TGdiObject(EGdiKind::Font), face_(std::move(face)) {}

    TFontFace& Face() { return *face_; }

private:
    std::shared_ptr<TFontFace> face_;
};
