#pragma once
// A solid GDI brush (HBRUSH): one colour.
#include "platform/d3dx9/gdiobject.h"
#include "platform/windef/windef.h"

class TGdiBrush : public TGdiObject
{
public:
    // 0x00BBGGRR.
    explicit TGdiBrush(DWORD colour) : TGdiObject(EGdiKind::Brush), colour_(colour) {}

    DWORD Colour() const { return colour_; }

private:
    DWORD colour_;
};
