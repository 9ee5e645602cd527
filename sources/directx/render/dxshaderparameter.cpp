#include "directx/render/dxshaderparameter.h"

#include "engine/render/texture.h"
#include "platform/d3dx9/d3dx9.h"

namespace
{
IDirect3DBaseTexture9* DeviceTexture(TTexture* texture)
{
    if (!texture || texture->Require())
        return nullptr;
    return texture->m_pTexture;
}

const D3DXMATRIX* Matrices(const TMatrix* matrices)
{
    static_assert(sizeof(TMatrix) == sizeof(D3DXMATRIX));
    return reinterpret_cast<const D3DXMATRIX*>(matrices);
}

const D3DXVECTOR4* Vectors(const TVector* vectors)
{
    static_assert(sizeof(TVector) == sizeof(D3DXVECTOR4));
    return reinterpret_cast<const D3DXVECTOR4*>(vectors);
}
} // namespace

void TDxShaderParameter::SetTexture(TTexture* texture)
{
    if (!m_pEffect)
        return;
    m_pEffect->SetTexture(m_pHandle, DeviceTexture(texture));
}

void TDxShaderParameter::SetMatrixArray(u32 count, const TMatrix* matrices)
{
    if (!m_pEffect)
        return;
    m_pEffect->SetMatrixArray(m_pHandle, Matrices(matrices), count);
}

void TDxShaderParameter::SetMatrix(const TMatrix& matrix)
{
    if (!m_pEffect)
        return;
    m_pEffect->SetMatrix(m_pHandle, Matrices(&matrix));
}

void TDxShaderParameter::SetVectorArray(u32 count, const TVector* vectors)
{
    if (!m_pEffect)
        return;
    m_pEffect->SetVectorArray(m_pHandle, Vectors(vectors), count);
}

void TDxShaderParameter::SetVector(const TVector& vector)
{
    if (!m_pEffect)
        return;
    m_pEffect->SetVector(m_pHandle, Vectors(&vector));
}

void TDxShaderParameter::SetIntArray(u32 count, const i32* values)
{
    if (!m_pEffect)
        return;
    m_pEffect->SetIntArray(m_pHandle, values, count);
}

void TDxShaderParameter::SetInt(i32 value)
{
    if (!m_pEffect)
        return;
    m_pEffect->SetInt(m_pHandle, value);
}

template <class Call> void TDxShaderLocalParameter::ForEach(Call call)
{
    TDxEffectHandle* pairs = GetPairs();
    if (!pairs)
        return;
    const u32 count = static_cast<u32>(reinterpret_cast<uintptr_t>(pairs[0].pHandle));
    for (u32 i = 1; i <= count; ++i)
        if (pairs[i].pEffect)
            call(pairs[i].pEffect, pairs[i].pHandle);
}

void TDxShaderLocalParameter::SetTexture(TTexture* texture)
{
    IDirect3DBaseTexture9* device = DeviceTexture(texture);
    ForEach([&](ID3DXEffect* effect, const char* handle) { effect->SetTexture(handle, device); });
}

void TDxShaderLocalParameter::SetMatrixArray(u32 count, const TMatrix* matrices)
{
    ForEach([&](ID3DXEffect* effect, const char* handle) { effect->SetMatrixArray(handle, Matrices(matrices), count); });
}

void TDxShaderLocalParameter::SetMatrix(const TMatrix& matrix)
{
    ForEach([&](ID3DXEffect* effect, const char* handle) { effect->SetMatrix(handle, Matrices(&matrix)); });
}

void TDxShaderLocalParameter::SetVectorArray(u32 count, const TVector* vectors)
{
    ForEach([&](ID3DXEffect* effect, const char* handle) { effect->SetVectorArray(handle, Vectors(vectors), count); });
}

void TDxShaderLocalParameter::SetVector(const TVector& vector)
{
    ForEach([&](ID3DXEffect* effect, const char* handle) { effect->SetVector(handle, Vectors(&vector)); });
}

void TDxShaderLocalParameter::SetIntArray(u32 count, const i32* values)
{
    ForEach([&](ID3DXEffect* effect, const char* handle) { effect->SetIntArray(handle, values, count); });
}

void TDxShaderLocalParameter::SetInt(i32 value)
{
    ForEach([&](ID3DXEffect* effect, const char* handle) { effect->SetInt(handle, value); });
}
