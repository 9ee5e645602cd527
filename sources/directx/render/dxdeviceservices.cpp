// TDxDeviceManager: the render-state services: scenes, targets, clear, present and the
// per-frame flush, the query pool, scissor, title, gamma, desktop capture, pixel upload and
// the device statistics.
#include "directx/render/dxdevice.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxdeviceint.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/system/command/commandmanager.h"
#include "platform/d3d9/presentedframe.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

TDeviceStatistics g_DxDeviceStatistics = {};

namespace
{
constexpr const char* kSource = "sources/directx/render/dxdevice";

// device_present_flush: a value of another type than integer, float, name or colour counts as on.
bool PresentFlushEnabled()
{
    const TVariableValue& value = g_device_present_flush.GetValue();
    switch (value.nType)
    {
    case VALUE_INT:
        return value.nInt != 0;
    case VALUE_FLOAT:
        return value.fFloat != 0.0f;
    case VALUE_NAME:
        return value.nName != 0;
    case VALUE_COLOUR:
        return value.nColour != 0;
    default:
        return true;
    }
}
} // namespace

void WidenWindowTitle(const char* text, char16_t out[DX_WINDOW_TITLE_LENGTH + 1])
{
    u32 length = 0;
    for (; text && text[length] && length < DX_WINDOW_TITLE_LENGTH; ++length)
        out[length] = static_cast<unsigned char>(text[length]);
    out[length] = 0;
}

void TDxDeviceManager::BeginScene()
{
    g_DxGlobals.nInScene = 1;
    m_pDevice->BeginScene();
}

void TDxDeviceManager::EndScene()
{
    g_DxGlobals.nInScene = 0;
    m_pDevice->EndScene();
}

void TDxDeviceManager::SetBackBufferTarget(u32 withDepth)
{
    m_BackBuffer.SetRenderTarget(withDepth ? &m_DepthStencil : nullptr);
}

void TDxDeviceManager::Clear(u32 flags, const u32& colour, f32 depth, i32 stencil)
{
    DWORD clear = 0;
    if (flags & DEVICE_CLEAR_TARGET)
        clear |= D3DCLEAR_TARGET;
    if (flags & DEVICE_CLEAR_DEPTH)
        clear |= D3DCLEAR_ZBUFFER;
    if (flags & DEVICE_CLEAR_STENCIL)
        clear |= D3DCLEAR_STENCIL;
    m_pDevice->Clear(0, nullptr, clear, colour, depth, static_cast<DWORD>(stencil));
}

i32 TDxDeviceManager::Present()
{
    if (g_DxGlobals.nVista)
        return static_cast<IDirect3DDevice9Ex*>(m_pDevice)->PresentEx(nullptr, nullptr, nullptr, nullptr, 0);
    return m_pDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

TRenderQuery* TDxDeviceManager::CreateRenderQuery(u32 type, i32 create)
{
    u32 slot;
    if (m_nFreeQueryCount > 0)
        slot = m_aFreeQuery[--m_nFreeQueryCount];
    else if (m_nQueryHighWater < DX_QUERY_POOL_CAPACITY)
        slot = m_nQueryHighWater++;
    else
        __Abort("TDxDeviceManager::CreateRenderQuery", kSource, __LINE__, "count too big");

    TDxRenderQuery* query = &m_aQuery[slot];
    query->__Release();
    m_aLivePosition[slot] = m_nLiveQueryCount;
    m_apLiveQuery[m_nLiveQueryCount++] = query;
    query->__SetType(type);
    if (create > 0 || (create < 0 && !query->GetBracketFlag()))
        query->__Create();
    return query;
}

void TDxDeviceManager::DeleteRenderQuery(TRenderQuery* query)
{
    u32 slot = 0;
    while (slot < m_nQueryHighWater && &m_aQuery[slot] != query)
        ++slot;
    if (slot == m_nQueryHighWater || m_aLivePosition[slot] == DX_QUERY_FREED)
        __Abort("TDxDeviceManager::DeleteRenderQuery", kSource, __LINE__,
                "query does not belong to the pool");

    m_aFreeQuery[m_nFreeQueryCount++] = slot;
    m_aQuery[slot].__Release();
    // The last live query takes the freed place.
    const u32 position = m_aLivePosition[slot];
    TDxRenderQuery* last = m_apLiveQuery[--m_nLiveQueryCount];
    m_apLiveQuery[position] = last;
    m_aLivePosition[last - m_aQuery] = position;
    m_aLivePosition[slot] = DX_QUERY_FREED;
}

void TDxDeviceManager::__CreateFlushQueries()
{
    if (!m_pDevice || !PresentFlushEnabled() || m_apFlushQuery[0])
        return;
    TLog::Print(g_pSystemLog, LOG_INFO,
                "TDxDeviceManager::__CreateFlushQueries(): ", "Creating present event query.");
    for (TDxRenderQuery*& query : m_apFlushQuery)
    {
        query = static_cast<TDxRenderQuery*>(CreateRenderQuery(RENDER_QUERY_EVENT, -1));
        query->End();
    }
    m_nFlushIndex = 0;
}

void TDxDeviceManager::PresentFlush()
{
    __CreateFlushQueries();
    if (!PresentFlushEnabled() || !m_apFlushQuery[0])
        return;
    m_apFlushQuery[m_nFlushIndex]->End();
    // Interleaved: wait for the previous frame's event, so one frame may be in flight.
    if (g_device_present_interleave_flush.GetInt() != 0)
        m_nFlushIndex ^= 1;
    m_apFlushQuery[m_nFlushIndex]->GetData(nullptr, 0, 1);
}

void TDxDeviceManager::SetWindowTitle(const TName& title)
{
    if (!m_hWindow)
        return;
    char16_t text[DX_WINDOW_TITLE_LENGTH + 1];
    WidenWindowTitle(title.GetText(), text);
    g_pDxDeviceInt->SetWindowTextW(m_hWindow, text);
}

const char* TDxDeviceManager::GetWindowTitle()
{
    const TVariableValue& value = g_window_title.GetValue();
    if (value.nType != VALUE_NAME)
        return "";
    TName name;
    name.SetId(value.nName);
    return name.GetText();
}

void TDxDeviceManager::SetScissorTest(u32 enable)
{
    // Pending 2D drawing belongs to the old scissor state.
    if (enable != m_nScissorTest && g_pDxCanvasManager)
        g_pDxCanvasManager->Flush();
    m_nScissorTest = enable;
    m_pDevice->SetRenderState(D3DRS_SCISSORTESTENABLE, enable != 0 ? TRUE : FALSE);
}

TVector TDxDeviceManager::GetScissorRect()
{
    RECT rect = {};
    m_pDevice->GetScissorRect(&rect);
    return TVector(static_cast<f32>(rect.left), static_cast<f32>(rect.top), static_cast<f32>(rect.right),
                   static_cast<f32>(rect.bottom));
}

void TDxDeviceManager::SetScissorRect(i32 left, i32 top, i32 right, i32 bottom)
{
    const RECT rect = {left, top, right, bottom};
    m_pDevice->SetScissorRect(&rect);
}

void TDxDeviceManager::SetBackBufferSize(i32 width, i32 height)
{
    m_nBackBufferWidth = width;
    m_nBackBufferHeight = height;
}

TDeviceStatistics* TDxDeviceManager::GetStatistics()
{
    return &g_DxDeviceStatistics;
}

void TDxDeviceManager::BuildGammaRamp(f32 gamma, D3DGAMMARAMP& ramp)
{
    for (u32 i = 0; i < 256; ++i)
    {
        // Over 255, so that the top entry is full.
        const f64 value = std::pow(static_cast<f64>(i) / 255.0, static_cast<f64>(gamma)) * 65535.0 + 0.5;
        const WORD entry = static_cast<WORD>(std::clamp(value, 0.0, 65535.0));
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = entry;
    }
}

i32 TDxDeviceManager::SetGamma(f32 gamma)
{
    if (!m_pDevice)
        return 3;
    if (m_Settings.IsWindowed())
        TCommandManager::Instance().Print("gamma correction works only in full-screen mode.");
    D3DCAPS9 caps = {};
    m_pDevice->GetDeviceCaps(&caps);
    if (!(caps.Caps2 & D3DCAPS2_FULLSCREENGAMMA))
        return 1;
    D3DGAMMARAMP ramp;
    BuildGammaRamp(gamma, ramp);
    m_pDevice->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
    return 0;
}

const void* TDxDeviceManager::CaptureDesktop()
{
    // What the window shows is the last presented frame (the whole monitor in full screen).
    const i32 width = std::max(m_nBackBufferWidth, 0);
    const i32 height = std::max(m_nBackBufferHeight, 0);
    const u32 pitch = (static_cast<u32>(width) * 3 + 3) & ~3u;
    const u32 size = pitch * static_cast<u32>(height);
    if (size != m_nCaptureSize || !m_pCapture)
    {
        MemoryFree(m_pCapture);
        m_pCapture = static_cast<u8*>(MemoryAllocate(size ? size : 1));
        m_nCaptureSize = m_pCapture ? size : 0;
        if (!m_pCapture)
            return nullptr;
    }
    std::memset(m_pCapture, 0, size);

    int frameWidth = 0, frameHeight = 0;
    if (!D3D9CopyPresentedFrame(nullptr, 0, &frameWidth, &frameHeight))
        return m_pCapture;
    std::vector<u32> frame(static_cast<size_t>(frameWidth) * frameHeight);
    D3D9CopyPresentedFrame(frame.data(), frameWidth * 4, nullptr, nullptr);
    for (i32 y = 0; y < height; ++y)
    {
        // Bottom-up rows, stretched from the frame.
        u8* row = m_pCapture + static_cast<size_t>(height - 1 - y) * pitch;
        const i32 sourceY = y * frameHeight / height;
        for (i32 x = 0; x < width; ++x)
        {
            const u32 pixel = frame[static_cast<size_t>(sourceY) * frameWidth + x * frameWidth / width];
            row[x * 3 + 0] = static_cast<u8>(pixel);
            row[x * 3 + 1] = static_cast<u8>(pixel >> 8);
            row[x * 3 + 2] = static_cast<u8>(pixel >> 16);
        }
    }
    return m_pCapture;
}

void TDxDeviceManager::_ReleaseStaging()
{
    if (m_pStaging)
        m_pStaging->Release();
    m_pStaging = nullptr;
    m_nStagingWidth = 0;
    m_nStagingHeight = 0;
}

void TDxDeviceManager::DrawPixelsToBackBuffer(i32 x, i32 y, i32 width, i32 height, const void* pixels,
                                              i32 unused)
{
    if (!pixels)
    {
        _ReleaseStaging();
        return;
    }
    const bool bottomUp = height < 0;
    height = std::abs(height);
    if (width <= 0 || height == 0 || !m_pDevice || !m_pBackBufferSurface)
        return;
    if (!m_pStaging || width != m_nStagingWidth || height != m_nStagingHeight)
    {
        _ReleaseStaging();
        if (FAILED(m_pDevice->CreateTexture(width, height, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM,
                                            &m_pStaging, nullptr)))
        {
            m_pStaging = nullptr;
            return;
        }
        m_nStagingWidth = width;
        m_nStagingHeight = height;
    }

    // The image fills the staging texture from (0, 0); the destination gets the position.
    D3DLOCKED_RECT locked;
    if (FAILED(g_pDxDeviceInt->LockTextureLevel(m_pStaging, 0, &locked, 0)))
        return;
    const u8* source = static_cast<const u8*>(pixels);
    for (i32 row = 0; row < height; ++row)
    {
        const i32 target = bottomUp ? height - 1 - row : row;
        std::memcpy(static_cast<u8*>(locked.pBits) + target * locked.Pitch, source + row * width * 4,
                    static_cast<size_t>(width) * 4);
    }
    g_pDxDeviceInt->UnlockTextureLevel(m_pStaging, 0);

    // Clipped to the back buffer.
    RECT sourceRect = {0, 0, width, height};
    POINT destination = {x, y};
    if (x < 0)
        sourceRect.left = -x, destination.x = 0;
    if (y < 0)
        sourceRect.top = -y, destination.y = 0;
    sourceRect.right = std::min<LONG>(width, sourceRect.left + m_nBackBufferWidth - destination.x);
    sourceRect.bottom = std::min<LONG>(height, sourceRect.top + m_nBackBufferHeight - destination.y);
    if (sourceRect.right <= sourceRect.left || sourceRect.bottom <= sourceRect.top)
        return;
    IDirect3DSurface9* level = nullptr;
    m_pStaging->GetSurfaceLevel(0, &level);
    m_pDevice->UpdateSurface(level, &sourceRect, m_pBackBufferSurface, &destination);
    level->Release();
}
