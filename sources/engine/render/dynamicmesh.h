#pragma once
// TDynamicMesh: vertices the processor writes each frame into one dynamic buffer of the
// platform, drawn as a triangle list (or, made as one, a line list) with one shader. The platform makes it
// (g_pCreateDynamicMesh); a release gives the buffer back (a device loss), and the next lock
// makes it again.
#include "core/system/types.h"

class TShader;
struct TMeshDescription;

class TDynamicMesh
{
public:
    virtual ~TDynamicMesh() = default;
    // Room for count vertices after those written since the last draw; null when the buffer
    // cannot be made or locked.
    virtual void* LockVertices(u32 count) = 0;
    // Draws the first count vertices written with the shader, then writes start again at 0.
    virtual void Draw(u32 count, TShader* shader) = 0;
    // Drops what was written since the last draw without drawing it (a device reset); a mesh
    // that keeps nothing between draws has nothing to drop.
    virtual void Reset() {}
    virtual void Release() = 0;
    // A mesh made with room for indices (g_pCreateIndexedMesh): count 16-bit indices after those
    // written; null without room.
    virtual u16* LockIndices(u32 count) { return nullptr; }
    // Draws everything written, indexed, with the shader and keeps it for the next draw (a mesh
    // filled once and drawn many times).
    virtual void DrawKept(TShader* shader) {}
    // Whether what was written is still there (a device reset or a release loses it).
    virtual u32 IsFilled() const { return 0; }
};

// Set by the platform: a dynamic mesh of that many vertices of the format; null when none can
// be made.
extern TDynamicMesh* (*g_pCreateDynamicMesh)(u32 vertexCount, const TMeshDescription& format);
// A triangle-list mesh with room for that many vertices and 16-bit indices.
extern TDynamicMesh* (*g_pCreateIndexedMesh)(u32 vertexCount, u32 indexCount, const TMeshDescription& format);
// The same, drawn as a line list (vertex pairs) instead of triangles.
extern TDynamicMesh* (*g_pCreateDynamicLineMesh)(u32 vertexCount, const TMeshDescription& format);
