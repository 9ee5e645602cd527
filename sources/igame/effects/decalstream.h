#pragma once
// TDecalStream: the one dynamic vertex buffer every decal is drawn through (7,500 vertices,
// triangle list, layout "decal"): vertices are copied in chunks, and a full buffer or another
// shader draws what is pending first.
#include "core/system/types.h"

class TDynamicMesh;
class TShader;
struct TDecalVertex;

constexpr u32 DECAL_STREAM_VERTICES = 7500;

class TDecalStream
{
public:
    static TDecalStream& Get();

    // Makes the buffer when there is none (no device: none).
    void Create();
    u32 Exists() const { return m_pMesh ? 1 : 0; }
    // Draws what another shader left pending, then takes this one.
    void Switch(TShader* shader);
    // Copies count vertices, drawing the buffer whenever it fills.
    void Write(const TDecalVertex* vertices, u32 count);
    // Draws what is pending.
    void Flush();
    // Forgets what was written without drawing it.
    void Reset();

    u32 GetDrawnVertices() const { return m_nDrawnVertices; }
    u32 GetBatches() const { return m_nBatches; }

private:
    TDecalStream() = default;

    TDynamicMesh* m_pMesh = nullptr;
    TShader* m_pShader = nullptr;
    TDecalVertex* m_pWrite = nullptr;
    u32 m_nWritten = 0;
    u32 m_nRoom = 0;
    u32 m_nDrawnVertices = 0;
    u32 m_nBatches = 0;
};
