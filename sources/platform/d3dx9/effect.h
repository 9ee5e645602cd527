#pragma once
// An effect made from a compiled description: its parameter values (shared ones in the pool),
// its techniques, and the passes that set states, textures, shading models and constants
// through the effect's state manager (the device itself when none is set).
#include "platform/d3dx9/effectdescription.h"
#include "platform/d3dx9/effectpool.h"
#include "platform/d3dx9/unknown.h"

#include <memory>
#include <string>
#include <vector>

class TD3DXEffect : public TD3DXUnknown<ID3DXEffect>
{
public:
    // Answers null with `error` set when a shared parameter disagrees with the pool or a
    // shading model cannot be made.
    static TD3DXEffect* Create(IDirect3DDevice9* device, TEffectDescription description,
                               TD3DXEffectPool* pool, std::string& error);
    ~TD3DXEffect() override;

    HRESULT GetDesc(D3DXEFFECT_DESC* desc) override;
    HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override;
    HRESULT GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) override;
    D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) override;
    D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) override;
    D3DXHANDLE GetTechnique(UINT index) override;
    D3DXHANDLE GetTechniqueByName(LPCSTR name) override;
    D3DXHANDLE GetAnnotation(D3DXHANDLE object, UINT index) override;
    D3DXHANDLE GetAnnotationByName(D3DXHANDLE object, LPCSTR name) override;

    HRESULT SetInt(D3DXHANDLE parameter, INT value) override;
    HRESULT GetInt(D3DXHANDLE parameter, INT* value) override;
    HRESULT SetIntArray(D3DXHANDLE parameter, const INT* values, UINT count) override;
    HRESULT GetIntArray(D3DXHANDLE parameter, INT* values, UINT count) override;
    HRESULT SetFloat(D3DXHANDLE parameter, FLOAT value) override;
    HRESULT GetFloat(D3DXHANDLE parameter, FLOAT* value) override;
    HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) override;
    HRESULT GetVector(D3DXHANDLE parameter, D3DXVECTOR4* vector) override;
    HRESULT SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4* vectors, UINT count) override;
    HRESULT GetVectorArray(D3DXHANDLE parameter, D3DXVECTOR4* vectors, UINT count) override;
    HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override;
    HRESULT GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix) override;
    HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count) override;
    HRESULT GetMatrixArray(D3DXHANDLE parameter, D3DXMATRIX* matrices, UINT count) override;
    HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) override;
    HRESULT GetString(D3DXHANDLE parameter, LPCSTR* text) override;

    HRESULT GetPool(ID3DXEffectPool** pool) override;
    HRESULT SetTechnique(D3DXHANDLE technique) override;
    D3DXHANDLE GetCurrentTechnique() override;
    BOOL IsParameterUsed(D3DXHANDLE parameter, D3DXHANDLE technique) override;
    HRESULT Begin(UINT* passes, DWORD flags) override;
    HRESULT BeginPass(UINT pass) override;
    HRESULT CommitChanges() override;
    HRESULT EndPass() override;
    HRESULT End() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }
    HRESULT SetStateManager(ID3DXEffectStateManager* manager) override;
    HRESULT GetStateManager(ID3DXEffectStateManager** manager) override;

private:
    struct TParameterRecord
    {
        const TEffectParameter* declaration;
        std::shared_ptr<TParameterValue> value;
    };
    struct TAnnotationRecord
    {
        const TEffectAnnotation* declaration;
        const TParameterRecord* owner;
    };
    struct TTechniqueRecord
    {
        const TEffectTechnique* declaration;
        // Per pass, per statement: the shader object of a shader statement, else null.
        std::vector<std::vector<IUnknown*>> shaders;
    };
    // A state Begin saved to put back at End (render, sampler and texture-stage states).
    struct TSavedState
    {
        EPassStatement kind;
        DWORD index, state, value;
    };

    TD3DXEffect(IDirect3DDevice9* device, TEffectDescription description, TD3DXEffectPool* pool);
    bool Prepare(std::string& error);
    IUnknown* MakeShader(const TPassStatement& statement, std::string& missing);

    TParameterRecord* FindParameter(D3DXHANDLE handle);
    TAnnotationRecord* FindAnnotation(D3DXHANDLE handle);
    TTechniqueRecord* FindTechnique(D3DXHANDLE handle);
    // The parameter's words when its type is `type` and it holds at least `words` of them.
    DWORD* Words(D3DXHANDLE handle, EEffectValueType type, UINT words);

    void Apply(const TPassStatement& statement, IUnknown* shader, bool valuesOnly);
    void SaveStates();
    ID3DXEffectStateManager* Target() { return manager_ ? manager_ : deviceManager_; }

    IDirect3DDevice9* device_;
    TD3DXEffectPool* pool_;
    ID3DXEffectStateManager* deviceManager_;
    ID3DXEffectStateManager* manager_ = nullptr;
    TEffectDescription description_;
    std::vector<TParameterRecord> parameters_;
    std::vector<TAnnotationRecord> annotations_;
    std::vector<TTechniqueRecord> techniques_;
    TTechniqueRecord* technique_ = nullptr;
    bool begun_ = false;
    int pass_ = -1;
    std::vector<TSavedState> saved_;
};
