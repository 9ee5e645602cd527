#pragma once
// TDxMeshDataInstancing: queues copies of its mesh data (matrix and colour each) and draws them
// in batches: the geometry holds `capacity` copies, and a batch of n draws n / capacity of the
// first surface.
#include "core/math/matrix.h"
#include "engine/render/meshdata.h"

class TDxShader;

// Instances of one shader queued before a flush; instances drawn by one draw call.
constexpr u32 DX_INSTANCE_QUEUE_LIMIT = 256;
constexpr u32 DX_INSTANCE_BATCH = 48;
constexpr u32 DX_INSTANCE_MATRIX_FLOATS = 16;
constexpr u32 DX_INSTANCE_COLOUR_FLOATS = 4;

// The batch being drawn, read by the instance plug-ins.
struct TDxInstanceBatch
{
    u32 nCount;
    const f32* pMatrices;
    const f32* pColours;
};

extern TDxInstanceBatch g_DxInstanceBatch;

class TDxMeshDataInstancing : public TMeshDataInstancing
{
public:
    u32 GetCapacity() const { return m_nCapacity; }
    u32 GetQueuedCount() const { return m_nQueued; }
    void SetEnabled(u32 enabled) { m_nEnabled = enabled; }
    // Draws the queue; kept when the device is not running or the shader is not loaded.
    void Flush();
    // 0 when queued; 1 when refused (disabled, not running, no room).
    i32 AddInstance(const TMatrix& matrix, TDxShader* shader, const f32* colour);

private:
    // Room for one more instance of this shader, flushing first when needed.
    bool _MakeRoom(TDxShader* shader);
};

static_assert(sizeof(TDxMeshDataInstancing) == sizeof(TMeshDataInstancing));
