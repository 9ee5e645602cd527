#include "directx/render/dxrendertargetmanager.h"

#include "core/system/log.h"
#include "engine/render/device.h"
#include "engine/system/managermanager.h"

TDxRenderTargetManager* g_pDxRenderTargetManager = nullptr;

namespace
{
TDxRenderTargetManager s_RenderTargetManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("RenderTarget", "Dx", &g_pDxRenderTargetManager,
                                                           &s_RenderTargetManager);
} // namespace

TDxRenderTargetManager::TDxRenderTargetManager()
    : m_apCurrent{}, m_pCurrentDepth(nullptr), m_apLockSurface{}, m_nLocked(DX_LOCK_NONE), m_nLockedBytes(0),
      m_nLockMode(0), m_nFreeCount(0)
{
    g_pRenderTargetManager = this;
}

void TDxRenderTargetManager::BeginManager()
{
    g_pDeviceManager->AddMethod(this);
}

void TDxRenderTargetManager::EndManager()
{
    for (u32 i = 0; i < m_aTarget.GetCount(); ++i)
        m_aTarget[i].Unload();
    m_aTarget.SetCount(0);
    m_nFreeCount = 0;
    for (TRenderTarget*& current : m_apCurrent)
        current = nullptr;
    m_pCurrentDepth = nullptr;
}

TRenderTarget* TDxRenderTargetManager::CreateRenderTarget(const TName& name, u32 width, u32 height, u32 format,
                                                          u32 shareable, u32 unused, u32 flags)
{
    if (shareable)
        for (u32 i = 0; i < m_aTarget.GetCount(); ++i)
        {
            TDxRenderTarget& target = m_aTarget[i];
            if (target.m_nReferences >= 1 && target.m_nShareable && target.m_nWidth >= width &&
                target.m_nHeight >= height && target.m_nFormat == format)
            {
                ++target.m_nReferences;
                target.m_Name = name;
                return &target;
            }
        }
    TDxRenderTarget* target;
    if (m_nFreeCount > 0)
        target = m_apFree[--m_nFreeCount];
    else if (m_aTarget.GetCount() < DX_RENDER_TARGET_CAPACITY)
    {
        m_aTarget.SetCount(m_aTarget.GetCount() + 1);
        target = &m_aTarget[m_aTarget.GetCount() - 1];
    }
    else
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxRenderTargetManager::CreateRenderTarget(): error: ",
                    "'%s': all %u render targets in use", name.GetText(), DX_RENDER_TARGET_CAPACITY);
        return nullptr;
    }
    target->Setup(name, width, height, format, shareable, flags);
    target->Require();
    target->m_nReferences = 1;
    return target;
}

TRenderTarget* TDxRenderTargetManager::GetCurrentTarget(i32 index)
{
    if (index == static_cast<i32>(DX_RENDER_TARGET_SLOTS))
        return m_pCurrentDepth;
    if (index < 0 || index > static_cast<i32>(DX_RENDER_TARGET_SLOTS))
        return nullptr;
    return m_apCurrent[index];
}

void TDxRenderTargetManager::_PushFree(TDxRenderTarget* target)
{
    // Every target is in the array, so the list never holds more than the array.
    m_apFree[m_nFreeCount++] = target;
}

void TDxRenderTargetManager::OnDeviceRelease()
{
    for (IDirect3DSurface9*& surface : m_apLockSurface)
    {
        if (surface)
            surface->Release();
        surface = nullptr;
    }
    m_nLocked = DX_LOCK_NONE;
}
