#include "devicefixture.h"

#include "platform/d3d9/image.h"
#include "platform/d3d9/presentedframe.h"
#include "platform/d3d9/settings.h"
#include "platform/window/winuser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{
// A 64 x 64 X8R8G8B8 system-memory surface whose pixels are pixel(x, y); null if it cannot be made.
template <class TPixel> IDirect3DSurface9* PatternSurface(IDirect3DDevice9* device, TPixel pixel)
{
    IDirect3DSurface9* surface = nullptr;
    D3DLOCKED_RECT locked;
    if (device->CreateOffscreenPlainSurface(64, 64, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &surface, nullptr) != D3D_OK)
        return nullptr;
    if (surface->LockRect(&locked, nullptr, 0) != D3D_OK)
    {
        surface->Release();
        return nullptr;
    }
    for (int y = 0; y < 64; ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 64; ++x)
            row[x] = pixel(x, y);
    }
    surface->UnlockRect();
    return surface;
}

// The last presented frame, of this size.
std::vector<std::uint32_t> PresentedFrame(int width, int height)
{
    std::vector<std::uint32_t> frame(size_t(width) * height);
    int copiedWidth = 0, copiedHeight = 0;
    EXPECT_TRUE(D3D9CopyPresentedFrame(frame.data(), width * 4, &copiedWidth, &copiedHeight));
    EXPECT_EQ(width, copiedWidth);
    EXPECT_EQ(height, copiedHeight);
    return frame;
}

// Devices of the test's own parameters.
class Direct3D : public DeviceTest
{
protected:
    void SetUp() override {}
};
} // namespace

TEST_F(Direct3D, AWindowedDeviceOfSizeZeroTakesTheClientSize)
{
    HWND window = MakeWindow(u"d3d9test", 200, 150);
    ASSERT_NE(nullptr, window);
    D3DPRESENT_PARAMETERS parameters = Parameters(0, 0, D3DFMT_UNKNOWN);
    parameters.BackBufferCount = 2;
    MakeDevice(parameters, window);
    EXPECT_EQ(200u, parameters.BackBufferWidth);
    EXPECT_EQ(150u, parameters.BackBufferHeight);
    EXPECT_EQ(D3D_OK, device->Present(nullptr, nullptr, nullptr, nullptr));
    DeviceTest::TearDown();
    DestroyWindow(window);
}

TEST_F(Direct3D, BothCreationPathsAndTheReportedSystem)
{
    IDirect3D9* plain = Direct3DCreate9(D3D_SDK_VERSION | 0x80000000u);
    ASSERT_NE(nullptr, plain);
    IDirect3D9Ex* ex = nullptr;
    EXPECT_EQ(E_NOINTERFACE, plain->QueryInterface(IID_IDirect3D9Ex, reinterpret_cast<void**>(&ex)));
    EXPECT_EQ(0u, plain->Release());
    EXPECT_EQ(nullptr, Direct3DCreate9(31));

    ASSERT_EQ(D3D_OK, Direct3DCreate9Ex(D3D_SDK_VERSION, &ex));
    EXPECT_NE(nullptr, D3D9GetProcAddress("Direct3DCreate9Ex"));
    EXPECT_EQ(0u, ex->Release());

    TD3D9Settings& settings = D3D9Settings();
    const TD3D9Settings saved = settings;
    settings.osMajor = 5;
    EXPECT_EQ(nullptr, D3D9GetProcAddress("Direct3DCreate9Ex"));
    EXPECT_EQ(D3DERR_NOTAVAILABLE, Direct3DCreate9Ex(D3D_SDK_VERSION, &ex));
    EXPECT_EQ(nullptr, ex);
    settings = saved;
}

TEST_F(Direct3D, APixelShader2ProfileOffersOneTargetAndNoFloatingPointTargets)
{
    // VESTAMOR_D3D9_CAPS=ps2: what the engine's renderer choice falls back on.
    D3D9Settings().caps = ECapsProfile::PixelShader2;
    D3DPRESENT_PARAMETERS parameters = Parameters(32, 32);
    MakeDevice(parameters);
    D3DCAPS9 caps;
    ASSERT_EQ(D3D_OK, direct3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps));
    EXPECT_EQ(1u, caps.NumSimultaneousRTs);
    EXPECT_EQ(2u, D3DSHADER_VERSION_MAJOR(caps.PixelShaderVersion));
    for (D3DFORMAT format : {D3DFMT_A16B16G16R16F, D3DFMT_R32F})
    {
        EXPECT_EQ(D3DERR_NOTAVAILABLE, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                                              D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, format));
        EXPECT_EQ(D3DERR_NOTAVAILABLE, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                                              D3DUSAGE_QUERY_FILTER, D3DRTYPE_TEXTURE, format));
    }
    EXPECT_EQ(D3D_OK, direct3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET,
                                             D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8));
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A16B16G16R16F,
                                                        D3DPOOL_DEFAULT, &texture, nullptr));
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, device->CreateRenderTarget(8, 8, D3DFMT_R32F, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                             &surface, nullptr));
    ASSERT_EQ(D3D_OK, device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &surface,
                                                 nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetRenderTarget(1, surface));
    EXPECT_EQ(D3D_OK, device->SetRenderTarget(0, Own(surface)));
    D3D9Settings().caps = ECapsProfile::Full;
}

TEST_F(Direct3D, DeviceCreationRules)
{
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS parameters = Parameters(0, 0, D3DFMT_UNKNOWN);
    IDirect3DDevice9* device = nullptr;
    // A windowed device of size 0x0 takes its window's size: without a window it cannot be made.
    EXPECT_EQ(D3DERR_INVALIDCALL, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device));
    EXPECT_EQ(nullptr, device);

    // Full screen needs a listed mode.
    parameters = Parameters(1000, 10, D3DFMT_X8R8G8B8, FALSE);
    EXPECT_EQ(D3DERR_INVALIDCALL, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device));
    parameters.BackBufferWidth = 800;
    parameters.BackBufferHeight = 600;
    ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device));
    EXPECT_EQ(0u, device->Release());

    // The setting that stands for a failing driver.
    D3D9Settings().failingDeviceCreations = 1;
    EXPECT_EQ(D3DERR_NOTAVAILABLE, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device));
    ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device));
    EXPECT_GE(device->GetAvailableTextureMem() >> 20, 128u);
    EXPECT_EQ(0u, device->Release());
    EXPECT_EQ(0u, d3d->Release());
}

TEST_F(DeviceTest, FinalReleaseAnswersTheOutstandingReferences)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK,
              device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(D3D_OK, texture->GetSurfaceLevel(0, &level));
    // The level shares the texture's count.
    EXPECT_EQ(3u, texture->AddRef());
    EXPECT_EQ(2u, texture->Release());
    EXPECT_EQ(1u, level->Release());

    // The application's reference and the texture's: releasing the device leaves one.
    EXPECT_EQ(1u, device->Release());
    EXPECT_EQ(0u, texture->Release());
    device = nullptr;
}

TEST_F(DeviceTest, ABoundTextureOutlivesItsLastRelease)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
    ASSERT_EQ(D3D_OK, device->SetTexture(0, texture));
    EXPECT_EQ(0u, texture->Release());
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(D3D_OK, device->GetTexture(0, &bound));
    ASSERT_EQ(static_cast<IDirect3DBaseTexture9*>(texture), bound);
    EXPECT_EQ(1u, bound->GetLevelCount());
    EXPECT_EQ(0u, bound->Release());
    EXPECT_EQ(D3D_OK, device->SetTexture(0, nullptr));
}

TEST_F(DeviceTest, ResetIsRefusedWhileDefaultPoolObjectsLive)
{
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateRenderTarget(32, 32, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                 &target, nullptr));
    IDirect3DTexture9* managed = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr));
    D3DPRESENT_PARAMETERS parameters = Parameters(128, 32);
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Reset(&parameters));

    // A held back buffer counts too.
    target->Release();
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Reset(&parameters));
    back->Release();

    // Managed resources survive; lights go.
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    ASSERT_EQ(D3D_OK, device->SetLight(3, &light));
    ASSERT_EQ(D3D_OK, device->Reset(&parameters));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetLight(3, &light));
    ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    EXPECT_EQ(128u, desc.Width);
    EXPECT_EQ(32u, desc.Height);
    back->Release();
    D3DVIEWPORT9 viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(128u, viewport.Width);
    EXPECT_EQ(0u, managed->Release());
}

TEST_F(Direct3D, ExtendedDevicesRefuseTheManagedPoolAndKeepTheDefaultPoolOverResets)
{
    D3DPRESENT_PARAMETERS parameters = Parameters(16, 16, D3DFMT_UNKNOWN);
    MakeDevice(parameters, nullptr, true);
    auto* device9ex = static_cast<IDirect3DDevice9Ex*>(device);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL,
              device9ex->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
    EXPECT_EQ(D3D_OK, device9ex->SetMaximumFrameLatency(1));
    EXPECT_EQ(D3D_OK, device9ex->CheckDeviceState(nullptr));
    EXPECT_EQ(D3D_OK, device9ex->PresentEx(nullptr, nullptr, nullptr, nullptr, 0));

    // Default-pool resources live on across a reset of an extended device.
    ASSERT_EQ(D3D_OK, device9ex->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                               &texture, nullptr));
    parameters.BackBufferWidth = 32;
    ASSERT_EQ(D3D_OK, device9ex->ResetEx(&parameters, nullptr));
    ASSERT_EQ(D3D_OK, device9ex->Reset(&parameters));
    // A held back buffer still stands in the way.
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(D3D_OK, device9ex->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    EXPECT_EQ(D3DERR_INVALIDCALL, device9ex->ResetEx(&parameters, nullptr));
    D3DSURFACE_DESC desc;
    back->GetDesc(&desc);
    EXPECT_EQ(32u, desc.Width);
    back->Release();
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD));
    EXPECT_EQ(D3D_OK, texture->UnlockRect(0));
    EXPECT_EQ(0u, texture->Release());
}

TEST_F(DeviceTest, LockRules)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(10, 6, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture, nullptr));
    EXPECT_EQ(4u, Own(texture)->GetLevelCount());
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, 0));
    EXPECT_EQ(20, locked.Pitch);
    EXPECT_EQ(D3DERR_INVALIDCALL, texture->LockRect(0, &locked, nullptr, 0));
    EXPECT_EQ(D3D_OK, texture->UnlockRect(0));
    EXPECT_EQ(D3DERR_INVALIDCALL, texture->UnlockRect(0));
    RECT rect = {2, 1, 4, 3};
    D3DLOCKED_RECT part;
    ASSERT_EQ(D3D_OK, texture->LockRect(0, &part, &rect, D3DLOCK_READONLY));
    texture->UnlockRect(0);
    ASSERT_EQ(D3D_OK, texture->LockRect(0, &locked, nullptr, 0));
    texture->UnlockRect(0);
    EXPECT_EQ(static_cast<std::uint8_t*>(locked.pBits) + 20 + 4, part.pBits);
    rect = {8, 0, 11, 2};
    EXPECT_EQ(D3DERR_INVALIDCALL, texture->LockRect(0, &part, &rect, 0));

    // DXT: pitch per block row, rectangles on block corners only.
    ASSERT_EQ(D3D_OK, device->CreateTexture(10, 10, 1, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &texture, nullptr));
    ASSERT_EQ(D3D_OK, Own(texture)->LockRect(0, &locked, nullptr, 0));
    EXPECT_EQ(48, locked.Pitch);
    texture->UnlockRect(0);
    rect = {2, 0, 4, 4};
    EXPECT_EQ(D3DERR_INVALIDCALL, texture->LockRect(0, &part, &rect, 0));

    // Default-pool textures lock only when dynamic; render targets never.
    const struct
    {
        DWORD usage, flags;
        HRESULT result;
    } kDefaultPool[] = {{0, 0, D3DERR_INVALIDCALL},
                        {D3DUSAGE_RENDERTARGET, 0, D3DERR_INVALIDCALL},
                        {D3DUSAGE_DYNAMIC, D3DLOCK_DISCARD, D3D_OK}};
    for (const auto& c : kDefaultPool)
    {
        ASSERT_EQ(D3D_OK, device->CreateTexture(8, 8, 1, c.usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr));
        EXPECT_EQ(c.result, Own(texture)->LockRect(0, &locked, nullptr, c.flags)) << "usage " << c.usage;
    }
    texture->UnlockRect(0);

    // Buffers: DISCARD and NOOVERWRITE belong to dynamic buffers; ranges stay inside.
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(D3D_OK,
              device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer, nullptr));
    void* data = nullptr;
    EXPECT_EQ(D3DERR_INVALIDCALL, Own(buffer)->Lock(0, 0, &data, D3DLOCK_DISCARD));
    EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Lock(60, 8, &data, 0));
    EXPECT_EQ(D3D_OK, buffer->Lock(16, 16, &data, 0));
    EXPECT_EQ(D3D_OK, buffer->Unlock());
    EXPECT_EQ(D3DERR_INVALIDCALL, buffer->Unlock());
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateIndexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFMT_INDEX32,
                                                D3DPOOL_DEFAULT, &indices, nullptr));
    EXPECT_EQ(D3D_OK, Own(indices)->Lock(0, 0, &data, D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK));
    indices->Unlock();
    D3DINDEXBUFFER_DESC desc;
    indices->GetDesc(&desc);
    EXPECT_EQ(D3DFMT_INDEX32, desc.Format);
}

TEST_F(DeviceTest, ClearRespectsBoundTargetsViewportAndScissor)
{
    ASSERT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0));
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    RECT scissor = {8, 8, 16, 12};
    device->SetScissorRect(&scissor);
    ASSERT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0));
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
    const D3DRECT rect = {60, 60, 100, 100};
    ASSERT_EQ(D3D_OK, device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0));
    // A viewport reaching the target's last column and row is taken; one past it is refused.
    for (const auto& [viewport, expected] :
         {std::pair{D3DVIEWPORT9{8, 4, 56, 60, 0.0f, 1.0f}, D3D_OK},
          std::pair{D3DVIEWPORT9{8, 4, 57, 60, 0.0f, 1.0f}, D3DERR_INVALIDCALL},
          std::pair{D3DVIEWPORT9{8, 4, 56, 61, 0.0f, 1.0f}, D3DERR_INVALIDCALL},
          std::pair{D3DVIEWPORT9{0, 0, 64, 64, -0.5f, 1.0f}, D3DERR_INVALIDCALL}})
        EXPECT_EQ(expected, device->SetViewport(&viewport)) << viewport.Width << "x" << viewport.Height;
    // A second target leaves the viewport; a new first target sets it to its size.
    IDirect3DSurface9* second = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateRenderTarget(64, 64, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &second,
                                                 nullptr));
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(1, Own(second)));
    D3DVIEWPORT9 viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(56u, viewport.Width);
    device->SetRenderTarget(1, nullptr);
    DrawToBackBuffer();
    device->GetViewport(&viewport);
    EXPECT_EQ(64u, viewport.Width);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(0x102030u, pixels[0]);
    EXPECT_EQ(0xFFFFFFu, pixels[8 * 64 + 8]);
    EXPECT_EQ(0xFFFFFFu, pixels[11 * 64 + 15]);
    EXPECT_EQ(0x102030u, pixels[12 * 64 + 15]);
    EXPECT_EQ(0x102030u, pixels[11 * 64 + 16]);
    EXPECT_EQ(0x0000FFu, pixels[63 * 64 + 63]);
    EXPECT_EQ(0x102030u, pixels[59 * 64 + 63]);

    // Depth and stencil need a depth surface; stencil needs a format with stencil bits.
    device->SetDepthStencilSurface(nullptr);
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateDepthStencilSurface(128, 128, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                        &depth, nullptr));
    ASSERT_EQ(D3D_OK, device->SetDepthStencilSurface(Own(depth)));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0));
    EXPECT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0));
}

TEST_F(DeviceTest, PresentShowsEveryPixelOpaque)
{
    // Distinct pixels with stray alpha bits: each is shown where it is, alpha made opaque.
    IDirect3DSurface9* staging =
        PatternSurface(device, [](int x, int y) { return std::uint32_t(x * 0x01030507 + y * 0x00110000); });
    ASSERT_NE(nullptr, staging);
    IDirect3DSurface9* back = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    ASSERT_EQ(D3D_OK, device->UpdateSurface(Own(staging), nullptr, Own(back), nullptr));
    // Present inside a scene is refused.
    device->BeginScene();
    EXPECT_EQ(D3DERR_INVALIDCALL, device->Present(nullptr, nullptr, nullptr, nullptr));
    device->EndScene();
    ASSERT_EQ(D3D_OK, device->Present(nullptr, nullptr, nullptr, nullptr));
    int width = 0, height = 0;
    ASSERT_TRUE(D3D9CopyPresentedFrame(nullptr, 0, &width, &height));
    ASSERT_EQ(64, width);
    ASSERT_EQ(64, height);
    const std::vector<std::uint32_t> frame = PresentedFrame(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(std::uint32_t(x * 0x01030507 + y * 0x00110000) | 0xFF000000u, frame[y * 64 + x])
                << x << "," << y;
}

TEST_F(Direct3D, DepthAndStencilFillsCoverExactlyTheirRectangle)
{
    TImage image(D3DFMT_D24S8, 33, 6);
    image.FillDepthStencil({0, 0, 33, 6}, true, 0.25f, true, 7);
    image.FillDepthStencil({3, 1, 31, 4}, true, 0.75f, false, 0);
    image.FillDepthStencil({0, 4, 32, 6}, false, 0.0f, true, 9);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 33; ++x)
        {
            const bool deep = x >= 3 && x < 31 && y >= 1 && y < 4;
            const bool marked = x < 32 && y >= 4;
            ASSERT_EQ(deep ? 0.75f : 0.25f, image.DepthPlane()[y * 33 + x]) << x << "," << y;
            ASSERT_EQ(marked ? 9 : 7, image.StencilPlane()[y * 33 + x]) << x << "," << y;
        }
}

TEST_F(Direct3D, OddSizedFillsAndPresentsKeepTheirEdges)
{
    // 16- and 32-bit back buffers 33 pixels wide, a rectangle from off a 16-byte boundary to the
    // right edge, in a colour of its own each time: the word loops' first and last pixels are
    // where they go wrong.
    const std::pair<D3DFORMAT, D3DCOLOR> cases[] = {{D3DFMT_R5G6B5, 0xFFFF0000},
                                                    {D3DFMT_X8R8G8B8, 0xFF00FF00}};
    for (const auto& [format, colour] : cases)
    {
        D3DPRESENT_PARAMETERS parameters = Parameters(33, 8, format);
        parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        MakeDevice(parameters);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        IDirect3DSurface9* back = nullptr;
        device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
        const RECT rect = {3, 2, 33, 5};
        ASSERT_EQ(D3D_OK, device->ColorFill(back, &rect, colour));
        back->Release();
        ASSERT_EQ(D3D_OK, device->Present(nullptr, nullptr, nullptr, nullptr));
        const std::vector<std::uint32_t> frame = PresentedFrame(33, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 33; ++x)
            {
                const bool inside = x >= 3 && y >= 2 && y < 5;
                ASSERT_EQ(inside ? colour : 0xFF000000u, frame[y * 33 + x]) << format << " " << x << "," << y;
            }
        DeviceTest::TearDown();
    }
}

TEST_F(DeviceTest, SurfaceCopiesBetweenPoolsAndDepthCopiesBetweenEqualSizes)
{
    IDirect3DSurface9* staging = PatternSurface(device, [](int x, int y) { return std::uint32_t(x + y * 256); });
    ASSERT_NE(nullptr, staging);
    IDirect3DSurface9* back = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    RECT source = {0, 0, 8, 8};
    POINT at = {4, 2};
    ASSERT_EQ(D3D_OK, device->UpdateSurface(Own(staging), &source, Own(back), &at));
    // UpdateSurface goes from system memory to the default pool only.
    EXPECT_EQ(D3DERR_INVALIDCALL, device->UpdateSurface(back, nullptr, staging, nullptr));
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(std::uint32_t(1 * 256 + 2), pixels[3 * 64 + 6]);
    // Stretched twice as wide from black and white: texel centres on pixel centres.
    IDirect3DSurface9* narrow = nullptr;
    IDirect3DSurface9* wide = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateRenderTarget(2, 1, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                 &narrow, nullptr));
    ASSERT_EQ(D3D_OK, device->CreateRenderTarget(4, 1, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &wide,
                                                 nullptr));
    const RECT left = {0, 0, 1, 1}, right = {1, 0, 2, 1};
    device->ColorFill(Own(narrow), &left, 0xFF000000);
    device->ColorFill(narrow, &right, 0xFFFFFFFF);
    Own(wide);
    for (const auto& [filter, expected] : {std::pair{D3DTEXF_LINEAR, std::vector<int>{0, 64, 191, 255}},
                                           std::pair{D3DTEXF_POINT, std::vector<int>{0, 0, 255, 255}}})
    {
        ASSERT_EQ(D3D_OK, device->StretchRect(narrow, nullptr, wide, nullptr, filter));
        const std::vector<std::uint32_t> stretched = ReadTarget(wide);
        for (int x = 0; x < 4; ++x)
            EXPECT_NEAR(expected[x], int(stretched[x] & 0xFF), 1) << "filter " << filter << ", pixel " << x;
    }
    // Depth surfaces copy whole between equal sizes only.
    IDirect3DSurface9* depths[3] = {};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(D3D_OK,
                  device->CreateDepthStencilSurface(i == 2 ? 65 : 64, 64, D3DFMT_D24S8, D3DMULTISAMPLE_NONE,
                                                    0, FALSE, &depths[i], nullptr));
    EXPECT_EQ(D3D_OK, device->StretchRect(Own(depths[0]), nullptr, Own(depths[1]), nullptr, D3DTEXF_NONE));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->StretchRect(Own(depths[2]), nullptr, depths[0], nullptr, D3DTEXF_NONE));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->StretchRect(depths[0], nullptr, depths[2], nullptr, D3DTEXF_NONE));
}

TEST_F(DeviceTest, QueriesAnswerAtOnce)
{
    IDirect3DQuery9* event = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateQuery(D3DQUERYTYPE_EVENT, &event));
    EXPECT_EQ(sizeof(BOOL), Own(event)->GetDataSize());
    EXPECT_EQ(D3D_OK, event->Issue(D3DISSUE_END));
    BOOL done = FALSE;
    EXPECT_EQ(S_OK, event->GetData(&done, sizeof(done), D3DGETDATA_FLUSH));
    EXPECT_TRUE(done);
    EXPECT_EQ(D3DERR_INVALIDCALL, event->Issue(D3DISSUE_BEGIN));
}

TEST_F(Direct3D, TheGammaRampAppliesInFullScreen)
{
    D3DPRESENT_PARAMETERS parameters = Parameters(640, 480, D3DFMT_X8R8G8B8, FALSE);
    MakeDevice(parameters);
    D3DGAMMARAMP ramp;
    device->GetGammaRamp(0, &ramp);
    EXPECT_EQ(65535, ramp.red[255]);
    for (int i = 0; i < 256; ++i)
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = WORD((255 - i) * 257);
    device->SetGammaRamp(0, D3DSGR_CALIBRATE, &ramp);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF103050, 1.0f, 0);
    ASSERT_EQ(D3D_OK, device->Present(nullptr, nullptr, nullptr, nullptr));
    const std::vector<std::uint32_t> frame = PresentedFrame(640, 480);
    // Every row, a frame this large being presented in bands.
    EXPECT_EQ(size_t(640 * 480), size_t(std::count(frame.begin(), frame.end(), 0xFFEFCFAFu)));
}
