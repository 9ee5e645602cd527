#pragma once
// The bytes and lock rules that vertex and index buffers share. Drawing finishes before a draw
// call returns, so DISCARD and NOOVERWRITE never have to wait: both hand out the same memory.
#include "platform/d3d9/d3d9types.h"

#include <cstdint>
#include <vector>

class TBuffer
{
public:
    explicit TBuffer(UINT size) : bytes_(size, 0) {}

    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags, DWORD usage);
    HRESULT Unlock();
    UINT Size() const { return UINT(bytes_.size()); }
    const std::uint8_t* Bytes() const { return bytes_.data(); }

private:
    std::vector<std::uint8_t> bytes_;
    int locks_ = 0;
};
