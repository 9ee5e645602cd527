#pragma once
// TShadowManager ("Shadow"): the deferred renderer's shadows. Once per lit pass the renderer
// calls RenderShadows: for each shadow-casting light (at most four a frame, each with a slot,
// that is a channel of the masks) the manager renders a depth map ("Shadow RT", R32F, with
// "Shadow BB" as its depth target), projects it over the screen and writes the light's channel
// of the two screen-sized masks ("Shadow Mask 0" for opaque pixels, "Shadow Mask 1" for the
// nearest transparent ones); a soften step blurs mask 0 through "Shadow Filter". Directional
// lights get cascaded maps (shadowcascades.h), point and spot lights one perspective map each.
// The light shaders read the masks and pick their light's channel through the two channel
// selectors the manager writes into the light. Shadows need the deferred renderer: they are
// refused while its position target is not published. Main thread only.
#include "core/cluster/clustermethods.h"
#include "core/math/vector.h"
#include "engine/render/devicemethods.h"
#include "engine/system/manager.h"

class TCamera;
class TLight;
class TRenderObject;
class TRenderTarget;
class TShader;

// Shadow-casting lights drawn in one frame.
constexpr u32 SHADOW_LIGHT_LIMIT = 4;
// Target indexes (GetTarget).
constexpr i32 SHADOW_TARGET_MAP = -1;
constexpr i32 SHADOW_TARGET_DEPTH = -2;
constexpr i32 SHADOW_MASK_OPAQUE = 0;
constexpr i32 SHADOW_MASK_TRANSPARENT = 1;
constexpr u32 SHADOW_MASK_COUNT = 2;
// The map size until a script sets one.
constexpr f32 SHADOW_MAP_SIZE_DEFAULT = 1024.0f;
// A light casts only while its second intensity factor is at least this.
constexpr f32 SHADOW_POWER_MINIMUM = 0.5f;
// The blur's parameter vectors and the values the soften passes set.
constexpr u32 SHADOW_BLUR_VECTORS = 2;
constexpr f32 SHADOW_BLUR_STEP = 1.0f;
constexpr f32 SHADOW_BLUR_DEPTH_TOLERANCE = 0.05f;
// Local lights: their caster lists last this long (seconds) unless the light moves this far.
constexpr f64 SHADOW_LOCAL_LIST_LIFETIME = 5.0;
constexpr f32 SHADOW_LOCAL_LIST_MOVE = 20.0f;
constexpr u32 SHADOW_LOCAL_CASTERS = 512;
constexpr f32 SHADOW_LOCAL_NEAR = 0.2f;
// The stored cone values to degrees, and the field of view's margin and limits.
constexpr f64 SHADOW_CONE_TO_DEGREES = 6565.613;
constexpr f32 SHADOW_LOCAL_FOV_MARGIN = 3.0f;
constexpr f32 SHADOW_LOCAL_FOV_MINIMUM = 1.0f;
constexpr f32 SHADOW_LOCAL_FOV_MAXIMUM = 170.0f;

class TShadowManager : public TManager, public TDeviceMethods, public TClusterMethods
{
public:
    TShadowManager();

    // Registers its device and cluster listeners; the targets are not made yet.
    void BeginManager() override;
    void EndManager() override;
    // After a device creation or reset: caster lists changed, targets made (shadows on).
    void OnDeviceRestore() override;
    // Before a reset: the targets go.
    void OnDeviceRelease() override;
    void OnClusterLoad() override;
    void OnClusterUnload() override;

    // One lit pass: maps, projections and the soften step for this frame's casting lights.
    void RenderShadows();
    // Imposters changed: the caster lists are rebuilt at the next pass.
    static void __ResetCasterLists();

    // SHADOW_TARGET_MAP, SHADOW_TARGET_DEPTH or a mask index.
    TRenderTarget* GetTarget(i32 index) const;
    u32 IsEnabled() const { return m_nEnabled; }
    // Refused (0 written back into shadow_enable) without the deferred renderer's position
    // target; otherwise the targets follow.
    void SetEnabled(i32 value);
    // A width of 0 changes nothing, a height of 0 is the width; sizes beyond the device's
    // largest texture are cut to it with a log line.
    void SetMapSize(f32 width, f32 height);
    // 0 or below switches shadows off.
    void SetDistanceFactor(f32 factor);
    void SetSoften(i32 value);
    void CreateTargets();
    void CreateFilterTarget();
    void ReleaseTargets();

    f32 GetMapWidth() const { return m_fMapWidth; }
    f32 GetMapHeight() const { return m_fMapHeight; }
    f32 GetDistanceFactor() const { return m_fDistanceFactor; }
    u32 GetShadowCount() const { return m_nShadowCount; }
    u32 IsRendering() const { return m_nRendering; }
    u32 GetSoften() const { return m_nSoften; }
    u32 AreTargetsCreated() const { return m_nTargetsCreated; }
    const TVector* GetBlurParameters() const { return m_aBlur; }
    void SetBlurParameters(const TVector& first) { m_aBlur[0] = first; }
    static u32 HaveCasterListsChanged();

    // The passes the light kinds share. The map pass: "Shadow RT" and "Shadow BB" cleared and the
    // casters drawn into them with "Shader_shadow_buffer", then the imposters with
    // "Shader_imposter_shadow"; a point light's map gets a lit border. The scene stays open for
    // the caller's step record, which EndPass closes.
    void RenderMap(TRenderObject* const* casters, u32 count, u32 pointLight);
    // Both masks bound, the projection drawn over the screen; the scene stays open as above.
    void RenderProjection();
    void EndPass();
    // Writes the light's two channel selectors for its slot (all zero for slot SHADOW_LIGHT_LIMIT
    // and beyond).
    static void SetChannel(TLight& light, u32 slot);
    // "Shader_shadow_buffer", "Shader_shadow_projection" and "Shader_imposter_shadow".
    static TShader* BufferShader();
    static TShader* ProjectionShader();
    static TShader* ImposterShader();
    // The light's shadow distance times the distance factor.
    f32 ShadowDistance(const TLight& light) const;

private:
    void _RenderLocal(TLight& light, u32 mask, TCamera& camera);
    void _Soften();
    // Creates one target; false (with a log line) when the device refused it.
    bool _Create(TRenderTarget*& target, const char* name, u32 width, u32 height, u32 format);

    TRenderTarget* m_pMap;
    TRenderTarget* m_pDepth;
    TRenderTarget* m_pFilter;
    TRenderTarget* m_apMask[SHADOW_MASK_COUNT];
    u32 m_nEnabled;
    u32 m_nTargetsCreated;
    u32 m_nShadowCount;
    f32 m_fMapWidth;
    f32 m_fMapHeight;
    f32 m_fDistanceFactor;
    u32 m_nRendering;
    TVector m_aBlur[SHADOW_BLUR_VECTORS];
    u32 m_nSoften;
};

extern TShadowManager* g_pShadowManager;

// A local light's field of view in degrees: twice its cone (the second value taken off when
// negative) and a margin, within SHADOW_LOCAL_FOV_MINIMUM to SHADOW_LOCAL_FOV_MAXIMUM.
f32 ShadowLocalFieldOfView(const TLight& light);
// The casters listed for the local light of a shadow slot.
u32 ShadowLocalCasterCount(u32 slot);
