// Feeds arbitrary bytes to D3DXCreateEffectEx on a headless software device and runs every pass
// of every technique of the effects it accepts: creation either fails with an error buffer or
// gives an effect whose passes apply without crashing.
#include "platform/d3dx9/d3dx9.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
IDirect3DDevice9* Device()
{
    static IDirect3DDevice9* device = [] {
        IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = 16;
        parameters.BackBufferHeight = 16;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.BackBufferCount = 1;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = TRUE;
        IDirect3DDevice9* made = nullptr;
        if (!direct3d || FAILED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &made)))
            std::abort();
        return made;
    }();
    return device;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    IDirect3DDevice9* device = Device();
    ID3DXEffectPool* pool = nullptr;
    D3DXCreateEffectPool(&pool);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT result =
        D3DXCreateEffectEx(device, data, UINT(size), nullptr, nullptr, nullptr, 0, pool, &effect, &errors);
    if (FAILED(result))
    {
        if (effect || !errors ||
            std::strncmp(static_cast<const char*>(errors->GetBufferPointer()), "line ", 5) != 0)
            std::abort();
        errors->Release();
        pool->Release();
        return 0;
    }
    D3DXEFFECT_DESC desc;
    effect->GetDesc(&desc);
    for (UINT t = 0; t < desc.Techniques; ++t)
    {
        if (FAILED(effect->SetTechnique(effect->GetTechnique(t))))
            std::abort();
        UINT passes = 0;
        effect->Begin(&passes, t % 2 ? 0 : D3DXFX_DONOTSAVESTATE);
        for (UINT p = 0; p < passes; ++p)
        {
            effect->BeginPass(p);
            effect->CommitChanges();
            effect->EndPass();
        }
        effect->End();
    }
    effect->Release();
    pool->Release();
    return 0;
}
