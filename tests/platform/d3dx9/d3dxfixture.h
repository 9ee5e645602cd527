#pragma once
// The Direct3D tests' headless device (tests/platform/d3d9), with effect creation for the D3DX
// tests.
#include "platform/d3d9/devicefixture.h"
#include "platform/d3dx9/d3dx9.h"

#include <gtest/gtest.h>

#include <string>

class D3DXTest : public DeviceTest
{
protected:
    // Creates the effect or fails the test with the compiler's message.
    ID3DXEffect* MakeEffect(const std::string& text, ID3DXEffectPool* pool = nullptr)
    {
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        const HRESULT result = D3DXCreateEffectEx(device, text.data(), UINT(text.size()), nullptr, nullptr,
                                                  nullptr, D3DXFX_NOT_CLONEABLE, pool, &effect, &errors);
        EXPECT_EQ(D3D_OK, result) << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
        if (errors)
            errors->Release();
        return effect;
    }

    // Begins the effect and its first pass, states not saved.
    static bool BeginFirstPass(ID3DXEffect* effect)
    {
        UINT passes = 0;
        return effect->Begin(&passes, D3DXFX_DONOTSAVESTATE) == D3D_OK && effect->BeginPass(0) == D3D_OK;
    }
    static void EndFirstPass(ID3DXEffect* effect)
    {
        effect->EndPass();
        effect->End();
    }
};
