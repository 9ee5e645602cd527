#pragma once
// TDxCanvasManager ("Canvas", back end "Dx"): the 2D and debug-3D drawing interface. Lines,
// wire shapes and textured triangles are collected into four locked vertex batches and drawn
// with one call per batch on Flush (its render step); a batch is drawn early only when it is
// full or its shader or texture changes. Positions are in the aperture, a virtual coordinate
// space mapped onto the back buffer.
#include "core/cluster/clustermethods.h"
#include "core/math/color.h"
#include "core/math/matrix.h"
#include "core/system/name.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/devicemethods.h"
#include "engine/render/font.h"
#include "engine/render/meshdata.h"
#include "engine/system/resourcemethods.h"

#include <vector>

class TDxDynamicMeshData;
class TDxMeshData;
class TDxShader;
class TShaderParameter;
class TTexture;
struct TBoundBox;

enum ECanvasBatch : u32
{
    CANVAS_BATCH_2D_LINES,
    CANVAS_BATCH_3D_LINES,
    CANVAS_BATCH_2D_TRIANGLES,
    CANVAS_BATCH_3D_TRIANGLES,
    CANVAS_BATCH_COUNT
};

constexpr i32 CANVAS_BATCH_CAPACITY[CANVAS_BATCH_COUNT] = {2048, 8192, 8192, 768};

struct TCanvasBatch
{
    i32 nCount;
    i32 nCapacity;
    TCanvasVertex* pWrite;
    TDxDynamicMeshData* pMesh;
    TTexture* pTexture;
};

// The unit sphere of a detail level (0 to 2) as a triangle list of 8, 32 or 128 triangles;
// built once and kept for the run.
const std::vector<TVector>& CanvasUnitSphere(u32 level);
// Segments DrawCircle uses for a radius.
i32 CanvasCircleSegments(f32 radius);

// Kinds of GetShader and SetShader.
enum ECanvasShader : i32
{
    CANVAS_SHADER_DEFAULT,
    CANVAS_SHADER_ALPHA,
    CANVAS_SHADER_UNIMPLEMENTED,
    CANVAS_SHADER_ADD,
    CANVAS_SHADER_MUL,
    CANVAS_SHADER_2D,
    CANVAS_SHADER_2D_LINE,
    CANVAS_SHADER_3D,
    CANVAS_SHADER_3D_ALPHA,
    CANVAS_SHADER_3D_LINE,
    CANVAS_SHADER_3D_ADD,
    CANVAS_SHADER_3D_MUL,
    CANVAS_SHADER_KINDS
};

class TDxCanvasManager : public TCanvasManager, public TResourceMethods, public TClusterMethods, public TDeviceMethods
{
public:
    // Listens to the resources, the cluster and the device; makes the batches and the default
    // font current; the aperture follows the back buffer.
    void BeginManager() override;
    // The render step.
    void RenderManager() override { Flush(); }

    // Writes the colour into the shared parameter "CanvasColor" (nothing while unbound).
    void SetColor(const TColor& color);

    void SetApertureMode(i32 mode);
    // With fit, the aperture widens to the back buffer's aspect ratio and the scales map it
    // onto the back buffer.
    void SetApertureSize(f32 width, f32 height, i32 fit) override;
    void SetApertureToDevice() override;
    // The size of the target bound in colour slot 0; nothing while none is bound.
    void SetApertureToRenderTarget();
    f32 GetApertureWidth() const override { return m_fWidth; }
    f32 GetApertureHeight() const override { return m_fHeight; }
    i32 GetApertureMode() const { return m_nApertureMode; }
    // What is batched goes out under the setting it was drawn with.
    void SetFiltered(u32 filtered) override;
    f32 GetScaleX() const { return m_fScaleX; }
    f32 GetScaleY() const { return m_fScaleY; }

    // The canvas shader of a kind, found by its name ("Shader_canvas" ...); null when the loaded
    // data has none. Kind 2 is fatal.
    TDxShader* GetShader(i32 kind);
    // The shader of the kind with the texture (required first) in its slot 0.
    TShader* SetShader(TTexture* texture, i32 kind) override;
    // The unit rectangle the immediate operations draw; null when the data has none.
    TDxMeshData* GetUnitRect();
    const TMeshDescription* GetUnitRectInfo();
    // Immediate rectangles: drawn at once with the unit rectangle, the colour as "CanvasColor",
    // before any pending batch. The texture is the one in slot 0 of the shader.
    void DrawTexture(f32 x1, f32 y1, f32 x2, f32 y2, TShader* shader, const TColor& color) override;
    void DrawTextureUV(f32 x1, f32 y1, f32 x2, f32 y2, f32 tu1, f32 tv1, f32 tu2, f32 tv2, TShader* shader,
                       const TColor& color);
    void DrawFullScreen(TShader* shader, const TColor& color) override;

    // TClusterMethods: binds "CanvasColor" and the batch shaders by name; an unload forgets the
    // colour parameter.
    void OnClusterLoad() override;
    void OnClusterUnload() override { m_pColor = nullptr; }
    // Binds again when "CanvasColor" is still unbound.
    void EnsureClusterBindings();
    // TDeviceMethods: after a creation or reset the aperture follows the new back buffer.
    void OnDeviceChange() override;

    // Creates the four batch meshes, each drawn with its shader (null until bound).
    void CreateBatches();
    // Gives a batch its shader, drawing what it holds first when the shader changes.
    void BindBatchShader(u32 batch, TDxShader* shader);

    // Reserve count vertices of a batch for the caller to fill; null (and a log line) for
    // more than the batch holds.
    TCanvasVertex* AllocVertices2DLines(i32 count, TDxShader* shader, TTexture* texture);
    TCanvasVertex* AllocVertices3DLines(i32 count, TDxShader* shader, TTexture* texture);
    TCanvasVertex* AllocVertices2DTriangles(i32 count, TDxShader* shader, TTexture* texture);
    TCanvasVertex* AllocVertices3DTriangles(i32 count, TDxShader* shader, TTexture* texture);

    void DrawLine3D(const TVector& from, const TVector& to, const TColor& color) override;
    void DrawLine(f32 x1, f32 y1, f32 x2, f32 y2, const TColor& color);
    void DrawBox(const TMatrix& matrix, const TBoundBox& box, const TColor& color) override;
    void DrawRectFrame(f32 x1, f32 y1, f32 x2, f32 y2, const TColor& color);
    void DrawCircle(f32 x, f32 y, f32 radius, const TColor& color);
    // Nothing without a main camera.
    void DrawSphere(const TVector& centre, f32 radius, const TColor& color, f32 scale) override;
    // From the translation T: T back along each axis in grey, then forward in red, green, blue.
    void DrawAxes(const TMatrix& matrix, f32 length) override;
    void DrawAxesAt(const TVector& position, f32 length);
    // Angles in degrees: a for the half-height, b for the half-width.
    void DrawFrustum(const TMatrix& matrix, f32 angleA, f32 angleB, f32 nearDepth, f32 farDepth, const TColor& color);
    void DrawStrip3D(const TVector& from, const TVector& to, const TVector& side, f32 headLength, f32 widthFactor,
                       const TColor& color);
    void DrawArrow(const TVector& from, const TVector& to, f32 headLength, const TColor& color, f32 widthFactor);
    // Each point x, y, u, v; the texture is the one in slot 0 of the shader.
    void DrawTextureQuad(const f32 p0[4], const f32 p1[4], const f32 p2[4], const f32 p3[4], TDxShader* shader,
                         const TColor& color);
    void DrawTriangles3D(const TCanvasVertex* vertices, i32 count, TDxShader* shader);
    void DrawUserVertices(i32 count, const TCanvasVertex* vertices, TShader* shader) override;
    // 2D triangles of the texture drawn with "Shader_canvas2d".
    TCanvasVertex* AllocTexturedTriangles(i32 count, TTexture* texture) override;
    // Draws and empties the batches in order while a frame is drawn; otherwise only empties.
    void Flush() override;

    const TCanvasBatch& GetBatch(u32 batch) const { return m_aBatch[batch]; }

    // Text through the current font; positions and sizes in aperture units.
    TFont SetFont(const TName& name, i32 size) override;
    TFont SetDefaultFont() override;
    TFont GetFont() const { return m_CurrentFont; }
    void SetFontData(TFontData* data) { m_CurrentFont.pData = data; }
    // -1 without a current font.
    i32 GetTextWidthW(const char16_t* text, i32 length);
    i32 GetTextWidth(const char* text, i32 length) override;
    void WriteRect(const f32 rect[4], const TColor& color, const char* text, i32 mode) override;
    void WriteColored(f32 x, f32 y, const TColor& color, const char* text, i32 mode) override;
    // The name's text in the current language, nothing when it has none: word-wrapped in the
    // rectangle, or one line at the position.
    void WriteLocalizedRect(const f32 rect[4], const TColor& color, const TName& name, i32 mode);
    void WriteLocalized(f32 x, f32 y, const TColor& color, const TName& name, i32 mode);
    void WriteColoredW(f32 x, f32 y, const TColor& color, const char16_t* text, i32 mode);

private:
    void _SetApertureSize(f32 width, f32 height, f32 scaleX, f32 scaleY);
    TCanvasVertex* _Alloc(u32 batch, i32 count, TDxShader* shader, TTexture* texture);
    TCanvasVertex* _Reserve(u32 batch, i32 count);
    void _FlushBatch(u32 batch, u32 reset);
    void _DiscardBatches();
    void _AddLine3D(const TVector& a, const TVector& b, u32 color);
    // Screen-matrix vectors 0 and 1, the colour, and one draw of the unit rectangle.
    void _DrawRect(TShader* shader, const TColor& color, const TVector& position, const TVector& uv);
    // Before each draw: the filtered sampling, through the effects' state filter.
    void _ApplyFilter();

    TFont m_DefaultFont;
    TFont m_CurrentFont;
    TShaderParameter* m_pColor = nullptr;
    i32 m_nApertureMode = 0;
    u32 m_nFiltered = 0;
    f32 m_fWidth = 0.0f;
    f32 m_fHeight = 0.0f;
    f32 m_fInvWidth = 0.0f;
    f32 m_fInvHeight = 0.0f;
    f32 m_fScaleX = 0.0f;
    f32 m_fScaleY = 0.0f;
    TCanvasBatch m_aBatch[CANVAS_BATCH_COUNT] = {};
};

extern TDxCanvasManager* g_pDxCanvasManager;

// printf-style text into the ring of StringFormat buffers, then the canvas.
void CanvasWritefColored(f32 x, f32 y, const TColor& color, const char* format, ...);
void CanvasWritefColoredFlags(f32 x, f32 y, const TColor& color, i32 mode, const char* format, ...);
void CanvasWritef(const f32 rect[4], const TColor& color, const char* format, ...);
// At the main camera's projection of a world point; nothing without a camera or behind it.
void CanvasWritefWorld(const TVector& point, const TColor& color, const char* format, ...);
void CanvasWritefWorldFlags(const TVector& point, const TColor& color, i32 mode, const char* format, ...);
