#pragma once
// TDxDynamicMeshData: geometry the processor writes while the program runs (canvas batches,
// particles ...): a dynamic vertex buffer and an optional dynamic 16-bit index buffer in the
// default pool, written by appending or at a position, drawn with one shader.
#include "engine/render/meshdata.h"
#include "platform/d3d9/d3d9.h"

class TDxShader;

// Lock flags.
constexpr u32 DX_DYNAMIC_VERTICES_APPENDING = 0x1;
constexpr u32 DX_DYNAMIC_INDICES_APPENDING = 0x2;
constexpr u32 DX_DYNAMIC_VERTICES_AT = 0x4;
constexpr u32 DX_DYNAMIC_INDICES_AT = 0x8;

// Primitive kinds.
constexpr u32 DX_PRIMITIVE_POINTS = 0;
constexpr u32 DX_PRIMITIVE_LINES = 1;
constexpr u32 DX_PRIMITIVE_LINE_STRIP = 2;
constexpr u32 DX_PRIMITIVE_TRIANGLES = 3;
constexpr u32 DX_PRIMITIVE_TRIANGLE_STRIP = 4;

class TDxDynamicMeshData : public TResource
{
public:
    TDxDynamicMeshData();

    // TResource: made in the default pool, so gone with a device loss and made again after it.
    i32 Load() override;
    i32 Release() override;
    i32 OnDeviceLost() override;
    i32 OnDeviceReset() override;

    u32 IsCreated() const { return m_pVertexBuffer ? 1 : 0; }
    // Sizes the buffers (an index capacity of 0: none) and loads; 0 when loaded.
    i32 Setup(u32 vertexCapacity, u32 indexCapacity, const TMeshDescription& description, TDxShader* shader);
    // Unloads (the slot stays with its manager).
    void ReleaseData() { Unload(); }
    void* AppendIndices(u32 count);
    void* AppendVertices(u32 count);
    void UnlockAppends();
    void Reset();
    void* LockVerticesAt(u32 first, u32 count);
    void UnlockVertices();
    void* LockIndicesAt(u32 first, u32 count);
    void UnlockIndices();
    // Counts of 0 draw what was written; with reset the next writes start again at 0.
    void Draw(u32 vertexCount, u32 indexCount, u32 reset);

    u32 m_nVertexCount;
    u32 m_nIndexCount;
    u32 m_nVertexCapacity;
    u32 m_nIndexCapacity;
    TDxShader* m_pShader;
    u32 m_nPrimitiveKind;
    TMeshDescription m_Description;
    u32 m_nVertexOffset;
    u32 m_nIndexOffset;
    u32 m_nLockFlags;
    IDirect3DVertexDeclaration9* m_pDeclaration;
    IDirect3DVertexBuffer9* m_pVertexBuffer;
    IDirect3DIndexBuffer9* m_pIndexBuffer;

private:
    void _Create();
    void _ReleaseObjects();
    // Locks bytes of a buffer at an offset; on failure (or past the capacity) null, and a failed
    // lock releases the Direct3D objects.
    void* _Lock(bool indices, u32 offset, u32 bytes, DWORD flags);
};

// The primitives n vertices or indices make in a kind.
u32 PrimitiveCount(u32 kind, u32 count);
