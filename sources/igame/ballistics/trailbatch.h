#pragma once
// TTrailBatch: the one trail vertex buffer (1,536 vertices, drawn as a triangle list). Room is
// taken n vertices at a time; what does not fit draws the batch and starts a new one. A flush
// binds the batch's texture on the shader for the draw only.
#include "core/system/types.h"

class TDynamicMesh;
class TShader;
class TTexture;
struct TTrailVertex;

constexpr u32 TRAIL_BATCH_VERTICES = 1536;

class TTrailBatch
{
public:
    // Makes the buffer when there is none and a device can make one.
    void Create();
    // A buffer made elsewhere (tests); the batch does not own it.
    void Attach(TDynamicMesh* mesh) { m_pMesh = mesh; }
    u32 Exists() const { return m_pMesh ? 1 : 0; }
    // Another shader or texture draws what is pending first.
    void SetMaterial(TShader* shader, TTexture* texture);
    // Room for count vertices (at most a whole batch); null without a buffer.
    TTrailVertex* Reserve(u32 count);
    // Draws what is pending.
    void Flush();
    // Forgets what was written without drawing it.
    void Reset();

    u32 GetDraws() const { return m_nDraws; }
    u32 GetDrawnVertices() const { return m_nDrawnVertices; }
    u32 GetPending() const { return m_nWritten; }

private:
    TDynamicMesh* m_pMesh = nullptr;
    TShader* m_pShader = nullptr;
    TTexture* m_pTexture = nullptr;
    TTrailVertex* m_pBase = nullptr;
    u32 m_nWritten = 0;
    u32 m_nDraws = 0;
    u32 m_nDrawnVertices = 0;
};
