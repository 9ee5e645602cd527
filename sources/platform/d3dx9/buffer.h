#pragma once
// A block of bytes handed to the caller: effect compilation errors.
#include "platform/d3dx9/unknown.h"

#include <cstdint>
#include <string>
#include <vector>

class TD3DXBuffer : public TD3DXUnknown<ID3DXBuffer>
{
public:
    explicit TD3DXBuffer(DWORD size) : TD3DXUnknown(IID_ID3DXBuffer), bytes_(size) {}
    // A buffer holding the text and its terminator.
    static TD3DXBuffer* FromText(const std::string& text);

    void* GetBufferPointer() override { return bytes_.data(); }
    DWORD GetBufferSize() override { return DWORD(bytes_.size()); }

private:
    std::vector<std::uint8_t> bytes_;
};
