#pragma once
// TPipelineRecorder: the render pipeline's debug recorder, one static block beside the render
// manager. While recording (switched by the debug manager) every pass that records itself adds a
// step: the targets bound, the shader with its define set and textures, and the draw counters
// since the step before. From the selected step on, each step draws its colour targets as tiles
// into the texture "Render pipeline texture"; the viewer shows the tiles and the steps' texts.
#include "core/system/name.h"
#include "engine/system/renderstats.h"

class TRenderTarget;
class TShader;
class TInput;

constexpr u32 PIPELINE_STEP_CAPACITY = 128;
constexpr u32 PIPELINE_TARGET_SLOTS = 4;
constexpr u32 PIPELINE_TEXTURE_SLOTS = 22;
constexpr u32 PIPELINE_TEXTURE_WIDTH = 512;
constexpr u32 PIPELINE_TEXTURE_HEIGHT = 2048;
// A8R8G8B8: the tiles are for looking at.
constexpr u32 PIPELINE_TEXTURE_FORMAT = 258;
constexpr f32 PIPELINE_TILE_SIZE = 80.0f;

// One step: 42 words.
struct TPipelineStep
{
    u32 nStep;
    u32 aTarget[PIPELINE_TARGET_SLOTS];
    u32 nDepth;
    u32 nShader;
    // The shader's define set ("name=value|" ...), or "default" without defines.
    u32 nDefines;
    u32 aTexture[PIPELINE_TEXTURE_SLOTS];
    // vertices, faces, batches, dynamic vertices, dynamic faces, dynamic batches, render-target
    // changes, vertex shaders, vertex constants, pixel shaders, pixel constants, textures.
    u32 aStatistics[RENDER_STATS_COUNT];
};

static_assert(sizeof(TPipelineStep) == 42 * 4);
static_assert(offsetof(TPipelineStep, nShader) == 6 * 4);
static_assert(offsetof(TPipelineStep, aTexture) == 8 * 4);
static_assert(offsetof(TPipelineStep, aStatistics) == 30 * 4);

class TPipelineRecorder
{
public:
    // While recording: the next step, up to 128 a frame; further steps are not recorded.
    void Record(const TName& step, TShader* shader);
    // Every step zeroed; the texture, when made, cleared.
    void Reset();
    // Gives the texture back to the render-target manager; the next tile makes it again.
    void ReleaseTexture();
    // The viewer: the texture at (600, 50), then three lines of text a step; RCtrl with Up or
    // Down selects the step before or after.
    void Draw();

    u32 IsRecording() const { return m_nRecording; }
    void SetRecording(u32 on) { m_nRecording = on; }
    u32 GetStepCount() const { return m_nStepCount; }
    const TPipelineStep& GetStep(u32 index) const { return m_aStep[index]; }
    i32 GetSelected() const { return m_nSelected; }
    void SetSelected(i32 step) { m_nSelected = step; }
    TRenderTarget* GetTexture() const { return m_pTexture; }
    // The snapshot the next step's counters are taken against.
    void SetSnapshot(const TRenderStats& counters) { m_Snapshot = counters; }

private:
    // The bound colour targets as tiles in the step's row of the texture.
    void _DrawTiles(TRenderTarget* const (&targets)[PIPELINE_TARGET_SLOTS], TRenderTarget* depth);
    void _SelectByKeys();

    u32 m_nRecording = 0;
    u32 m_nStepCount = 0;
    TPipelineStep m_aStep[PIPELINE_STEP_CAPACITY] = {};
    TRenderTarget* m_pTexture = nullptr;
    i32 m_nSelected = 0;
    TRenderStats m_Snapshot = {};
    TInput* m_apKey[3] = {};
    u32 m_nKeysLooked = 0;
};

extern TPipelineRecorder g_PipelineRecorder;
