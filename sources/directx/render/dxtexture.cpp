#include "directx/render/dxtexture.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxtextureformat.h"
#include "engine/render/rendertarget.h"
#include "engine/render/texturemanager.h"
#include "platform/d3d9/format.h"

#include <cmath>
#include <cstring>

namespace
{
const char* const kSource = "dxtexture.cpp";
const char* const kLoadPrefix = "TDxTexture::OnResourceLoad(): error: ";
constexpr u32 kCubeTagFace = 100;
constexpr i32 kSkyTextureSize = 512;

class Tdevice_texture_mipmap_skipVariable : public TVariable
{
public:
    Tdevice_texture_mipmap_skipVariable()
        : TVariable("device_texture_mipmap_skip", "Device skip texture mipmap levels.", 0)
    {
        m_Value.SetInt(0);
    }
    // Read by every texture created from now on.
    void OnChange() override {}
};

class Ttexture_mipmap_testVariable : public TVariable
{
public:
    Ttexture_mipmap_testVariable() : TVariable("texture_mipmap_test", "Test texture mipmap levels.", 0)
    {
        m_Value.SetInt(0);
    }
    void OnChange() override {}
};

Tdevice_texture_mipmap_skipVariable s_device_texture_mipmap_skip;
Ttexture_mipmap_testVariable s_texture_mipmap_test;

bool IsPowerOfTwo(i32 value)
{
    return value > 0 && (value & (value - 1)) == 0;
}

i32 LevelSize(i32 size, i32 level)
{
    const i32 shifted = size >> level;
    return shifted > 0 ? shifted : 1;
}

IDirect3DDevice9* Device()
{
    return g_pDeviceManager->GetDevice();
}

// The stored name texts that are made at run time instead of loaded.
bool IsSkyTexture(const TName& name)
{
    static const TName s_SkyEnv("sky_env");
    static const TName s_SkyReflection("skyReflection_clr");
    return name == s_SkyEnv || name == s_SkyReflection;
}

// Level 0 (2D) or face 0's level 0 (cube) of a texture.
IDirect3DSurface9* TopSurface(IDirect3DBaseTexture9* texture, i32 type, UINT levelOrFace)
{
    IDirect3DSurface9* surface = nullptr;
    if (type == TEXTURE_CUBE)
        static_cast<IDirect3DCubeTexture9*>(texture)->GetCubeMapSurface(D3DCUBEMAP_FACES(levelOrFace), 0,
                                                                          &surface);
    else
        static_cast<IDirect3DTexture9*>(texture)->GetSurfaceLevel(levelOrFace, &surface);
    return surface;
}
} // namespace

TVariable& g_device_texture_mipmap_skip = s_device_texture_mipmap_skip;
TVariable& g_texture_mipmap_test = s_texture_mipmap_test;

TTextureLevelSkip ComputeLevelSkip(i32 width, i32 height, i32 depth, i32 levels, D3DFORMAT format, i32 skip,
                                   u32 maxDimension, bool mipmapTest)
{
    TTextureLevelSkip result = {0, width, height, depth, levels};
    if (skip < 0)
        skip = 0;
    const i64 limit = maxDimension;
    while (skip < 31 && ((width >> skip) > limit || (height >> skip) > limit || (depth >> skip) > limit))
        ++skip;
    if (skip > 0)
    {
        if (levels <= skip && levels > 0)
            skip = levels - 1;
        if (levels > skip && (width >> skip) > 4 && (height >> skip) > 4)
        {
            result.nSkip = skip;
            result.nLevels = levels - skip;
            result.nWidth = width >> skip;
            result.nHeight = height >> skip;
            result.nDepth = depth >> skip;
            if (IsDxtFormat(format))
            {
                result.nWidth = (result.nWidth + 3) & ~3;
                result.nHeight = (result.nHeight + 3) & ~3;
            }
        }
    }
    if (mipmapTest && (!IsPowerOfTwo(result.nWidth) || !IsPowerOfTwo(result.nHeight) ||
                       (result.nDepth > 1 && !IsPowerOfTwo(result.nDepth))))
        result.nLevels = 1;
    return result;
}

TTextureLevelSkip TDxTexture::_LevelSkip() const
{
    D3DCAPS9 caps = {};
    Device()->GetDeviceCaps(&caps);
    const u32 maxDimension = caps.MaxTextureWidth < caps.MaxTextureHeight ? caps.MaxTextureWidth
                                                                           : caps.MaxTextureHeight;
    return ComputeLevelSkip(m_nWidth, m_nHeight, m_nDepth, m_nLevels, D3DFORMAT(m_nD3DFormat),
                            g_device_texture_mipmap_skip.GetValue().ToInt(), maxDimension,
                            g_texture_mipmap_test.GetValue().ToInt() != 0);
}

u32* TDxTexture::_Statistic()
{
    TDeviceStatistics* statistics = g_pDeviceManager->GetStatistics();
    if (m_nFlags & TEXTURE_DYNAMIC)
        return &statistics->nColourTargets;
    if (m_nType == TEXTURE_CUBE)
        return &statistics->nCubeTextures;
    if (m_nType == TEXTURE_VOLUME)
        return &statistics->nVolumeTextures;
    return &statistics->nTextures;
}

IDirect3DBaseTexture9* TDxTexture::_CreateTexture(const TTextureLevelSkip& size, DWORD usage, D3DPOOL pool)
{
    const D3DFORMAT format = D3DFORMAT(m_nD3DFormat);
    IDirect3DDevice9* device = Device();
    if (m_nType == TEXTURE_2D)
    {
        IDirect3DTexture9* texture = nullptr;
        device->CreateTexture(size.nWidth, size.nHeight, size.nLevels, usage, format, pool, &texture, nullptr);
        return texture;
    }
    if (m_nType == TEXTURE_CUBE)
    {
        IDirect3DCubeTexture9* texture = nullptr;
        device->CreateCubeTexture(size.nWidth, size.nLevels, usage, format, pool, &texture, nullptr);
        return texture;
    }
    IDirect3DVolumeTexture9* texture = nullptr;
    device->CreateVolumeTexture(size.nWidth, size.nHeight, size.nDepth, size.nLevels, usage, format, pool,
                                &texture, nullptr);
    return texture;
}

void TDxTexture::__Create()
{
    if (m_nFlags & TEXTURE_NO_OBJECT)
        return;
    if (!m_nD3DFormat)
        m_nD3DFormat = GetD3DFormat(static_cast<u32>(m_nFormat));
    if (m_nFlags & TEXTURE_DYNAMIC)
    {
        if (m_nType != TEXTURE_2D && m_nType != TEXTURE_CUBE)
            __Abort("TDxTexture::__Create", kSource, __LINE__, "invalid dynamic texture type");
        const TTextureLevelSkip size = {0, m_nWidth, m_nHeight, m_nDepth, m_nLevels};
        m_pTexture = _CreateTexture(size, D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
        if (m_pTexture)
        {
            const u32 faces = m_nType == TEXTURE_CUBE ? TEXTURE_CUBE_FACES : 1;
            m_nByteSize = 0;
            for (u32 level = 0; level < m_pTexture->GetLevelCount(); ++level)
                m_nByteSize += faces * GetSurfaceSize(D3DFORMAT(m_nD3DFormat), LevelSize(m_nWidth, level),
                                                      LevelSize(m_nHeight, level),
                                                      FormatPitch(D3DFORMAT(m_nD3DFormat), LevelSize(m_nWidth, level)));
            *_Statistic() += m_nByteSize;
        }
    }
    else
    {
        if (m_nType != TEXTURE_2D && m_nType != TEXTURE_CUBE && m_nType != TEXTURE_VOLUME)
            __Abort("TDxTexture::__Create", kSource, __LINE__, "invalid texture type");
        m_pTexture = _CreateTexture(_LevelSkip(), 0, g_DxGlobals.nXP ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT);
    }
    if (!m_pTexture)
    {
        const TDeviceStatistics* statistics = g_pDeviceManager->GetStatistics();
        const u32* words = &statistics->nBackBuffer;
        f64 total = 0.0;
        for (u32 i = 0; i < sizeof(TDeviceStatistics) / sizeof(u32); ++i)
            total += words[i];
        __Abort("TDxTexture::__Create", kSource, __LINE__,
                "unable to create DirectX texture resource ('%s' %d %dx%d) video mem usage %.2f MB", GetNameText(),
                m_nType, m_nWidth, m_nHeight, total / 1048576.0);
    }
}

i32 TDxTexture::Load()
{
    g_pDeviceManager->Lock();
    if (IsSkyTexture(m_Name))
    {
        m_nWidth = kSkyTextureSize;
        m_nHeight = kSkyTextureSize;
        m_nLevels = 1;
        m_nFormat = TEXTURE_FORMAT_A8R8G8B8;
        m_nD3DFormat = GetD3DFormat(TEXTURE_FORMAT_A8R8G8B8);
        __Create();
        SetLoaded(1);
        g_pDeviceManager->Unlock();
        return 0;
    }
    __Create();
    if (!HasData() || (m_nFlags & (TEXTURE_DYNAMIC | TEXTURE_NO_OBJECT)))
    {
        SetLoaded(1);
        g_pDeviceManager->Unlock();
        return 0;
    }
    const TTextureLevelSkip size = _LevelSkip();
    const u32 faces = m_nType == TEXTURE_CUBE ? TEXTURE_CUBE_FACES : 1;
    m_nPending = static_cast<i32>(m_pTexture->GetLevelCount() * faces);
    if (g_DxGlobals.nVista)
    {
        m_pStaging = _CreateTexture(size, D3DUSAGE_DYNAMIC, D3DPOOL_SYSTEMMEM);
        if (!m_pStaging)
            __Abort("TDxTexture::OnResourceLoad", kSource, __LINE__, "unable to create DirectX resource");
    }
    else if (m_nType != TEXTURE_VOLUME)
    {
        // The texture just made is read into; a second one of its description is the final one.
        m_pStaging = m_pTexture;
        m_pTexture = _CreateTexture(size, 0, D3DPOOL_MANAGED);
        if (!m_pTexture)
            __Abort("TDxTexture::OnResourceLoad", kSource, __LINE__, "unable to create DirectX resource");
    }
    _ReadLevels(size);
    g_pDeviceManager->Unlock();
    return 0;
}

void TDxTexture::_ReadLevels(const TTextureLevelSkip& size)
{
    IDirect3DBaseTexture9* load = m_pStaging ? m_pStaging : m_pTexture;
    const D3DFORMAT format = D3DFORMAT(m_nD3DFormat);
    const i32 faces = m_nType == TEXTURE_CUBE ? TEXTURE_CUBE_FACES : 1;
    const i32 levels = static_cast<i32>(load->GetLevelCount());
    // The stored image has every level of each face: the skipped top levels are not read.
    const i32 storedLevels = m_nLevels > 0 ? m_nLevels : levels + size.nSkip;
    const u32 readFlags = RESOURCE_READ_LOCK_PAGES | RESOURCE_READ_LOADER_THREAD |
                          ((m_nFlags & TEXTURE_COMPRESSED) ? RESOURCE_READ_COMPRESSED : 0);
    for (i32 face = 0; face < faces; ++face)
        for (i32 level = 0; level < levels; ++level)
        {
            const u32 tag = static_cast<u32>(face) * kCubeTagFace + static_cast<u32>(level);
            const i32 width = LevelSize(size.nWidth, level);
            const i32 height = LevelSize(size.nHeight, level);
            const i32 depth = LevelSize(size.nDepth, level);
            void* bits = nullptr;
            u32 lockedSize = 0;
            u32 pitch = 0;
            if (m_nType == TEXTURE_VOLUME)
            {
                D3DLOCKED_BOX box = {};
                static_cast<IDirect3DVolumeTexture9*>(load)->LockBox(level, &box, nullptr, 0);
                bits = box.pBits;
                pitch = static_cast<u32>(box.RowPitch);
                lockedSize = static_cast<u32>(box.SlicePitch) * static_cast<u32>(depth);
            }
            else
            {
                D3DLOCKED_RECT rect = {};
                if (m_nType == TEXTURE_CUBE)
                    static_cast<IDirect3DCubeTexture9*>(load)->LockRect(D3DCUBEMAP_FACES(face), level, &rect, nullptr, 0);
                else
                    static_cast<IDirect3DTexture9*>(load)->LockRect(level, &rect, nullptr, 0);
                bits = rect.pBits;
                pitch = static_cast<u32>(rect.Pitch);
                lockedSize = pitch * FormatRowCount(format, static_cast<u32>(height));
            }
            if (!bits)
                __Abort("TDxTexture::OnResourceLoad", kSource, __LINE__, "unable to lock DirectX resource");
            const i32 entry = face * storedLevels + size.nSkip + level;
            const bool stored = entry < static_cast<i32>(m_aLevel.GetCount());
            // Whatever the format, a level is read only into a lock of exactly its size.
            if (!stored || m_aLevel[entry].nSize != lockedSize)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "'%s': texture invalid pitch %d (%dx%d level %d)",
                            GetNameText(), pitch, width, height, entry);
                OnDataArrived(tag);
                continue;
            }
            m_nByteSize += m_aLevel[entry].nSize;
            if (ReadData(bits, m_aLevel[entry].nOffset, m_aLevel[entry].nSize, tag, readFlags))
                OnDataArrived(tag);
        }
    *_Statistic() += m_nByteSize;
}

void TDxTexture::OnDataArrived(u32 tag)
{
    IDirect3DBaseTexture9* load = m_pStaging ? m_pStaging : m_pTexture;
    if (!load)
        return;
    const u32 level = tag % kCubeTagFace;
    if (m_nType == TEXTURE_CUBE)
        static_cast<IDirect3DCubeTexture9*>(load)->UnlockRect(D3DCUBEMAP_FACES(tag / kCubeTagFace), level);
    else if (m_nType == TEXTURE_VOLUME)
        static_cast<IDirect3DVolumeTexture9*>(load)->UnlockBox(level);
    else
        static_cast<IDirect3DTexture9*>(load)->UnlockRect(level);
    if (--m_nPending == 0)
        _Complete();
}

void TDxTexture::_Complete()
{
    if (m_pStaging)
    {
        IDirect3DDevice9* device = Device();
        if (g_DxGlobals.nVista && m_nType == TEXTURE_CUBE)
        {
            for (u32 face = 0; face < TEXTURE_CUBE_FACES; ++face)
                for (u32 level = 0; level < m_pTexture->GetLevelCount(); ++level)
                {
                    IDirect3DSurface9* from = nullptr;
                    IDirect3DSurface9* to = nullptr;
                    static_cast<IDirect3DCubeTexture9*>(m_pStaging)->GetCubeMapSurface(D3DCUBEMAP_FACES(face), level, &from);
                    static_cast<IDirect3DCubeTexture9*>(m_pTexture)->GetCubeMapSurface(D3DCUBEMAP_FACES(face), level, &to);
                    if (from && to)
                        device->UpdateSurface(from, nullptr, to, nullptr);
                    if (from)
                        from->Release();
                    if (to)
                        to->Release();
                }
        }
        else if (g_DxGlobals.nVista)
            device->UpdateTexture(m_pStaging, m_pTexture);
        else
            _CopySurface(m_pStaging, m_pTexture, m_nType, D3DFORMAT(m_nD3DFormat));
        m_pStaging->Release();
        m_pStaging = nullptr;
    }
    SetLoaded(1);
}

void _CopySurface(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination, i32 type, D3DFORMAT format)
{
    const u32 faces = type == TEXTURE_CUBE ? TEXTURE_CUBE_FACES : 1;
    for (u32 face = 0; face < faces; ++face)
        for (u32 level = 0; level < destination->GetLevelCount(); ++level)
        {
            D3DLOCKED_RECT from = {};
            D3DLOCKED_RECT to = {};
            D3DSURFACE_DESC desc = {};
            HRESULT locked;
            if (type == TEXTURE_CUBE)
            {
                auto* s = static_cast<IDirect3DCubeTexture9*>(source);
                auto* d = static_cast<IDirect3DCubeTexture9*>(destination);
                s->GetLevelDesc(level, &desc);
                locked = s->LockRect(D3DCUBEMAP_FACES(face), level, &from, nullptr, D3DLOCK_READONLY);
                if (SUCCEEDED(locked) &&
                    FAILED(d->LockRect(D3DCUBEMAP_FACES(face), level, &to, nullptr, D3DLOCK_NOSYSLOCK)))
                {
                    s->UnlockRect(D3DCUBEMAP_FACES(face), level);
                    locked = D3DERR_INVALIDCALL;
                }
            }
            else
            {
                auto* s = static_cast<IDirect3DTexture9*>(source);
                auto* d = static_cast<IDirect3DTexture9*>(destination);
                s->GetLevelDesc(level, &desc);
                locked = s->LockRect(level, &from, nullptr, D3DLOCK_READONLY);
                if (SUCCEEDED(locked) && FAILED(d->LockRect(level, &to, nullptr, D3DLOCK_NOSYSLOCK)))
                {
                    s->UnlockRect(level);
                    locked = D3DERR_INVALIDCALL;
                }
            }
            if (FAILED(locked))
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, "_CopySurface(): error: ", "unable to lock surface");
                continue;
            }
            std::memcpy(to.pBits, from.pBits, GetSurfaceSize(format, desc.Width, desc.Height, static_cast<u32>(from.Pitch)));
            if (type == TEXTURE_CUBE)
            {
                static_cast<IDirect3DCubeTexture9*>(source)->UnlockRect(D3DCUBEMAP_FACES(face), level);
                static_cast<IDirect3DCubeTexture9*>(destination)->UnlockRect(D3DCUBEMAP_FACES(face), level);
            }
            else
            {
                static_cast<IDirect3DTexture9*>(source)->UnlockRect(level);
                static_cast<IDirect3DTexture9*>(destination)->UnlockRect(level);
            }
        }
}

i32 TDxTexture::Release()
{
    if (m_nFlags & TEXTURE_NO_OBJECT)
    {
        m_pTexture = nullptr;
        return 0;
    }
    *_Statistic() -= m_nByteSize;
    m_nByteSize = 0;
    if (m_pStaging)
        m_pStaging->Release();
    if (m_pTexture)
        m_pTexture->Release();
    m_pStaging = nullptr;
    m_pTexture = nullptr;
    return 0;
}

i32 TDxTexture::OnDeviceLost()
{
    // Default-pool contents are gone: made again when next required.
    if (m_nFlags & TEXTURE_DYNAMIC)
        Unload();
    return 0;
}

void* TDxTexture::Lock(i32 mode, i32 level, u32& pitch, u32& size)
{
    pitch = 0;
    size = 0;
    if (Require() || m_nType != TEXTURE_2D || !m_pTexture)
        return nullptr;
    DWORD flags = 0;
    if (mode == TEXTURE_LOCK_READ)
        flags = D3DLOCK_READONLY;
    else if (mode == TEXTURE_LOCK_WRITE_DISCARD && (m_nFlags & TEXTURE_DYNAMIC))
        flags = D3DLOCK_DISCARD;
    auto* texture = static_cast<IDirect3DTexture9*>(m_pTexture);
    D3DLOCKED_RECT rect = {};
    if (FAILED(texture->LockRect(static_cast<UINT>(level), &rect, nullptr, flags)))
        return nullptr;
    D3DSURFACE_DESC top = {};
    texture->GetLevelDesc(0, &top);
    pitch = static_cast<u32>(rect.Pitch);
    size = pitch * top.Height;
    return rect.pBits;
}

void TDxTexture::Unlock(i32 level)
{
    if (m_nType == TEXTURE_2D && m_pTexture)
        static_cast<IDirect3DTexture9*>(m_pTexture)->UnlockRect(static_cast<UINT>(level));
}

TTextureAnimation* TDxTexture::GetAnimation()
{
    if (m_nAnimation < 0 || !g_pTextureManager || m_nAnimation >= g_pTextureManager->GetTextureAnimationCount())
        return nullptr;
    return g_pTextureManager->GetTextureAnimation(m_nAnimation);
}

i32 TDxTexture::_Upload(i32 levelOrFace, IDirect3DSurface9* source)
{
    IDirect3DSurface9* destination = TopSurface(m_pTexture, m_nType, static_cast<UINT>(levelOrFace));
    if (!destination)
        return 1;
    HRESULT result = Device()->UpdateSurface(source, nullptr, destination, nullptr);
    if (FAILED(result))
    {
        // A managed destination: copied through locks.
        D3DLOCKED_RECT from = {};
        D3DLOCKED_RECT to = {};
        D3DSURFACE_DESC desc = {};
        source->GetDesc(&desc);
        if (SUCCEEDED(source->LockRect(&from, nullptr, D3DLOCK_READONLY)))
        {
            if (SUCCEEDED(destination->LockRect(&to, nullptr, 0)))
            {
                std::memcpy(to.pBits, from.pBits, GetSurfaceSize(desc.Format, desc.Width, desc.Height, from.Pitch));
                destination->UnlockRect();
                result = D3D_OK;
            }
            source->UnlockRect();
        }
    }
    destination->Release();
    return FAILED(result) ? 1 : 0;
}

i32 TDxTexture::Copy(i32 levelOrFace, TTexture* source)
{
    if (m_nType != TEXTURE_2D && m_nType != TEXTURE_CUBE)
        __Abort("TDxTexture::Copy", kSource, __LINE__, "invalid destination texture type");
    if (source->m_nType != TEXTURE_2D && source->m_nType != TEXTURE_CUBE)
        __Abort("TDxTexture::Copy", kSource, __LINE__, "invalid source texture type");
    if (Require() || source->Require() || !source->m_pTexture || !m_pTexture)
        return 1;
    IDirect3DSurface9* from = TopSurface(source->m_pTexture, source->m_nType, 0);
    if (!from)
        return 1;
    D3DSURFACE_DESC desc = {};
    from->GetDesc(&desc);
    IDirect3DSurface9* staging = nullptr;
    Device()->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &staging, nullptr);
    i32 result = 1;
    if (staging)
    {
        HRESULT fetched;
        if (desc.Usage & D3DUSAGE_RENDERTARGET)
            fetched = Device()->GetRenderTargetData(from, staging);
        else
        {
            D3DLOCKED_RECT in = {};
            D3DLOCKED_RECT out = {};
            fetched = from->LockRect(&in, nullptr, D3DLOCK_READONLY);
            if (SUCCEEDED(fetched))
            {
                fetched = staging->LockRect(&out, nullptr, 0);
                if (SUCCEEDED(fetched))
                {
                    std::memcpy(out.pBits, in.pBits, GetSurfaceSize(desc.Format, desc.Width, desc.Height, in.Pitch));
                    staging->UnlockRect();
                }
                from->UnlockRect();
            }
        }
        if (SUCCEEDED(fetched))
            result = _Upload(levelOrFace, staging);
        staging->Release();
    }
    from->Release();
    return result;
}

i32 TDxTexture::CopyFromRenderTarget(i32 level, TRenderTarget* target)
{
    if (Require() || target->Require() || !m_pTexture)
        return 1;
    u32 bytes = 0;
    const void* pixels = target->Lock(bytes, RENDER_TARGET_LOCK_READ);
    if (!pixels)
        return 1;
    D3DSURFACE_DESC desc = {};
    IDirect3DSurface9* destination = TopSurface(m_pTexture, m_nType, static_cast<UINT>(level));
    if (destination)
    {
        destination->GetDesc(&desc);
        destination->Release();
    }
    IDirect3DSurface9* staging = nullptr;
    if (destination)
        Device()->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &staging,
                                              nullptr);
    i32 result = 1;
    D3DLOCKED_RECT out = {};
    if (staging && SUCCEEDED(staging->LockRect(&out, nullptr, 0)))
    {
        const u32 size = GetSurfaceSize(desc.Format, desc.Width, desc.Height, out.Pitch);
        std::memcpy(out.pBits, pixels, size < bytes ? size : bytes);
        staging->UnlockRect();
        result = _Upload(level, staging);
    }
    if (staging)
        staging->Release();
    target->Unlock();
    return result;
}
