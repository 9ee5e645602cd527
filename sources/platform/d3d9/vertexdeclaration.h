#pragma once
// A vertex declaration: its elements and, per usage and usage index, the element that feeds it.
#include "platform/d3d9/object.h"

#include <vector>

class TD3DVertexDeclaration : public TD3DUnknown<IDirect3DVertexDeclaration9>
{
public:
    // `elements` ends with D3DDECL_END; Validate first. Declarations the device makes for
    // itself (from an FVF) hold no reference on it and start without public references.
    TD3DVertexDeclaration(IDirect3DDevice9* device, const D3DVERTEXELEMENT9* elements,
                          bool deviceOwned = false);

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override;

    const std::vector<D3DVERTEXELEMENT9>& Elements() const { return elements_; }
    const signed char* RegisterOf() const { return registerOf_; }
    bool PreTransformed() const { return registerOf_[D3DDECLUSAGE_POSITIONT * 16] >= 0; }

    // Whether an element array is a declaration this layer can fetch (types, usages, end).
    static bool Validate(const D3DVERTEXELEMENT9* elements);
    // The elements of a flexible vertex format, ending with D3DDECL_END; empty when invalid.
    static std::vector<D3DVERTEXELEMENT9> FromFvf(DWORD fvf);
    // Bytes of one element of a declaration type.
    static UINT TypeSize(BYTE type);

private:
    bool Answers(REFIID riid) const override
    {
        return riid == IID_IUnknown || riid == IID_IDirect3DVertexDeclaration9;
    }

    IDirect3DDevice9* device_;
    std::vector<D3DVERTEXELEMENT9> elements_; // without the end element
    signed char registerOf_[D3DDECLUSAGE_COUNT * 16];
};
