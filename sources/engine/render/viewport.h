#pragma once
// TViewport (stored type 46, 100 bytes): a rectangle of the screen that one camera is drawn
// into, with the render scenes it shows and the Direct3D viewport record its Direct3D form
// (TDxViewport) applies. It is the render pass the renderers draw: its flags say whether its
// scenes are drawn and whether depth is cleared first, and it may name its renderer.
#include "core/system/name.h"

#include <cstddef>

class TCamera;
class TRenderContext;
class TRenderer;

constexpr u16 VIEWPORT_TYPE_ID = 46;
constexpr u16 CAMERA_TYPE_ID = 48;
constexpr u16 RENDER_SCENE_TYPE_ID = 59;
constexpr u32 VIEWPORT_RENDER_SCENES = 8;
// Flag values set at construction.
constexpr u32 VIEWPORT_FLAGS_DEFAULT = 6;
constexpr u32 VIEWPORT_FLAG_2 = 2;
// Render-pass flags: the pass draws its scenes; the forward pass clears depth and stencil.
constexpr u32 RENDER_PASS_SCENES = VIEWPORT_FLAG_2;
constexpr u32 RENDER_PASS_CLEAR_DEPTH = 8;

// The layout of D3DVIEWPORT9.
struct TViewportRecord
{
    u32 nX;
    u32 nY;
    u32 nWidth;
    u32 nHeight;
    f32 fMinZ;
    f32 fMaxZ;
};

class TViewport
{
public:
    TViewport();
    virtual ~TViewport() = default;
    virtual f32 GetMinZ() = 0;
    virtual f32 GetMaxZ() = 0;
    virtual void SetRect(f32 left, f32 top, f32 right, f32 bottom) = 0;
    virtual void SetMinZ(f32 z) = 0;
    virtual void SetMaxZ(f32 z) = 0;
    // Sets (non-zero) or clears flag value 2.
    virtual void SetFlag(u32 set) = 0;
    virtual void SetCamera(TCamera* camera) = 0;
    // Makes the viewport the one drawn into.
    virtual void Apply() = 0;

    // With RENDER_PASS_SCENES: each listed render scene, or every scene when it lists none,
    // light set on, then its enabled queues feather-blended. 1 when scenes were drawn.
    u32 RenderScenes(TRenderContext* context);
    // Whether the viewport lists any render scene.
    u32 ListsScenes() const;

    TName m_Name;
    u32 m_nFlags;
    u32 m_nReserved12;
    TCamera* pCamera;
    f32 m_fLeft;
    f32 m_fTop;
    f32 m_fRight;
    f32 m_fBottom;
    // Its renderer (null: the render manager's choice); null in stored data.
    TRenderer* pRenderer;
    // 0xAARRGGBB.
    u32 m_nColor;
    void* aRenderScene[VIEWPORT_RENDER_SCENES];
    TViewportRecord m_Record;
};

static_assert(sizeof(TViewport) == 100);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TViewport, pCamera) == 16);
static_assert(offsetof(TViewport, pRenderer) == 36);
static_assert(offsetof(TViewport, m_nColor) == 40);
static_assert(offsetof(TViewport, aRenderScene) == 44);
static_assert(offsetof(TViewport, m_Record) == 76);
#pragma GCC diagnostic pop
