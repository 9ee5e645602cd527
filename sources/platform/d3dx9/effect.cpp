#include "platform/d3dx9/effect.h"

#include "platform/d3d9/shadingmodel.h"
#include "platform/d3dx9/buffer.h"
#include "platform/d3dx9/devicestatemanager.h"
#include "platform/d3dx9/effectcompiler.h"
#include "platform/d3dx9/shadingmodels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
constexpr UINT kMaxShaderTokens = 80;
const char kCreator[] = "Vestamor effect description";

float WordFloat(DWORD word)
{
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// As a float converts to an int, but a value out of range saturates and NaN gives 0, where the
// plain conversion is undefined.
INT ToInt(float value)
{
    if (!(value == value))
        return 0;
    if (value >= 2147483520.0f)
        return INT(0x7FFFFFFF);
    if (value <= -2147483648.0f)
        return INT(-2147483647 - 1);
    return INT(value);
}

DWORD FloatWord(float value)
{
    DWORD word;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

template <class Record> Record* RecordOf(std::vector<Record>& records, D3DXHANDLE handle)
{
    if (records.empty())
        return nullptr;
    const auto* address = reinterpret_cast<const char*>(handle);
    const auto* first = reinterpret_cast<const char*>(records.data());
    const auto* last = reinterpret_cast<const char*>(records.data() + records.size());
    if (address < first || address >= last || (address - first) % sizeof(Record) != 0)
        return nullptr;
    return &records[(address - first) / sizeof(Record)];
}

template <class Record> D3DXHANDLE HandleOf(const Record* record)
{
    return reinterpret_cast<D3DXHANDLE>(record);
}

// The constant registers a parameter's value fills. Matrices go in by columns (each register
// holds one column of the row-vector matrix), so a model computes position x matrix as four
// dot products; ints and floats fill the x component of one register each.
std::vector<float> ConstantRegisters(const TParameterValue& value, UINT registers)
{
    std::vector<float> data(std::size_t(registers) * 4, 0.0f);
    const UINT count = value.elements ? value.elements : 1;
    switch (value.type)
    {
    case EEffectValueType::Matrix:
        for (UINT e = 0; e < count; ++e)
            for (UINT column = 0; column < 4; ++column)
                for (UINT row = 0; row < 4; ++row)
                    data[(e * 4 + column) * 4 + row] = WordFloat(value.words[e * 16 + row * 4 + column]);
        break;
    case EEffectValueType::Vector:
        for (std::size_t i = 0; i < value.words.size(); ++i)
            data[i] = WordFloat(value.words[i]);
        break;
    case EEffectValueType::Int:
        for (UINT e = 0; e < count; ++e)
            data[e * 4] = float(INT(value.words[e]));
        break;
    case EEffectValueType::Float:
        for (UINT e = 0; e < count; ++e)
            data[e * 4] = WordFloat(value.words[e]);
        break;
    case EEffectValueType::Texture:
        break;
    }
    return data;
}
D3DCOLORVALUE ColourOf(const TParameterValue& value, int vector)
{
    const DWORD* w = value.words.data() + vector * 4;
    return {WordFloat(w[0]), WordFloat(w[1]), WordFloat(w[2]), WordFloat(w[3])};
}

D3DVECTOR PointOf(const TParameterValue& value, int vector)
{
    const DWORD* w = value.words.data() + vector * 4;
    return {WordFloat(w[0]), WordFloat(w[1]), WordFloat(w[2])};
}

// A vector[5]: diffuse, ambient, specular, emissive, {power}.
D3DMATERIAL9 MaterialOf(const TParameterValue& value)
{
    return {ColourOf(value, 0), ColourOf(value, 1), ColourOf(value, 2), ColourOf(value, 3),
            WordFloat(value.words[16])};
}

// A vector[8]: {type, range, falloff}, diffuse, specular, ambient, position, direction,
// {attenuation 0, 1, 2}, {theta, phi}.
D3DLIGHT9 LightOf(const TParameterValue& value)
{
    D3DLIGHT9 light = {};
    const D3DCOLORVALUE head = ColourOf(value, 0), attenuation = ColourOf(value, 6),
                        cone = ColourOf(value, 7);
    light.Type = D3DLIGHTTYPE(DWORD(std::max(ToInt(head.r), 0)));
    light.Diffuse = ColourOf(value, 1);
    light.Specular = ColourOf(value, 2);
    light.Ambient = ColourOf(value, 3);
    light.Position = PointOf(value, 4);
    light.Direction = PointOf(value, 5);
    light.Range = head.g;
    light.Falloff = head.b;
    light.Attenuation0 = attenuation.r;
    light.Attenuation1 = attenuation.g;
    light.Attenuation2 = attenuation.b;
    light.Theta = cone.r;
    light.Phi = cone.g;
    return light;
}
} // namespace

TD3DXEffect::TD3DXEffect(IDirect3DDevice9* device, TEffectDescription description, TD3DXEffectPool* pool)
    : TD3DXUnknown(IID_ID3DXEffect), device_(device), pool_(pool),
      deviceManager_(new TDeviceStateManager(device)), description_(std::move(description))
{
    device_->AddRef();
    if (pool_)
        pool_->AddRef();
}

TD3DXEffect::~TD3DXEffect()
{
    for (TTechniqueRecord& technique : techniques_)
        for (std::vector<IUnknown*>& pass : technique.shaders)
            for (IUnknown* shader : pass)
                if (shader)
                    shader->Release();
    if (manager_)
        manager_->Release();
    deviceManager_->Release();
    parameters_.clear(); // shared values outlive the pool through their own counts
    if (pool_)
        pool_->Release();
    device_->Release();
}

TD3DXEffect* TD3DXEffect::Create(IDirect3DDevice9* device, TEffectDescription description,
                                 TD3DXEffectPool* pool, std::string& error)
{
    auto* effect = new TD3DXEffect(device, std::move(description), pool);
    if (!effect->Prepare(error))
    {
        effect->Release();
        return nullptr;
    }
    return effect;
}

bool TD3DXEffect::Prepare(std::string& error)
{
    parameters_.reserve(description_.parameters.size());
    for (const TEffectParameter& declaration : description_.parameters)
    {
        std::shared_ptr<TParameterValue> value;
        if (declaration.shared && pool_)
        {
            value = pool_->Share(declaration);
            if (!value)
            {
                error = "line " + std::to_string(declaration.line) + ": shared parameter '" +
                        declaration.name +
                        "' has another type or element count in an effect of the same pool";
                return false;
            }
        }
        else
        {
            value = std::make_shared<TParameterValue>(declaration);
        }
        parameters_.push_back({&declaration, std::move(value)});
    }
    for (const TParameterRecord& parameter : parameters_)
        for (const TEffectAnnotation& annotation : parameter.declaration->annotations)
            annotations_.push_back({&annotation, &parameter});

    std::string missing;
    techniques_.reserve(description_.techniques.size());
    for (const TEffectTechnique& declaration : description_.techniques)
    {
        TTechniqueRecord technique{&declaration, {}};
        for (const TEffectPass& pass : declaration.passes)
        {
            technique.shaders.emplace_back();
            for (const TPassStatement& statement : pass.statements)
            {
                IUnknown* shader = nullptr;
                if (statement.kind == EPassStatement::VertexShader ||
                    statement.kind == EPassStatement::PixelShader)
                {
                    shader = MakeShader(statement, missing);
                    if (!shader)
                    {
                        error = "line " + std::to_string(statement.line) +
                                ": the device refused shading model '" + statement.model + "'";
                        techniques_.push_back(std::move(technique));
                        return false;
                    }
                }
                technique.shaders.back().push_back(shader);
            }
        }
        techniques_.push_back(std::move(technique));
    }
    if (!missing.empty())
        std::fprintf(stderr,
                     "d3dx: the effect names the shading model '%s', which the layer does not have: the "
                     "fallback model stands in\n",
                     missing.c_str());
    technique_ = techniques_.empty() ? nullptr : &techniques_[0];
    return true;
}

IUnknown* TD3DXEffect::MakeShader(const TPassStatement& statement, std::string& missing)
{
    const bool pixel = statement.kind == EPassStatement::PixelShader;
    const char* model = statement.model.c_str();
    const bool known = pixel ? FindPixelModel(model) != nullptr : FindVertexModel(model) != nullptr;
    if (!known)
    {
        if (missing.empty())
            missing = statement.model;
        model = kFallbackShadingModel;
    }
    DWORD tokens[kMaxShaderTokens];
    const UINT count = ShadingModelTokens(pixel, model, tokens, kMaxShaderTokens);
    if (count == 0 || count > kMaxShaderTokens)
        return nullptr;
    if (pixel)
    {
        IDirect3DPixelShader9* shader = nullptr;
        return SUCCEEDED(device_->CreatePixelShader(tokens, &shader)) ? shader : nullptr;
    }
    IDirect3DVertexShader9* shader = nullptr;
    return SUCCEEDED(device_->CreateVertexShader(tokens, &shader)) ? shader : nullptr;
}

// -- handles -----------------------------------------------------------------------------------

TD3DXEffect::TParameterRecord* TD3DXEffect::FindParameter(D3DXHANDLE handle)
{
    if (!handle)
        return nullptr;
    if (TParameterRecord* record = RecordOf(parameters_, handle))
        return record;
    if (RecordOf(annotations_, handle) || RecordOf(techniques_, handle))
        return nullptr;
    // A name given in place of a handle.
    for (TParameterRecord& record : parameters_)
        if (record.declaration->name == handle)
            return &record;
    return nullptr;
}

TD3DXEffect::TAnnotationRecord* TD3DXEffect::FindAnnotation(D3DXHANDLE handle)
{
    return handle ? RecordOf(annotations_, handle) : nullptr;
}

TD3DXEffect::TTechniqueRecord* TD3DXEffect::FindTechnique(D3DXHANDLE handle)
{
    if (!handle)
        return nullptr;
    if (TTechniqueRecord* record = RecordOf(techniques_, handle))
        return record;
    if (RecordOf(annotations_, handle) || RecordOf(parameters_, handle))
        return nullptr;
    for (TTechniqueRecord& record : techniques_)
        if (record.declaration->name == handle)
            return &record;
    return nullptr;
}

DWORD* TD3DXEffect::Words(D3DXHANDLE handle, EEffectValueType type, UINT words)
{
    TParameterRecord* record = FindParameter(handle);
    if (!record || record->value->type != type || record->value->words.size() < words)
        return nullptr;
    return record->value->words.data();
}

HRESULT TD3DXEffect::GetDesc(D3DXEFFECT_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {kCreator, UINT(parameters_.size()), UINT(techniques_.size()), 0};
    return D3D_OK;
}

HRESULT TD3DXEffect::GetParameterDesc(D3DXHANDLE handle, D3DXPARAMETER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {};
    if (const TAnnotationRecord* annotation = FindAnnotation(handle))
    {
        const TEffectAnnotation& a = *annotation->declaration;
        desc->Name = a.name.c_str();
        desc->Class = a.type == EAnnotationType::String ? D3DXPC_OBJECT : D3DXPC_SCALAR;
        desc->Type = a.type == EAnnotationType::String ? D3DXPT_STRING
                     : a.type == EAnnotationType::Int  ? D3DXPT_INT
                                                       : D3DXPT_FLOAT;
        desc->Rows = desc->Columns = 1;
        desc->Flags = D3DX_PARAMETER_ANNOTATION;
        desc->Bytes = 4;
        return D3D_OK;
    }
    const TParameterRecord* record = FindParameter(handle);
    if (!record)
        return D3DERR_INVALIDCALL;
    const TEffectParameter& p = *record->declaration;
    desc->Name = p.name.c_str();
    desc->Elements = p.elements;
    desc->Annotations = UINT(p.annotations.size());
    desc->Flags = p.shared ? D3DX_PARAMETER_SHARED : 0;
    desc->Bytes = p.type == EEffectValueType::Texture ? 4 : EffectParameterWords(p) * 4;
    switch (p.type)
    {
    case EEffectValueType::Texture:
        desc->Class = D3DXPC_OBJECT;
        desc->Type = D3DXPT_TEXTURE;
        desc->Rows = desc->Columns = 1;
        break;
    case EEffectValueType::Matrix:
        desc->Class = D3DXPC_MATRIX_ROWS;
        desc->Type = D3DXPT_FLOAT;
        desc->Rows = desc->Columns = 4;
        break;
    case EEffectValueType::Vector:
        desc->Class = D3DXPC_VECTOR;
        desc->Type = D3DXPT_FLOAT;
        desc->Rows = 1;
        desc->Columns = 4;
        break;
    case EEffectValueType::Int:
    case EEffectValueType::Float:
        desc->Class = D3DXPC_SCALAR;
        desc->Type = p.type == EEffectValueType::Int ? D3DXPT_INT : D3DXPT_FLOAT;
        desc->Rows = desc->Columns = 1;
        break;
    }
    return D3D_OK;
}

HRESULT TD3DXEffect::GetTechniqueDesc(D3DXHANDLE handle, D3DXTECHNIQUE_DESC* desc)
{
    const TTechniqueRecord* technique = FindTechnique(handle);
    if (!desc || !technique)
        return D3DERR_INVALIDCALL;
    *desc = {technique->declaration->name.c_str(), UINT(technique->declaration->passes.size()), 0};
    return D3D_OK;
}

D3DXHANDLE TD3DXEffect::GetParameter(D3DXHANDLE parent, UINT index)
{
    return parent || index >= parameters_.size() ? nullptr : HandleOf(&parameters_[index]);
}

D3DXHANDLE TD3DXEffect::GetParameterByName(D3DXHANDLE parent, LPCSTR name)
{
    if (parent || !name)
        return nullptr;
    for (const TParameterRecord& record : parameters_)
        if (record.declaration->name == name)
            return HandleOf(&record);
    return nullptr;
}

D3DXHANDLE TD3DXEffect::GetTechnique(UINT index)
{
    return index < techniques_.size() ? HandleOf(&techniques_[index]) : nullptr;
}

D3DXHANDLE TD3DXEffect::GetTechniqueByName(LPCSTR name)
{
    if (!name)
        return nullptr;
    for (const TTechniqueRecord& record : techniques_)
        if (record.declaration->name == name)
            return HandleOf(&record);
    return nullptr;
}

D3DXHANDLE TD3DXEffect::GetAnnotation(D3DXHANDLE object, UINT index)
{
    const TParameterRecord* owner = FindParameter(object);
    for (const TAnnotationRecord& annotation : annotations_)
        if (annotation.owner == owner && owner && index-- == 0)
            return HandleOf(&annotation);
    return nullptr;
}

D3DXHANDLE TD3DXEffect::GetAnnotationByName(D3DXHANDLE object, LPCSTR name)
{
    const TParameterRecord* owner = FindParameter(object);
    if (!owner || !name)
        return nullptr;
    for (const TAnnotationRecord& annotation : annotations_)
        if (annotation.owner == owner && annotation.declaration->name == name)
            return HandleOf(&annotation);
    return nullptr;
}

// -- values ------------------------------------------------------------------------------------

HRESULT TD3DXEffect::SetInt(D3DXHANDLE handle, INT value)
{
    if (DWORD* words = Words(handle, EEffectValueType::Int, 1))
        words[0] = DWORD(value);
    else if (DWORD* floats = Words(handle, EEffectValueType::Float, 1))
        floats[0] = FloatWord(float(value));
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT TD3DXEffect::GetInt(D3DXHANDLE handle, INT* value)
{
    if (!value)
        return D3DERR_INVALIDCALL;
    if (const TAnnotationRecord* annotation = FindAnnotation(handle))
    {
        const TEffectAnnotation& a = *annotation->declaration;
        if (a.type == EAnnotationType::String)
            return D3DERR_INVALIDCALL;
        *value = a.type == EAnnotationType::Int ? a.intValue : ToInt(a.floatValue);
        return D3D_OK;
    }
    if (const DWORD* words = Words(handle, EEffectValueType::Int, 1))
        *value = INT(words[0]);
    else if (const DWORD* floats = Words(handle, EEffectValueType::Float, 1))
        *value = ToInt(WordFloat(floats[0]));
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT TD3DXEffect::SetIntArray(D3DXHANDLE handle, const INT* values, UINT count)
{
    DWORD* words = Words(handle, EEffectValueType::Int, count);
    if (!words || !values)
        return D3DERR_INVALIDCALL;
    std::memcpy(words, values, count * sizeof(INT));
    return D3D_OK;
}

HRESULT TD3DXEffect::GetIntArray(D3DXHANDLE handle, INT* values, UINT count)
{
    const DWORD* words = Words(handle, EEffectValueType::Int, count);
    if (!words || !values)
        return D3DERR_INVALIDCALL;
    std::memcpy(values, words, count * sizeof(INT));
    return D3D_OK;
}

HRESULT TD3DXEffect::SetFloat(D3DXHANDLE handle, FLOAT value)
{
    if (DWORD* words = Words(handle, EEffectValueType::Float, 1))
        words[0] = FloatWord(value);
    else if (DWORD* ints = Words(handle, EEffectValueType::Int, 1))
        ints[0] = DWORD(ToInt(value));
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT TD3DXEffect::GetFloat(D3DXHANDLE handle, FLOAT* value)
{
    if (!value)
        return D3DERR_INVALIDCALL;
    if (const TAnnotationRecord* annotation = FindAnnotation(handle))
    {
        const TEffectAnnotation& a = *annotation->declaration;
        if (a.type == EAnnotationType::String)
            return D3DERR_INVALIDCALL;
        *value = a.type == EAnnotationType::Float ? a.floatValue : float(a.intValue);
        return D3D_OK;
    }
    if (const DWORD* words = Words(handle, EEffectValueType::Float, 1))
        *value = WordFloat(words[0]);
    else if (const DWORD* ints = Words(handle, EEffectValueType::Int, 1))
        *value = float(INT(ints[0]));
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT TD3DXEffect::SetVector(D3DXHANDLE handle, const D3DXVECTOR4* vector)
{
    return SetVectorArray(handle, vector, 1);
}

HRESULT TD3DXEffect::GetVector(D3DXHANDLE handle, D3DXVECTOR4* vector)
{
    return GetVectorArray(handle, vector, 1);
}

HRESULT TD3DXEffect::SetVectorArray(D3DXHANDLE handle, const D3DXVECTOR4* vectors, UINT count)
{
    DWORD* words = Words(handle, EEffectValueType::Vector, count * 4);
    if (!words || !vectors)
        return D3DERR_INVALIDCALL;
    std::memcpy(words, vectors, count * sizeof(D3DXVECTOR4));
    return D3D_OK;
}

HRESULT TD3DXEffect::GetVectorArray(D3DXHANDLE handle, D3DXVECTOR4* vectors, UINT count)
{
    const DWORD* words = Words(handle, EEffectValueType::Vector, count * 4);
    if (!words || !vectors)
        return D3DERR_INVALIDCALL;
    std::memcpy(vectors, words, count * sizeof(D3DXVECTOR4));
    return D3D_OK;
}

HRESULT TD3DXEffect::SetMatrix(D3DXHANDLE handle, const D3DXMATRIX* matrix)
{
    return SetMatrixArray(handle, matrix, 1);
}

HRESULT TD3DXEffect::GetMatrix(D3DXHANDLE handle, D3DXMATRIX* matrix)
{
    return GetMatrixArray(handle, matrix, 1);
}

HRESULT TD3DXEffect::SetMatrixArray(D3DXHANDLE handle, const D3DXMATRIX* matrices, UINT count)
{
    DWORD* words = Words(handle, EEffectValueType::Matrix, count * 16);
    if (!words || !matrices)
        return D3DERR_INVALIDCALL;
    std::memcpy(words, matrices, count * sizeof(D3DXMATRIX));
    return D3D_OK;
}

HRESULT TD3DXEffect::GetMatrixArray(D3DXHANDLE handle, D3DXMATRIX* matrices, UINT count)
{
    const DWORD* words = Words(handle, EEffectValueType::Matrix, count * 16);
    if (!words || !matrices)
        return D3DERR_INVALIDCALL;
    std::memcpy(matrices, words, count * sizeof(D3DXMATRIX));
    return D3D_OK;
}

HRESULT TD3DXEffect::SetTexture(D3DXHANDLE handle, IDirect3DBaseTexture9* texture)
{
    TParameterRecord* record = FindParameter(handle);
    if (!record || record->value->type != EEffectValueType::Texture)
        return D3DERR_INVALIDCALL;
    record->value->SetTexture(texture);
    return D3D_OK;
}

HRESULT TD3DXEffect::GetTexture(D3DXHANDLE handle, IDirect3DBaseTexture9** texture)
{
    TParameterRecord* record = FindParameter(handle);
    if (!texture || !record || record->value->type != EEffectValueType::Texture)
        return D3DERR_INVALIDCALL;
    *texture = record->value->texture;
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT TD3DXEffect::GetString(D3DXHANDLE handle, LPCSTR* text)
{
    const TAnnotationRecord* annotation = FindAnnotation(handle);
    if (!text || !annotation || annotation->declaration->type != EAnnotationType::String)
        return D3DERR_INVALIDCALL;
    *text = annotation->declaration->text.c_str();
    return D3D_OK;
}

// -- techniques and passes -----------------------------------------------------------------------

HRESULT TD3DXEffect::GetPool(ID3DXEffectPool** pool)
{
    if (!pool)
        return D3DERR_INVALIDCALL;
    *pool = pool_;
    if (pool_)
        pool_->AddRef();
    return D3D_OK;
}

HRESULT TD3DXEffect::SetTechnique(D3DXHANDLE handle)
{
    TTechniqueRecord* technique = FindTechnique(handle);
    if (!technique || begun_)
        return D3DERR_INVALIDCALL;
    technique_ = technique;
    return D3D_OK;
}

D3DXHANDLE TD3DXEffect::GetCurrentTechnique()
{
    return HandleOf(technique_);
}

BOOL TD3DXEffect::IsParameterUsed(D3DXHANDLE handle, D3DXHANDLE techniqueHandle)
{
    const TParameterRecord* parameter = FindParameter(handle);
    const TTechniqueRecord* technique = techniqueHandle ? FindTechnique(techniqueHandle) : technique_;
    if (!parameter || !technique)
        return FALSE;
    const int index = int(parameter - parameters_.data());
    for (const TEffectPass& pass : technique->declaration->passes)
        for (const TPassStatement& statement : pass.statements)
            if (statement.parameter == index)
                return TRUE;
    return FALSE;
}

HRESULT TD3DXEffect::Begin(UINT* passes, DWORD flags)
{
    if (!technique_ || begun_)
        return D3DERR_INVALIDCALL;
    begun_ = true;
    saved_.clear();
    if (!(flags & D3DXFX_DONOTSAVESTATE))
        SaveStates();
    if (passes)
        *passes = UINT(technique_->declaration->passes.size());
    return D3D_OK;
}

void TD3DXEffect::SaveStates()
{
    for (const TEffectPass& pass : technique_->declaration->passes)
        for (const TPassStatement& s : pass.statements)
        {
            DWORD value = 0;
            HRESULT result = D3DERR_INVALIDCALL;
            if (s.kind == EPassStatement::RenderState)
                result = device_->GetRenderState(D3DRENDERSTATETYPE(s.state), &value);
            else if (s.kind == EPassStatement::SamplerState)
                result = device_->GetSamplerState(s.index, D3DSAMPLERSTATETYPE(s.state), &value);
            else if (s.kind == EPassStatement::TextureStageState)
                result = device_->GetTextureStageState(s.index, D3DTEXTURESTAGESTATETYPE(s.state), &value);
            if (SUCCEEDED(result))
                saved_.push_back({s.kind, s.index, s.state, value});
        }
}

HRESULT TD3DXEffect::BeginPass(UINT pass)
{
    if (!begun_ || pass_ >= 0 || pass >= technique_->declaration->passes.size())
        return D3DERR_INVALIDCALL;
    pass_ = int(pass);
    const std::vector<TPassStatement>& statements = technique_->declaration->passes[pass].statements;
    for (std::size_t i = 0; i < statements.size(); ++i)
        Apply(statements[i], technique_->shaders[pass][i], false);
    return D3D_OK;
}

HRESULT TD3DXEffect::CommitChanges()
{
    if (pass_ < 0)
        return D3DERR_INVALIDCALL;
    const std::vector<TPassStatement>& statements = technique_->declaration->passes[pass_].statements;
    for (std::size_t i = 0; i < statements.size(); ++i)
        Apply(statements[i], technique_->shaders[pass_][i], true);
    return D3D_OK;
}

void TD3DXEffect::Apply(const TPassStatement& s, IUnknown* shader, bool valuesOnly)
{
    ID3DXEffectStateManager* target = Target();
    const TParameterValue* value = s.parameter >= 0 ? parameters_[s.parameter].value.get() : nullptr;
    switch (s.kind)
    {
    case EPassStatement::Texture:
        target->SetTexture(s.index, value->texture);
        return;
    case EPassStatement::VertexConstant:
    case EPassStatement::PixelConstant: {
        const UINT registers = EffectParameterRegisters(*parameters_[s.parameter].declaration);
        const std::vector<float> data = ConstantRegisters(*value, registers);
        if (s.kind == EPassStatement::VertexConstant)
            target->SetVertexShaderConstantF(s.index, data.data(), registers);
        else
            target->SetPixelShaderConstantF(s.index, data.data(), registers);
        return;
    }
    case EPassStatement::Transform:
        target->SetTransform(D3DTRANSFORMSTATETYPE(s.state),
                             reinterpret_cast<const D3DMATRIX*>(value->words.data()));
        return;
    case EPassStatement::Material: {
        const D3DMATERIAL9 material = MaterialOf(*value);
        target->SetMaterial(&material);
        return;
    }
    case EPassStatement::Light: {
        const D3DLIGHT9 light = LightOf(*value);
        target->SetLight(s.index, &light);
        return;
    }
    default:
        break;
    }
    if (valuesOnly)
        return;
    switch (s.kind)
    {
    case EPassStatement::RenderState:
        target->SetRenderState(D3DRENDERSTATETYPE(s.state), s.value);
        break;
    case EPassStatement::SamplerState:
        target->SetSamplerState(s.index, D3DSAMPLERSTATETYPE(s.state), s.value);
        break;
    case EPassStatement::TextureStageState:
        target->SetTextureStageState(s.index, D3DTEXTURESTAGESTATETYPE(s.state), s.value);
        break;
    case EPassStatement::VertexShader:
        target->SetVertexShader(static_cast<IDirect3DVertexShader9*>(shader));
        break;
    case EPassStatement::PixelShader:
        target->SetPixelShader(static_cast<IDirect3DPixelShader9*>(shader));
        break;
    case EPassStatement::Fvf:
        target->SetFVF(s.value);
        break;
    case EPassStatement::NPatchMode:
        target->SetNPatchMode(s.floatValue);
        break;
    case EPassStatement::LightEnable:
        target->LightEnable(s.index, BOOL(s.value));
        break;
    default:
        break;
    }
}

HRESULT TD3DXEffect::EndPass()
{
    if (pass_ < 0)
        return D3DERR_INVALIDCALL;
    pass_ = -1;
    return D3D_OK;
}

HRESULT TD3DXEffect::End()
{
    if (!begun_)
        return D3DERR_INVALIDCALL;
    ID3DXEffectStateManager* target = Target();
    for (const TSavedState& s : saved_)
    {
        if (s.kind == EPassStatement::RenderState)
            target->SetRenderState(D3DRENDERSTATETYPE(s.state), s.value);
        else if (s.kind == EPassStatement::SamplerState)
            target->SetSamplerState(s.index, D3DSAMPLERSTATETYPE(s.state), s.value);
        else
            target->SetTextureStageState(s.index, D3DTEXTURESTAGESTATETYPE(s.state), s.value);
    }
    saved_.clear();
    begun_ = false;
    pass_ = -1;
    return D3D_OK;
}

HRESULT TD3DXEffect::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = device_;
    device_->AddRef();
    return D3D_OK;
}

HRESULT TD3DXEffect::SetStateManager(ID3DXEffectStateManager* manager)
{
    if (manager)
        manager->AddRef();
    if (manager_)
        manager_->Release();
    manager_ = manager;
    return D3D_OK;
}

HRESULT TD3DXEffect::GetStateManager(ID3DXEffectStateManager** manager)
{
    if (!manager)
        return D3DERR_INVALIDCALL;
    *manager = manager_;
    if (manager_)
        manager_->AddRef();
    return D3D_OK;
}

HRESULT D3DXCreateEffectEx(IDirect3DDevice9* device, const void* data, UINT size, const D3DXMACRO* defines,
                           ID3DXInclude* include, LPCSTR skipConstants, DWORD flags, ID3DXEffectPool* pool,
                           ID3DXEffect** effect, ID3DXBuffer** errors)
{
    if (errors)
        *errors = nullptr;
    if (!device || !effect || (!data && size))
        return D3DERR_INVALIDCALL;
    *effect = nullptr;
    TEffectDescription description;
    std::string error;
    TD3DXEffect* made = nullptr;
    if (TEffectCompiler::Compile(static_cast<const char*>(data), size, description, error))
        made =
            TD3DXEffect::Create(device, std::move(description), static_cast<TD3DXEffectPool*>(pool), error);
    if (!made)
    {
        if (errors)
            *errors = TD3DXBuffer::FromText(error);
        return D3DXERR_INVALIDDATA;
    }
    *effect = made;
    return D3D_OK;
}
