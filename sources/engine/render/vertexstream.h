#pragma once
// TVertexStream: one dynamic mesh that many small draws of one vertex format go through (the
// particles', the decals'). Vertices are written straight into the locked buffer and drawn in
// batches that break only when the buffer is full or the shader changes; a full buffer is
// drawn, then locked again whole.
#include "core/system/types.h"

class TDynamicMesh;
class TShader;
struct TMeshDescription;

class TVertexStream
{
public:
    // capacity vertices of vertexSize bytes in the format; nothing is made before Create.
    TVertexStream(u32 capacity, u32 vertexSize, const TMeshDescription& format);

    // Makes the dynamic mesh when it does not exist (no device: none).
    void Create();
    u32 Exists() const { return m_pMesh ? 1 : 0; }
    // Draws what another shader left pending, then takes this one.
    void Switch(TShader* shader);
    // Room for count vertices in one run (at most the capacity); a buffer without that room
    // is drawn first. Null when there is no buffer.
    void* Reserve(u32 count);
    // Copies count vertices, drawing the buffer whenever it fills.
    void Write(const void* vertices, u32 count);
    // Draws the pending batch.
    void Flush();
    // Forgets what was written without drawing it (a device reset, a cluster load).
    void Reset();
    // The device let the buffer go.
    void Release();

    u32 GetWritten() const { return m_nWritten; }
    // Vertices drawn and batches since the program started (for the tests and benchmarks).
    u32 GetDrawnVertices() const { return m_nDrawnVertices; }
    u32 GetBatches() const { return m_nBatches; }

private:
    // A full buffer locked for writing; false without one.
    bool Lock();
    void Forget();

    const u32 m_nCapacity;
    const u32 m_nVertexSize;
    const TMeshDescription& m_Format;
    TDynamicMesh* m_pMesh = nullptr;
    TShader* m_pShader = nullptr;
    // The locked range: where the next vertex goes, and how many fit after it.
    u8* m_pWrite = nullptr;
    u32 m_nRoom = 0;
    u32 m_nWritten = 0;
    u32 m_nDrawnVertices = 0;
    u32 m_nBatches = 0;
};
