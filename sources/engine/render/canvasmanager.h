#pragma once
// TCanvasManager ("Canvas"): the engine's 2D drawing interface as the engine's own modules
// reach it; the Direct3D canvas implements it.
#include "core/math/color.h"
#include "core/system/name.h"
#include "engine/render/font.h"
#include "engine/system/manager.h"

class TCanvasManager : public TManager
{
public:
    virtual TFont SetFont(const TName& name, i32 size) = 0;
    virtual TFont SetDefaultFont() = 0;
    // -1 without a current font.
    virtual i32 GetTextWidth(const char* text, i32 length) = 0;
    // Rectangle: left, top, right, bottom in aperture units; text with markup.
    virtual void WriteRect(const f32 rect[4], const TColor& color, const char* text, i32 mode) = 0;
};

extern TCanvasManager* g_pCanvasManager;
