#include "platform/d3dx9/buffer.h"

#include <cstring>
#include <new>

TD3DXBuffer* TD3DXBuffer::FromText(const std::string& text)
{
    auto* buffer = new TD3DXBuffer(DWORD(text.size() + 1));
    std::memcpy(buffer->GetBufferPointer(), text.c_str(), text.size() + 1);
    return buffer;
}

HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = new (std::nothrow) TD3DXBuffer(size);
    return *buffer ? D3D_OK : E_OUTOFMEMORY;
}
