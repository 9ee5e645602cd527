#pragma once
// TCanvasManager ("Canvas"): the engine's 2D drawing interface as the engine's own modules
// reach it; the Direct3D canvas implements it.
#include "core/math/boundbox.h"
#include "core/math/color.h"
#include "core/math/matrix.h"
#include "core/system/name.h"
#include "engine/render/canvasvertex.h"
#include "engine/render/font.h"
#include "engine/system/manager.h"

class TShader;
class TTexture;

// The canvas's shared default text colour (debug overlays write in it).
constexpr TColor CANVAS_DEFAULT_TEXT_COLOR = {1.0f, 1.0f, 1.0f, 1.0f};

class TCanvasManager : public TManager
{
public:
    // The shader of a kind (1: alpha-blended) with the texture in its slot 0.
    virtual TShader* SetShader(TTexture* texture, i32 kind) = 0;
    // An immediate rectangle of the whole texture in slot 0 of the shader, tinted by the colour.
    virtual void DrawTexture(f32 x1, f32 y1, f32 x2, f32 y2, TShader* shader, const TColor& color) = 0;
    // The shader's texture over the whole bound target; a canvas without batches draws nothing.
    virtual void DrawFullScreen(TShader* shader, const TColor& color) {}
    virtual TFont SetFont(const TName& name, i32 size) = 0;
    virtual TFont SetDefaultFont() = 0;
    // -1 without a current font.
    virtual i32 GetTextWidth(const char* text, i32 length) = 0;
    // Rectangle: left, top, right, bottom in aperture units; text with markup.
    virtual void WriteRect(const f32 rect[4], const TColor& color, const char* text, i32 mode) = 0;
    // Room for count vertices of 2D triangles drawn with the texture; null when refused (a
    // canvas without batches refuses all).
    virtual TCanvasVertex* AllocTexturedTriangles(i32 count, TTexture* texture) { return nullptr; }
    // World-space triangles (a triangle list) drawn with the shader at the next flush; another
    // shader draws what is pending first. A canvas without batches draws nothing.
    virtual void DrawUserVertices(i32 count, const TCanvasVertex* vertices, TShader* shader) {}

    // World-space wire drawing through the main camera, text at a point of the aperture, and
    // the flush of what is batched; a canvas without batches draws nothing.
    virtual void DrawLine3D(const TVector& from, const TVector& to, const TColor& color) {}
    virtual void DrawBox(const TMatrix& matrix, const TBoundBox& box, const TColor& color) {}
    virtual void DrawSphere(const TVector& centre, f32 radius, const TColor& color, f32 scale) {}
    virtual void DrawAxes(const TMatrix& matrix, f32 length) {}
    virtual void WriteColored(f32 x, f32 y, const TColor& color, const char* text, i32 mode) {}
    virtual void Flush() {}

    // The aperture: a virtual size mapped onto the back buffer (with fit, widened to its aspect
    // ratio), or the back buffer's own size; 0 for a canvas without one.
    virtual void SetApertureSize(f32 width, f32 height, i32 fit) {}
    virtual void SetApertureToDevice() {}
    virtual f32 GetApertureWidth() const { return 0.0f; }
    virtual f32 GetApertureHeight() const { return 0.0f; }
    // Non-zero: what is drawn from now on samples its texture linearly (a scaled drawing, whose
    // point sampling would drop whole rows of its text and images); 0: point sampling.
    virtual void SetFiltered(u32 filtered) {}
};

extern TCanvasManager* g_pCanvasManager;
