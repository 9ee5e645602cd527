#pragma once
// TDxDynamicMesh: the engine's dynamic mesh over one dynamic mesh data of the dynamic-mesh
// manager: appends locked without overwriting what waits to be drawn, a draw with the shader
// given, and a release that unloads the buffer until the next lock loads it again. An indexed
// one is filled once and drawn again and again (DrawKept).
#include "engine/render/dynamicmesh.h"

class TDxDynamicMeshData;

class TDxDynamicMesh : public TDynamicMesh
{
public:
    explicit TDxDynamicMesh(TDxDynamicMeshData* data) : m_pData(data) {}

    void* LockVertices(u32 count) override;
    void Draw(u32 count, TShader* shader) override;
    void Reset() override;
    void Release() override;
    u16* LockIndices(u32 count) override;
    void DrawKept(TShader* shader) override;
    u32 IsFilled() const override;

    TDxDynamicMeshData* GetData() const { return m_pData; }

private:
    TDxDynamicMeshData* m_pData;
};
