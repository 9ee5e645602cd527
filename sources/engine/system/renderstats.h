#pragma once
// TRenderStats: twelve counters the drawing code increments while a manager renders. The
// render-scene manager keeps the current block (zeroed before each manager's render call) and
// the frame block (the totals of the last render pass).
#include "core/system/types.h"

constexpr u32 RENDER_STATS_COUNT = 12;
// Words of the block that the drawing code increments: draws of stored geometry (mesh data and
// its instancing) count in words 0-2, draws of dynamic buffers (dynamic meshes, the canvas) in 3-5.
constexpr u32 RENDER_STATS_VERTICES = 0;
constexpr u32 RENDER_STATS_PRIMITIVES = 1;
constexpr u32 RENDER_STATS_DRAW_CALLS = 2;
constexpr u32 RENDER_STATS_DYNAMIC_VERTICES = 3;
constexpr u32 RENDER_STATS_DYNAMIC_PRIMITIVES = 4;
constexpr u32 RENDER_STATS_DYNAMIC_DRAW_CALLS = 5;
constexpr u32 RENDER_STATS_TARGET_CHANGES = 6;
constexpr u32 RENDER_STATS_VERTEX_SHADER_CHANGES = 7;
constexpr u32 RENDER_STATS_VERTEX_CONSTANT_CALLS = 8;
constexpr u32 RENDER_STATS_PIXEL_SHADER_CHANGES = 9;
constexpr u32 RENDER_STATS_PIXEL_CONSTANT_REGISTERS = 10;
constexpr u32 RENDER_STATS_TEXTURE_CHANGES = 11;

struct TRenderStats
{
    u32 aCounter[RENDER_STATS_COUNT];

    void Clear()
    {
        for (u32& counter : aCounter)
            counter = 0;
    }
    void Add(const TRenderStats& other)
    {
        for (u32 i = 0; i < RENDER_STATS_COUNT; ++i)
            aCounter[i] += other.aCounter[i];
    }
    // One draw call of stored geometry, or of a dynamic buffer.
    void CountDraw(u32 vertices, u32 primitives, bool dynamic)
    {
        u32* words = aCounter + (dynamic ? RENDER_STATS_DYNAMIC_VERTICES : RENDER_STATS_VERTICES);
        words[0] += vertices;
        words[1] += primitives;
        words[2] += 1;
    }
};

static_assert(sizeof(TRenderStats) == 48);

// The render-scene manager's two blocks, until the render scene itself is built: the current
// counters (zeroed before each manager renders) and the frame totals.
extern TRenderStats g_RenderStatsCurrent;
extern TRenderStats g_RenderStatsFrame;
