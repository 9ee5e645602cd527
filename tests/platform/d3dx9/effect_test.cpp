#include "d3dxfixture.h"

#include "platform/d3d9/shadingmodel.h"

#include <cstring>
#include <sstream>

namespace
{
const char kSharedA[] = R"(effect 1
parameter vector Tint shared = 1 1 1 1
parameter vector Local = 0 0 0 0
technique defaultshader
pass p0
  pixelconstant 0 Tint
)";

const char kSharedB[] = R"(effect 1
parameter float Other
parameter vector Tint shared
parameter vector Local = 5 5 5 5
technique defaultshader
pass p0
  pixelconstant 2 Tint
)";

const char kAnnotated[] = R"(effect 1
parameter matrix WorldViewProjection shared
parameter texture Color0
  annotation string rid = "stone_wall"
  annotation int texturesampler = 3
  annotation string plugin = "TMaterialTexture"
parameter texture Unused
  annotation string rid = "nothing"
technique defaultshader
pass p0
  texture 3 Color0
  vertexconstant 0 WorldViewProjection
technique other
pass p0
  texture 0 Unused
)";

const char kStates[] = R"(effect 1
parameter texture Color0
parameter matrix Final
parameter vector Colour = 0.25 0.5 0.75 1
technique defaultshader
pass p0
  renderstate AlphaBlendEnable = true
  samplerstate 2 AddressU = Clamp
  texture 2 Color0
  texturestagestate 0 ColorOp = Modulate
  vertexshader canvas3d
  pixelshader vertexcolour
  vertexconstant 4 Final
  pixelconstant 1 Colour
  fvf 0x142
  lightenable 1 = true
)";

// Records every call in order; forwards to the device, except textures when told to drop them.
class RecordingStateManager : public ID3DXEffectStateManager
{
public:
    explicit RecordingStateManager(IDirect3DDevice9* device) : device_(device) {}

    HRESULT QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override
    {
        return Log("transform", state, 0, device_->SetTransform(state, matrix));
    }
    HRESULT SetMaterial(const D3DMATERIAL9* material) override
    {
        lastMaterial = *material;
        return Log("material", 0, 0, device_->SetMaterial(material));
    }
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override
    {
        lastLight = *light;
        return Log("light", index, light->Type, device_->SetLight(index, light));
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override
    {
        return Log("lightenable", index, enable, device_->LightEnable(index, enable));
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
    {
        return Log("renderstate", state, value, device_->SetRenderState(state, value));
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override
    {
        if (dropTextures)
            return Log("texture dropped", stage, texture != nullptr, D3D_OK);
        return Log("texture", stage, texture != nullptr, device_->SetTexture(stage, texture));
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
    {
        return Log("stagestate", stage, type, device_->SetTextureStageState(stage, type, value));
    }
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override
    {
        return Log("samplerstate", sampler, type, device_->SetSamplerState(sampler, type, value));
    }
    HRESULT SetNPatchMode(float segments) override { return device_->SetNPatchMode(segments); }
    HRESULT SetFVF(DWORD fvf) override { return Log("fvf", fvf, 0, device_->SetFVF(fvf)); }
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override
    {
        return Log("vertexshader", shader != nullptr, 0, device_->SetVertexShader(shader));
    }
    HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) override
    {
        lastVertexConstants.assign(data, data + count * 4);
        return Log("vertexconstant", start, count, device_->SetVertexShaderConstantF(start, data, count));
    }
    HRESULT SetVertexShaderConstantI(UINT start, const int* data, UINT count) override
    {
        return device_->SetVertexShaderConstantI(start, data, count);
    }
    HRESULT SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) override
    {
        return device_->SetVertexShaderConstantB(start, data, count);
    }
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override
    {
        return Log("pixelshader", shader != nullptr, 0, device_->SetPixelShader(shader));
    }
    HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) override
    {
        lastPixelConstants.assign(data, data + count * 4);
        return Log("pixelconstant", start, count, device_->SetPixelShaderConstantF(start, data, count));
    }
    HRESULT SetPixelShaderConstantI(UINT start, const int* data, UINT count) override
    {
        return device_->SetPixelShaderConstantI(start, data, count);
    }
    HRESULT SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) override
    {
        return device_->SetPixelShaderConstantB(start, data, count);
    }

    std::vector<std::string> calls;
    std::vector<float> lastVertexConstants, lastPixelConstants;
    D3DMATERIAL9 lastMaterial = {};
    D3DLIGHT9 lastLight = {};
    bool dropTextures = false;
    ULONG references = 1;

private:
    HRESULT Log(const char* call, DWORD a, DWORD b, HRESULT result)
    {
        std::ostringstream line;
        line << call << " " << a << " " << b;
        calls.push_back(line.str());
        return result;
    }

    IDirect3DDevice9* device_;
};
} // namespace

TEST_F(D3DXTest, SharedParametersHoldOneValueAcrossThePool)
{
    ID3DXEffectPool* pool = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateEffectPool(&pool));
    ID3DXEffect* a = MakeEffect(kSharedA, pool);
    ID3DXEffect* b = MakeEffect(kSharedB, pool);
    ASSERT_TRUE(a && b);

    // B's declaration gives no value: the pool keeps the one A declared first.
    D3DXVECTOR4 seen = {};
    EXPECT_EQ(D3D_OK, b->GetVector(b->GetParameterByName(nullptr, "Tint"), &seen));
    EXPECT_EQ(1.0f, seen.x);

    const D3DXVECTOR4 red = {1.0f, 0.0f, 0.0f, 0.5f};
    EXPECT_EQ(D3D_OK, a->SetVector(a->GetParameterByName(nullptr, "Tint"), &red));
    EXPECT_EQ(D3D_OK, b->GetVector(b->GetParameterByName(nullptr, "Tint"), &seen));
    EXPECT_EQ(0, std::memcmp(&red, &seen, sizeof red));

    // Unshared parameters of the same name stay apart.
    const D3DXVECTOR4 blue = {0.0f, 0.0f, 1.0f, 1.0f};
    EXPECT_EQ(D3D_OK, a->SetVector("Local", &blue));
    EXPECT_EQ(D3D_OK, b->GetVector("Local", &seen));
    EXPECT_EQ(5.0f, seen.x);

    // B's pass hands the value A set to the device.
    RecordingStateManager recorder(device);
    b->SetStateManager(&recorder);
    ASSERT_TRUE(BeginFirstPass(b));
    ASSERT_EQ(4u, recorder.lastPixelConstants.size());
    EXPECT_EQ(0.5f, recorder.lastPixelConstants[3]);
    EndFirstPass(b);

    // The value outlives the pool and the effect that declared it.
    a->Release();
    pool->Release();
    EXPECT_EQ(D3D_OK, b->GetVector("Tint", &seen));
    EXPECT_EQ(0.5f, seen.w);
    b->Release();
    EXPECT_EQ(1u, recorder.references);
}

TEST_F(D3DXTest, SharedParameterOfAnotherShapeFailsWithAMessage)
{
    ID3DXEffectPool* pool = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateEffectPool(&pool));
    ID3DXEffect* a = MakeEffect(kSharedA, pool);
    const std::string clash = "effect 1\nparameter matrix Tint shared\n";
    ID3DXEffect* b = nullptr;
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateEffectEx(device, clash.data(), UINT(clash.size()), nullptr,
                                                      nullptr, nullptr, 0, pool, &b, &errors));
    EXPECT_EQ(nullptr, b);
    ASSERT_NE(nullptr, errors);
    EXPECT_EQ(0, std::strncmp(static_cast<const char*>(errors->GetBufferPointer()),
                              "line 2: shared parameter 'Tint' has another type", 48));
    errors->Release();
    a->Release();
    pool->Release();
}

TEST_F(D3DXTest, MalformedDescriptionFailsWithTheLineInTheErrorBuffer)
{
    const std::string text =
        "effect 1\nparameter vector v\ntechnique defaultshader\npass p0\nrenderstate Fog = 1\n";
    ID3DXEffect* effect = reinterpret_cast<ID3DXEffect*>(this);
    ID3DXBuffer* errors = nullptr;
    EXPECT_EQ(D3DXERR_INVALIDDATA, D3DXCreateEffectEx(device, text.data(), UINT(text.size()), nullptr,
                                                      nullptr, nullptr, 0, nullptr, &effect, &errors));
    EXPECT_EQ(nullptr, effect);
    ASSERT_NE(nullptr, errors);
    EXPECT_STREQ("line 5: unknown state 'Fog'", static_cast<const char*>(errors->GetBufferPointer()));
    EXPECT_EQ(errors->GetBufferSize(), std::strlen("line 5: unknown state 'Fog'") + 1);
    errors->Release();
}

TEST_F(D3DXTest, AnnotationsAndParameterDescriptionsReadBack)
{
    ID3DXEffect* effect = MakeEffect(kAnnotated);
    ASSERT_NE(nullptr, effect);
    D3DXEFFECT_DESC effectDesc;
    ASSERT_EQ(D3D_OK, effect->GetDesc(&effectDesc));
    EXPECT_EQ(3u, effectDesc.Parameters);
    EXPECT_EQ(2u, effectDesc.Techniques);

    D3DXHANDLE texture = effect->GetParameter(nullptr, 1);
    EXPECT_EQ(texture, effect->GetParameterByName(nullptr, "Color0"));
    D3DXPARAMETER_DESC desc;
    ASSERT_EQ(D3D_OK, effect->GetParameterDesc(texture, &desc));
    EXPECT_STREQ("Color0", desc.Name);
    EXPECT_EQ(D3DXPT_TEXTURE, desc.Type);
    EXPECT_EQ(3u, desc.Annotations);
    EXPECT_EQ(0u, desc.Flags & D3DX_PARAMETER_SHARED);

    LPCSTR text = nullptr;
    EXPECT_EQ(D3D_OK, effect->GetString(effect->GetAnnotationByName(texture, "rid"), &text));
    EXPECT_STREQ("stone_wall", text);
    INT sampler = -1;
    EXPECT_EQ(D3D_OK, effect->GetInt(effect->GetAnnotationByName(texture, "texturesampler"), &sampler));
    EXPECT_EQ(3, sampler);
    EXPECT_EQ(D3D_OK, effect->GetString(effect->GetAnnotation(texture, 2), &text));
    EXPECT_STREQ("TMaterialTexture", text);
    EXPECT_EQ(nullptr, effect->GetAnnotationByName(texture, "missing"));
    EXPECT_EQ(nullptr, effect->GetAnnotation(texture, 3));
    // A string is not an int, and an annotation is not a texture.
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->GetInt(effect->GetAnnotationByName(texture, "rid"), &sampler));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->SetTexture(effect->GetAnnotationByName(texture, "rid"), nullptr));

    D3DXHANDLE matrix = effect->GetParameterByName(nullptr, "WorldViewProjection");
    ASSERT_EQ(D3D_OK, effect->GetParameterDesc(matrix, &desc));
    EXPECT_EQ(D3DX_PARAMETER_SHARED, desc.Flags);
    EXPECT_EQ(D3DXPC_MATRIX_ROWS, desc.Class);
    EXPECT_EQ(64u, desc.Bytes);

    D3DXHANDLE technique = effect->GetTechniqueByName("defaultshader");
    ASSERT_NE(nullptr, technique);
    EXPECT_EQ(D3D_OK, effect->SetTechnique(technique));
    EXPECT_TRUE(effect->IsParameterUsed(texture, technique));
    EXPECT_TRUE(effect->IsParameterUsed(matrix, technique));
    EXPECT_FALSE(effect->IsParameterUsed("Unused", technique));
    EXPECT_TRUE(effect->IsParameterUsed("Unused", "other"));
    EXPECT_EQ(nullptr, effect->GetTechniqueByName("missing"));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->SetTechnique("missing"));
    effect->Release();
}

TEST_F(D3DXTest, PassStatesReachTheStateManagerInOrderAndDroppedTexturesNeverTheDevice)
{
    ID3DXEffect* effect = MakeEffect(kStates);
    ASSERT_NE(nullptr, effect);
    IDirect3DTexture9* texture = Texture32(4, 4, 1, D3DFMT_A8R8G8B8, [](UINT, UINT, UINT) { return 0u; });
    ASSERT_EQ(D3D_OK, effect->SetTexture("Color0", texture));
    D3DXMATRIX final = {};
    for (int i = 0; i < 16; ++i)
        final.m[i / 4][i % 4] = float(i);
    // Values set before Begin apply in the pass.
    ASSERT_EQ(D3D_OK, effect->SetMatrix("Final", &final));

    RecordingStateManager recorder(device);
    recorder.dropTextures = true;
    ASSERT_EQ(D3D_OK, effect->SetStateManager(&recorder));
    UINT passes = 0;
    ASSERT_EQ(D3D_OK, effect->Begin(&passes, D3DXFX_DONOTSAVESTATE));
    EXPECT_EQ(1u, passes);
    ASSERT_EQ(D3D_OK, effect->BeginPass(0));
    const std::vector<std::string> expected = {
        "renderstate 27 1", "samplerstate 2 1",   "texture dropped 2 1", "stagestate 0 1", "vertexshader 1 0",
        "pixelshader 1 0",  "vertexconstant 4 4", "pixelconstant 1 1",   "fvf 322 0",      "lightenable 1 1",
    };
    EXPECT_EQ(expected, recorder.calls);
    // Matrices arrive by columns.
    ASSERT_EQ(16u, recorder.lastVertexConstants.size());
    EXPECT_EQ(4.0f, recorder.lastVertexConstants[1]);
    EXPECT_EQ(1.0f, recorder.lastVertexConstants[4]);
    EXPECT_EQ(0.75f, recorder.lastPixelConstants[2]);

    IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(this);
    EXPECT_EQ(D3D_OK, device->GetTexture(2, &bound));
    EXPECT_EQ(nullptr, bound);
    DWORD blend = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(1u, blend);
    EXPECT_EQ(D3D_OK, effect->EndPass());
    EXPECT_EQ(D3D_OK, effect->End());
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(1u, blend) << "nothing saved, nothing put back";

    // Without a state manager the pass sets the device itself.
    effect->SetStateManager(nullptr);
    ASSERT_TRUE(BeginFirstPass(effect));
    EXPECT_EQ(D3D_OK, device->GetTexture(2, &bound));
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(texture), bound);
    bound->Release();
    EndFirstPass(effect);
    effect->Release();
    EXPECT_EQ(1u, recorder.references);
}

TEST_F(D3DXTest, BeginWithoutDoNotSaveStatePutsTheStatesBackAtEnd)
{
    ID3DXEffect* effect = MakeEffect(kStates);
    ASSERT_NE(nullptr, effect);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetSamplerState(2, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    UINT passes = 0;
    ASSERT_EQ(D3D_OK, effect->Begin(&passes, 0));
    ASSERT_EQ(D3D_OK, effect->BeginPass(0));
    DWORD blend = 0, address = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(1u, blend);
    EndFirstPass(effect);
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(0u, blend);
    device->GetSamplerState(2, D3DSAMP_ADDRESSU, &address);
    EXPECT_EQ(DWORD(D3DTADDRESS_MIRROR), address);
    // Misuse is refused, not followed.
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->BeginPass(0));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->End());
    ASSERT_EQ(D3D_OK, effect->Begin(&passes, D3DXFX_DONOTSAVESTATE));
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->BeginPass(1));
    effect->End();
    effect->Release();
}

TEST_F(D3DXTest, UnknownShadingModelFallsBack)
{
    const std::string text =
        "effect 1\ntechnique defaultshader\npass p0\nvertexshader hologram\npixelshader hologram\n";
    ID3DXEffect* effect = MakeEffect(text);
    ASSERT_NE(nullptr, effect);
    ASSERT_TRUE(BeginFirstPass(effect));
    IDirect3DPixelShader9* shader = nullptr;
    ASSERT_EQ(D3D_OK, device->GetPixelShader(&shader));
    ASSERT_NE(nullptr, shader);
    DWORD tokens[64];
    UINT size = sizeof tokens;
    ASSERT_EQ(D3D_OK, shader->GetFunction(tokens, &size));
    UINT length = 0;
    EXPECT_STREQ("fallback", ShadingModelName(tokens, true, &length));
    shader->Release();
    EndFirstPass(effect);
    effect->Release();
}

TEST_F(D3DXTest, MaterialAndLightComeFromVectorArrays)
{
    const std::string text = R"(effect 1
parameter vector[5] Surface = 1 0 0 1  0.5 0.5 0.5 1  0 0 0 0  0 0 0 0  8 0 0 0
parameter vector[8] Sun = 3 100 1 0  1 1 0.5 1  0 0 0 0  0.1 0.1 0.1 1  0 0 0 0  0 -1 0 0  1 0 0 0  0 0 0 0
technique defaultshader
pass p0
  material Surface
  light 2 Sun
)";
    ID3DXEffect* effect = MakeEffect(text);
    ASSERT_NE(nullptr, effect);
    RecordingStateManager recorder(device);
    effect->SetStateManager(&recorder);
    ASSERT_TRUE(BeginFirstPass(effect));
    EXPECT_EQ((std::vector<std::string>{"material 0 0", "light 2 3"}), recorder.calls);
    EXPECT_EQ(0.5f, recorder.lastMaterial.Ambient.g);
    EXPECT_EQ(8.0f, recorder.lastMaterial.Power);
    EXPECT_EQ(D3DLIGHT_DIRECTIONAL, recorder.lastLight.Type);
    EXPECT_EQ(100.0f, recorder.lastLight.Range);
    EXPECT_EQ(-1.0f, recorder.lastLight.Direction.y);
    EXPECT_EQ(0.5f, recorder.lastLight.Diffuse.b);
    EXPECT_EQ(1.0f, recorder.lastLight.Attenuation0);
    EndFirstPass(effect);

    // A light type far out of range is passed on saturated, not through an undefined conversion.
    const D3DXVECTOR4 wild[9] = {{3e30f, 0, 0, 0}};
    EXPECT_EQ(D3DERR_INVALIDCALL, effect->SetVectorArray("Sun", wild, 9));
    ASSERT_EQ(D3D_OK, effect->SetVectorArray("Sun", wild, 8));
    ASSERT_TRUE(BeginFirstPass(effect));
    EXPECT_EQ(0x7FFFFFFFu, DWORD(recorder.lastLight.Type));
    EndFirstPass(effect);
    effect->Release();
}
