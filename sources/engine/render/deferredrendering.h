#pragma once
// TDeferredRendering: the preferred renderer (registry index 1). It draws the scene's geometry
// into a G-buffer of floating-point targets, accumulates the light manager's lights over the
// screen (with the shadow manager's masks), draws transparent geometry through an A-buffer, and
// combines everything into a colour target that later passes take through the render manager's
// ping-pong pair. Its six targets (A16B16G16R16F, the back buffer's size), published as words
// 1 to 6: "Color" (G-buffer colour), "Position" (camera-space position, w 1 where drawn),
// "Normal", "Temp1" (material; a ping-pong target after the transparent combine), "Temp2"
// (A-buffer, then the light accumulation; the other ping-pong target), "Temp3" (transparency
// positions, then the lit scene). It needs four targets at once, pixel shader 3.0 and
// floating-point targets; otherwise the forward renderer draws. A frame: BeginFrame clears,
// queue 0 fills the G-buffer, queue 1 lights and combines the opaque scene (shadows first),
// queue 20 fills the G-buffer of the transparent queues, queue 21 lights and combines them.
#include "engine/render/renderer.h"

class TLight;
class TRenderTarget;
class TShader;
struct TRenderQueue;

constexpr u32 DEFERRED_MIN_RENDER_TARGETS = 4;
// Pixel shader 3.0.
constexpr u32 DEFERRED_MIN_PIXEL_SHADER = 3000;
// Draws through the pipeline targets (flag 2) and their ping-pong pair (1).
constexpr u32 DEFERRED_FLAGS = 3;

// The targets, in the order they are made and published (word = index + 1).
constexpr u32 DEFERRED_COLOR = 0;
constexpr u32 DEFERRED_POSITION = 1;
constexpr u32 DEFERRED_NORMAL = 2;
constexpr u32 DEFERRED_TEMP1 = 3;
constexpr u32 DEFERRED_TEMP2 = 4;
constexpr u32 DEFERRED_TEMP3 = 5;
constexpr u32 DEFERRED_TARGETS = 6;

// Sampler slots of the light shaders and of the combine shader.
constexpr u32 DEFERRED_LIGHT_POSITION_SLOT = 0;
constexpr u32 DEFERRED_LIGHT_NORMAL_SLOT = 1;
constexpr u32 DEFERRED_LIGHT_MATERIAL_SLOT = 2;
constexpr u32 DEFERRED_LIGHT_SHADOW_SLOT = 6;
constexpr u32 DEFERRED_LIGHT_PROJECTION_SLOT = 13;
constexpr u32 DEFERRED_COMBINE_COLOR_SLOT = 0;
constexpr u32 DEFERRED_COMBINE_LIGHT_SLOT = 1;
constexpr u32 DEFERRED_COMBINE_SCENE_SLOT = 6;

// "Position" is cleared to this (ARGB): w 0 marks pixels nothing was drawn into.
constexpr u32 DEFERRED_POSITION_CLEAR = 0x00FFFFFF;

class TDeferredRendering : public TRenderer
{
public:
    TDeferredRendering();
    // Logs each refusal; an unsupported device clears `enabled`, so that nothing draws with it.
    void CheckSupport(const TRendererCaps& caps) override;
    // With a device and enabled: the targets, the light shaders' samplers, the queues "Alpha
    // blend" and "Particles" of the first scene; then every device listener hears that the
    // renderer's targets changed.
    i32 Initialize() override;
    // The six targets go; a disabled renderer takes the shadows with it.
    void ReleaseRenderTargets() override;
    void CreateRenderTargets() override;
    void PublishTargets() override;
    void BeginFrame(u32 clearFlags, u32 colour) override;
    // 0 the opaque G-buffer pass, 1 the opaque combine, 20 the transparent G-buffer pass, 21 the
    // transparent combine; other ids nothing.
    void RenderQueue(TRenderPass* pass, u32 id) override;

    TRenderTarget* GetTarget(u32 index) const { return m_apTarget[index]; }
    TRenderQueue* GetAlphaBlendQueue() const { return m_pAlphaBlend; }
    TRenderQueue* GetParticlesQueue() const { return m_pParticles; }

    // The shaders the renderer draws with, by name.
    static TShader* GBufferShader();
    static TShader* ImposterShader();
    static TShader* CombineShader();

    // The pixels of a width x height target a point or spot light can add light to, seen through
    // viewProjection: the screen rectangle (left, top, right, bottom; right and bottom past the
    // last pixel) of the sphere of its range, narrowed by a spot's cone (which bounds a spot alone
    // where the sphere reaches behind the camera). False where it cannot be bounded (a directional
    // light, a point light's sphere or a spot's cone reaching behind the camera): it covers the screen.
    static bool LightScreenRect(TLight& light, const TMatrix& viewProjection, u32 width, u32 height,
                                i32 rect[4]);

private:
    void _CreateRenderTargets();
    // "Alpha blend" and "Particles" of the first render scene, or null.
    void _FindQueues();
    void _RenderGBuffer(TRenderPass* pass);
    void _RenderTransparentGBuffer();
    void _RenderCombine(u32 transparent);
    void _RenderLights(u32 transparent);
    // "Alpha blend" and "Particles" drawn with the G-buffer shader (imposters with theirs).
    // With `measure`, keeps the screen rectangle of the objects drawn for the transparent passes.
    void _RenderTransparentQueues(u32 measure = 0);
    // The transparent surfaces' screen rectangle for a transparent pass, or null: the screen.
    const i32* TransparentBound(u32 transparent) const
    {
        return transparent && m_nTransparentBounded ? m_aTransparentRect : nullptr;
    }

    TRenderTarget* m_apTarget[DEFERRED_TARGETS];
    TRenderQueue* m_pAlphaBlend;
    TRenderQueue* m_pParticles;
    // Where the transparent queues drew in the frame's last A-buffer or transparent G-buffer pass
    // (left, top, right, bottom), when bounded.
    i32 m_aTransparentRect[4] = {};
    u32 m_nTransparentBounded = 0;
};

extern TDeferredRendering* g_pDeferredRendering;
