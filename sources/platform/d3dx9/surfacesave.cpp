// D3DXSaveSurfaceToFileA: the whole surface, read back from the device when it cannot be locked
// (render targets), converted to 32-bit pixels and written by the image writers.
#include "platform/d3dx9/d3dx9.h"
#include "platform/d3dx9/imagewriter.h"

#include <cstdio>
#include <cstring>

namespace
{
// Widens an n-bit channel to 8 bits.
std::uint32_t Widen(std::uint32_t value, int bits)
{
    return (value * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1);
}

bool Convert(D3DFORMAT format, const D3DLOCKED_RECT& locked, TImagePixels& image)
{
    for (unsigned y = 0; y < image.height; ++y)
    {
        const auto* row = static_cast<const std::uint8_t*>(locked.pBits) + std::size_t(y) * locked.Pitch;
        std::uint32_t* out = image.argb.data() + std::size_t(y) * image.width;
        for (unsigned x = 0; x < image.width; ++x)
        {
            std::uint32_t p32;
            std::uint16_t p16;
            switch (format)
            {
            case D3DFMT_A8R8G8B8:
                std::memcpy(&p32, row + x * 4, 4);
                out[x] = p32;
                break;
            case D3DFMT_X8R8G8B8:
                std::memcpy(&p32, row + x * 4, 4);
                out[x] = p32 | 0xFF000000u;
                break;
            case D3DFMT_R5G6B5:
                std::memcpy(&p16, row + x * 2, 2);
                out[x] = 0xFF000000u | Widen(p16 >> 11, 5) << 16 | Widen((p16 >> 5) & 63, 6) << 8 |
                         Widen(p16 & 31, 5);
                break;
            case D3DFMT_X1R5G5B5:
            case D3DFMT_A1R5G5B5:
                std::memcpy(&p16, row + x * 2, 2);
                out[x] = (format == D3DFMT_X1R5G5B5 || (p16 & 0x8000) ? 0xFF000000u : 0u) |
                         Widen((p16 >> 10) & 31, 5) << 16 | Widen((p16 >> 5) & 31, 5) << 8 |
                         Widen(p16 & 31, 5);
                break;
            default:
                return false;
            }
        }
    }
    return true;
}

// The surface's pixels; a surface that cannot be locked is copied to system memory first.
HRESULT ReadSurface(IDirect3DSurface9* surface, TImagePixels& image)
{
    D3DSURFACE_DESC desc;
    HRESULT result = surface->GetDesc(&desc);
    if (FAILED(result))
        return result;
    image.width = desc.Width;
    image.height = desc.Height;
    image.alpha = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_A1R5G5B5;
    image.argb.assign(std::size_t(desc.Width) * desc.Height, 0);

    IDirect3DSurface9* source = surface;
    IDirect3DSurface9* copy = nullptr;
    D3DLOCKED_RECT locked;
    if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
    {
        IDirect3DDevice9* device = nullptr;
        if (FAILED(result = surface->GetDevice(&device)))
            return result;
        result = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                     &copy, nullptr);
        if (SUCCEEDED(result))
            result = device->GetRenderTargetData(surface, copy);
        device->Release();
        if (SUCCEEDED(result))
            result = copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
        if (FAILED(result))
        {
            if (copy)
                copy->Release();
            return result;
        }
        source = copy;
    }
    const bool converted = Convert(desc.Format, locked, image);
    source->UnlockRect();
    if (copy)
        copy->Release();
    if (!converted)
    {
        std::fprintf(stderr, "d3dx: cannot save a surface of format %u\n", unsigned(desc.Format));
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}
} // namespace

HRESULT D3DXSaveSurfaceToFileA(LPCSTR file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const PALETTEENTRY* palette, const RECT* rect)
{
    if (!file || !surface || palette || rect)
        return D3DERR_INVALIDCALL;
    if (format != D3DXIFF_BMP && format != D3DXIFF_JPG && format != D3DXIFF_PNG)
    {
        std::fprintf(stderr, "d3dx: cannot save '%s': only BMP, JPEG and PNG are written\n", file);
        return D3DERR_INVALIDCALL;
    }
    TImagePixels image;
    const HRESULT result = ReadSurface(surface, image);
    if (FAILED(result))
        return result;
    bool written = false;
    if (format == D3DXIFF_BMP)
        written = TImageWriter::WriteBmp(file, image);
    else if (format == D3DXIFF_JPG)
        written = TImageWriter::WriteJpeg(file, image);
    else
        written = TImageWriter::WritePng(file, image);
    return written ? D3D_OK : E_FAIL;
}
