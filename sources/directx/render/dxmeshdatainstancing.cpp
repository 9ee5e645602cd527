#include "directx/render/dxmeshdatainstancing.h"

#include "core/system/log.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshader.h"
#include "engine/render/device.h"
#include "engine/system/renderstats.h"

#include <cstring>

TDxInstanceBatch g_DxInstanceBatch = {0, nullptr, nullptr};

namespace
{
const char* const kPrefix = "TDxMeshDataInstancing::AddInstance(): error: ";
}

bool TDxMeshDataInstancing::_MakeRoom(TDxShader* shader)
{
    const u32 limit = m_nCapacity < DX_INSTANCE_QUEUE_LIMIT ? m_nCapacity : DX_INSTANCE_QUEUE_LIMIT;
    if (m_nQueued >= limit || m_pShader != shader)
        Flush();
    // A flush that could not draw keeps its queue: nothing more goes in while it is full or
    // while it waits for another shader.
    if (m_nQueued >= limit || (m_nQueued > 0 && m_pShader != shader))
        return false;
    return true;
}

i32 TDxMeshDataInstancing::AddInstance(const TMatrix& matrix, TDxShader* shader, const f32* colour)
{
    if (!m_nEnabled || !g_pDeviceManager->IsRunning() || !m_pMatrices || m_nCapacity == 0)
        return 1;
    // The colour may lie in the manager's current parameter block, which a flush replaces.
    f32 ownColour[DX_INSTANCE_COLOUR_FLOATS];
    std::memcpy(ownColour, colour, sizeof ownColour);
    if (m_nQueued > 0 && !_MakeRoom(shader))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kPrefix, "instance queue full, instance dropped");
        return 1;
    }
    if (m_nQueued == 0)
    {
        if (!g_pDxMeshManager->_AddPending(this))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kPrefix, "%u instancing objects pending, instance dropped",
                        DX_INSTANCING_PENDING_CAPACITY);
            return 1;
        }
        m_pShader = shader;
    }
    std::memcpy(m_pMatrices + m_nQueued * DX_INSTANCE_MATRIX_FLOATS, &matrix, sizeof(f32) * DX_INSTANCE_MATRIX_FLOATS);
    std::memcpy(m_pColours + m_nQueued * DX_INSTANCE_COLOUR_FLOATS, ownColour, sizeof ownColour);
    ++m_nQueued;
    return 0;
}

void TDxMeshDataInstancing::Flush()
{
    if (m_nQueued == 0)
        return;
    auto* shader = static_cast<TDxShader*>(m_pShader);
    auto* mesh = static_cast<TDxMeshData*>(pMeshData);
    if (!g_pDeviceManager->IsRunning() || !shader || shader->Require() || !mesh || mesh->Require() ||
        mesh->m_aSurface.GetCount() == 0)
        return;
    mesh->_Bind();
    g_DxObjectMatrix = TMatrix(1.0f);
    g_pDxMeshManager->SetObjectParameters(m_aObjectParameters);
    const TMeshSurface& surface = mesh->m_aSurface[0];
    for (u32 first = 0; first < m_nQueued; first += DX_INSTANCE_BATCH)
    {
        const u32 batch = m_nQueued - first < DX_INSTANCE_BATCH ? m_nQueued - first : DX_INSTANCE_BATCH;
        const u32 vertices = surface.m_nVertexCount * batch / m_nCapacity;
        const u32 primitives = surface.m_nPrimitiveCount * batch / m_nCapacity;
        g_DxInstanceBatch = {batch, m_pMatrices + first * DX_INSTANCE_MATRIX_FLOATS,
                             m_pColours + first * DX_INSTANCE_COLOUR_FLOATS};
        if (shader->Begin(nullptr, &mesh->m_Description, surface.pMaterial))
            continue;
        CountMeshDraw(vertices, primitives);
        g_pDeviceManager->GetDevice()->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertices, 0, primitives);
        shader->End();
    }
    m_nQueued = 0;
    m_pShader = nullptr;
}
