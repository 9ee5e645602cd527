#pragma once
// TDxMeshData: static mesh geometry on the device: a vertex declaration built from the engine's
// vertex description, a vertex buffer and a 16-bit index buffer, loaded in two parts, and its
// surfaces drawn through a shader (or queued on its instancing object).
#include "core/math/matrix.h"
#include "engine/render/meshdata.h"
#include "platform/d3d9/d3d9.h"

class TDxShader;
class TNodeObject;

// The Direct3D elements of a description (stream 0, offsets running on, the end marker last);
// elements with codes outside the tables end the list with a log line.
void BuildVertexElements(const TMeshDescription& description, TMeshDeviceElement* elements);
// One draw call of stored geometry, that many vertices and primitives, in the current render
// counters.
void CountMeshDraw(u32 vertices, u32 primitives);
// The vertex-buffer pool of static geometry: managed on XP-class devices.
D3DPOOL StaticPool();

class TDxMeshData : public TMeshData
{
public:
    // TResource.
    i32 Load() override;
    i32 Release() override;
    void OnDataArrived(u32 part) override;

    void SetDescription(const TMeshDescription& description);
    // Makes its instancing object (capacity copies of the geometry) in the mesh manager.
    TMeshDataInstancing* CreateInstancing(u32 capacity, const void* objectParameters);
    void* LockIndices();
    void UnlockIndices();
    void* LockVertices();
    void UnlockVertices();
    // Every surface with one shader: nothing while the mesh data or the shader is not loaded.
    void Draw(const TMatrix& matrix, TDxShader* shader, TNodeObject* object);
    // Every surface with its own material, through its material's shader or, when given, the
    // pass shader (with the material's textures); surfaces without vertices or primitives issue
    // their draw call all the same.
    void DrawWithMaterials(const TMatrix& matrix, TNodeObject* object, TShader* passShader = nullptr);

    // Declaration, stream 0 and indices through the effect state filter.
    void _Bind();

private:
    void _Create();
};

static_assert(sizeof(TDxMeshData) == sizeof(TMeshData));

// The world matrix of the object being drawn (read by the object-matrix plug-in).
extern TMatrix g_DxObjectMatrix;
