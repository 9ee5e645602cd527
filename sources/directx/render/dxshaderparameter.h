#pragma once
// The Direct3D forms of a shader parameter: TDxShaderParameter sets its value on one effect
// handle (nothing while no effect binds it); TDxShaderLocalParameter, embedded in its shader, on the handle of each of the
// shader's effects that has the parameter.
#include "engine/render/shaderparameter.h"

// One (effect, handle) pair of a local parameter.
struct TDxEffectHandle
{
    ID3DXEffect* pEffect;
    const char* pHandle;
};

class TDxShaderParameter : public TShaderParameter
{
public:
    void Bind(ID3DXEffect* effect, const char* handle)
    {
        m_pEffect = effect;
        m_pHandle = handle;
    }

    void SetTexture(TTexture* texture) override;
    void SetMatrixArray(u32 count, const TMatrix* matrices) override;
    void SetMatrix(const TMatrix& matrix) override;
    void SetVectorArray(u32 count, const TVector* vectors) override;
    void SetVector(const TVector& vector) override;
    void SetIntArray(u32 count, const i32* values) override;
    void SetInt(i32 value) override;
};

static_assert(sizeof(TDxShaderParameter) == sizeof(TShaderParameter));

// Its handle list holds one pair per effect of the shader (a null effect where the parameter
// is missing), after a first pair whose handle word is the count.
class TDxShaderLocalParameter : public TShaderParameter
{
public:
    void SetTexture(TTexture* texture) override;
    void SetMatrixArray(u32 count, const TMatrix* matrices) override;
    void SetMatrix(const TMatrix& matrix) override;
    void SetVectorArray(u32 count, const TVector* vectors) override;
    void SetVector(const TVector& vector) override;
    void SetIntArray(u32 count, const i32* values) override;
    void SetInt(i32 value) override;

    // The pairs (count first), null while the parameter has none.
    TDxEffectHandle* GetPairs() const { return reinterpret_cast<TDxEffectHandle*>(m_pHandles); }
    void SetPairs(TDxEffectHandle* pairs) { m_pHandles = reinterpret_cast<const char**>(pairs); }

private:
    template <class Call> void ForEach(Call call);
};

static_assert(sizeof(TDxShaderLocalParameter) == sizeof(TShaderParameter));
