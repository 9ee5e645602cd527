#pragma once
// The value of one effect parameter: 32-bit words (float bits or ints) or a texture. A shared
// parameter's value lives in the effect pool and every effect of the pool holds it.
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/effectdescription.h"

#include <vector>

class TParameterValue
{
public:
    explicit TParameterValue(const TEffectParameter& declaration)
        : type(declaration.type), elements(declaration.elements), words(EffectParameterWords(declaration), 0)
    {
        if (declaration.initial.size() == words.size())
            words = declaration.initial;
    }
    ~TParameterValue()
    {
        if (texture)
            texture->Release();
    }
    TParameterValue(const TParameterValue&) = delete;
    TParameterValue& operator=(const TParameterValue&) = delete;

    void SetTexture(IDirect3DBaseTexture9* value)
    {
        if (value)
            value->AddRef();
        if (texture)
            texture->Release();
        texture = value;
    }

    bool SameShape(const TEffectParameter& declaration) const
    {
        return type == declaration.type && elements == declaration.elements;
    }

    const EEffectValueType type;
    const UINT elements;
    std::vector<DWORD> words;
    IDirect3DBaseTexture9* texture = nullptr; // a reference held
};
