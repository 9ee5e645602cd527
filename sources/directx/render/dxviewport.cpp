#include "directx/render/dxviewport.h"

#include "directx/render/dxcameramanager.h"
#include "engine/render/camera.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/device.h"
#include "platform/d3d9/d3d9.h"

void TDxViewport::SetRect(f32 left, f32 top, f32 right, f32 bottom)
{
    m_Record.nX = static_cast<u32>(static_cast<i32>(left));
    m_Record.nY = static_cast<u32>(static_cast<i32>(top));
    m_Record.nWidth = static_cast<u32>(static_cast<i32>(right - left));
    m_Record.nHeight = static_cast<u32>(static_cast<i32>(bottom - top));
    m_fLeft = left;
    m_fTop = top;
    m_fRight = right;
    m_fBottom = bottom;
}

void TDxViewport::SetFlag(u32 set)
{
    if (set)
        m_nFlags |= VIEWPORT_FLAG_2;
    else
        m_nFlags &= ~VIEWPORT_FLAG_2;
}

void TDxViewport::Apply()
{
    static_assert(sizeof(TViewportRecord) == sizeof(D3DVIEWPORT9));
    if (pCamera)
    {
        // The camera's lens is fitted to the rectangle it is drawn in.
        pCamera->UpdateProjection(static_cast<i32>(m_fRight - m_fLeft), static_cast<i32>(m_fBottom - m_fTop));
        // A camera on no node keeps its view.
        if (pCamera->pNode)
            pCamera->UpdateView();
    }
    g_pDeviceManager->GetDevice()->SetViewport(reinterpret_cast<const D3DVIEWPORT9*>(&m_Record));
    g_pDxViewportManager->SetCurrentViewport(this);
    if (pCamera)
        g_pDxCameraManager->SetCamera(pCamera);
    g_pDxShaderManager->ApplyGlobalParameters();
}
