#include "platform/d3d9/vertexdeclaration.h"

#include <algorithm>

namespace
{
constexpr UINT kTypeSizes[] = {4, 8, 12, 16, 4, 4, 4, 8, 4, 4, 8, 4, 8, 4, 4, 4, 8};
} // namespace

TD3DVertexDeclaration::TD3DVertexDeclaration(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements,
                                             bool deviceOwned)
    : TD3DUnknown(deviceOwned ? nullptr : device, deviceOwned ? 0 : 1), device_(device)
{
    std::fill(std::begin(registerOf_), std::end(registerOf_), -1);
    for (const D3DVERTEXELEMENT9* element = elements; element->Stream != 0xFF; ++element)
    {
        const int slot = element->Usage * 16 + element->UsageIndex;
        if (registerOf_[slot] < 0)
            registerOf_[slot] = static_cast<signed char>(elements_.size());
        elements_.push_back(*element);
    }
}

HRESULT TD3DVertexDeclaration::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = device_;
    device_->AddRef();
    return D3D_OK;
}

HRESULT TD3DVertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count)
{
    if (!count)
        return D3DERR_INVALIDCALL;
    *count = UINT(elements_.size()) + 1;
    if (elements)
    {
        std::copy(elements_.begin(), elements_.end(), elements);
        elements[elements_.size()] = D3DDECL_END();
    }
    return D3D_OK;
}

bool TD3DVertexDeclaration::Validate(const D3DVERTEXELEMENT9* elements)
{
    if (!elements)
        return false;
    for (UINT i = 0; i < MAXD3DDECLLENGTH + 1; ++i)
    {
        const D3DVERTEXELEMENT9& element = elements[i];
        if (element.Stream == 0xFF)
            return element.Type == D3DDECLTYPE_UNUSED;
        if (element.Stream >= 16 || element.Type >= D3DDECLTYPE_UNUSED ||
            element.Usage >= D3DDECLUSAGE_COUNT || element.UsageIndex >= 16)
            return false;
    }
    return false; // no end element within the longest declaration
}

std::vector<D3DVERTEXELEMENT9> TD3DVertexDeclaration::FromFvf(DWORD fvf)
{
    std::vector<D3DVERTEXELEMENT9> elements;
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index) {
        elements.push_back({0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        offset = WORD(offset + TypeSize(type));
    };
    switch (fvf & D3DFVF_POSITION_MASK)
    {
    case D3DFVF_XYZ:
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
        break;
    case D3DFVF_XYZRHW:
        add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0);
        break;
    case D3DFVF_XYZW:
        add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0);
        break;
    default:
        return {};
    }
    if (fvf & D3DFVF_NORMAL)
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (fvf & D3DFVF_PSIZE)
        add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
    if (fvf & D3DFVF_DIFFUSE)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    const UINT textures = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (UINT i = 0; i < textures && i < 8; ++i)
    {
        // Two bits per set after bit 16: 0 two floats, 1 three, 2 four, 3 one.
        static constexpr BYTE kSizes[] = {D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3, D3DDECLTYPE_FLOAT4,
                                          D3DDECLTYPE_FLOAT1};
        add(kSizes[(fvf >> (16 + 2 * i)) & 3], D3DDECLUSAGE_TEXCOORD, BYTE(i));
    }
    elements.push_back(D3DDECL_END());
    return elements;
}

UINT TD3DVertexDeclaration::TypeSize(BYTE type)
{
    return type < D3DDECLTYPE_UNUSED ? kTypeSizes[type] : 0;
}
