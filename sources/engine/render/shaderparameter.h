#pragma once
// TShaderParameter (stored type 33, 24 bytes): a named effect parameter. Shaders embed their
// local parameters; the shader manager keeps the global ones. The Direct3D forms set the value
// on one effect handle (TDxShaderParameter) or on the handle of each of a shader's effects
// (TDxShaderLocalParameter).
#include "core/math/matrix.h"
#include "core/system/name.h"

#include <cstddef>

struct IDirect3DBaseTexture9;
class TTexture;
struct ID3DXEffect;

constexpr u16 SHADER_PARAMETER_TYPE_ID = 33;
// Flags: the parameter is fed by the plug-in of its name.
constexpr u32 SHADER_PARAMETER_PLUGIN = 2;

class TShaderParameter
{
public:
    TShaderParameter() : m_nFlags(0), m_pHandle(nullptr), m_pEffect(nullptr), m_pHandles(nullptr) {}
    virtual ~TShaderParameter() = default;
    // The values a draw gives the parameter; the base has no effect to give them to.
    virtual void SetTexture(TTexture* texture) {}
    virtual void SetMatrixArray(u32 count, const TMatrix* matrices) {}
    virtual void SetMatrix(const TMatrix& matrix) {}
    virtual void SetVectorArray(u32 count, const TVector* vectors) {}
    virtual void SetVector(const TVector& vector) {}
    virtual void SetIntArray(u32 count, const i32* values) {}
    virtual void SetInt(i32 value) {}

    TName m_Name;
    u32 m_nFlags;
    // The effect handle and its effect (global and bound parameters).
    const char* m_pHandle;
    ID3DXEffect* m_pEffect;
    // Local parameters: one handle per effect of the shader, null where the effect lacks it.
    const char** m_pHandles;
};

static_assert(sizeof(TShaderParameter) == 24);
