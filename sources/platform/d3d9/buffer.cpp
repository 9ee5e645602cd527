#include "platform/d3d9/buffer.h"

HRESULT TBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags, DWORD usage)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    // DISCARD and NOOVERWRITE are promises only dynamic buffers may make.
    if ((flags & (D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE)) && !(usage & D3DUSAGE_DYNAMIC))
        return D3DERR_INVALIDCALL;
    if (offset > bytes_.size() || (size && size > bytes_.size() - offset))
        return D3DERR_INVALIDCALL;
    *data = bytes_.data() + offset;
    ++locks_; // buffers may be locked more than once; each lock needs its unlock
    return D3D_OK;
}

HRESULT TBuffer::Unlock()
{
    if (locks_ == 0)
        return D3DERR_INVALIDCALL;
    --locks_;
    return D3D_OK;
}
