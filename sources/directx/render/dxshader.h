#pragma once
// TDxShader: the Direct3D side of a shader resource. Loading inflates its data block and makes
// one D3DX effect per program record (or shares an earlier program's); a draw finds the program
// of its mesh layout, defines and texture mask, lets the plug-ins fill their parameters, begins
// the effect's pass through the effect state filter and binds the slot textures.
#include "directx/render/dxshaderparameter.h"
#include "engine/render/shader.h"

class TMaterial;
class TNodeObject;
class TShaderParameterPlugin;
struct TMeshDescription;

constexpr u32 DX_PROGRAM_TEXTURES = 16;
constexpr u32 DX_PROGRAM_BINDINGS = 12;
// Sampler byte of a slot without sampler.
constexpr u8 DX_NO_SAMPLER = 255;

struct TDxProgramTexture
{
    u32 nSlot;
    TDxShaderParameter* pParameter;
};

struct TDxProgramBinding
{
    TShaderParameterPlugin* pPlugin;
    TDxShaderParameter Parameter;
};

class TDxShaderProgram
{
public:
    TDxShaderProgram();

    u32 nTextureSlots;
    // -1: the program has an effect of its own.
    i32 nSharedEffect;
    // Null when the effect could not be made: the program draws nothing.
    ID3DXEffect* pEffect;
    u8 aSampler[SHADER_TEXTURE_SLOTS];
    u32 nTextureCount;
    TDxProgramTexture aTexture[DX_PROGRAM_TEXTURES];
    u32 nBindingCount;
    TDxProgramBinding aBinding[DX_PROGRAM_BINDINGS];
};

class TDxShader : public TShader
{
public:
    // TResource.
    i32 Query() override { return 1; }
    i32 Load() override;
    i32 Release() override;
    i32 OnDeviceLost() override;
    i32 OnDeviceReset() override;

    u32 GetParameterCount() const { return m_aParameter.GetCount(); }
    TShaderParameter* GetParameter(u32 index) { return &m_aParameter[index].Parameter; }
    TShaderParameter* FindParameter(const TName& name);
    void SetDefine(const TName& name, const TName& value) override;
    void RemoveDefine(const TName& name) override;
    const TName& GetDefineText() const { return m_DefineText; }
    // Puts a texture into a slot (null empties it) and keeps the slot mask.
    TShader* SetTexture(u32 slot, TTexture* texture);

    // Finds the program of the draw and begins its pass; 1 (nothing to draw) when the shader is
    // not loaded or the program has no effect.
    i32 Begin(TNodeObject* object, const TMeshDescription* mesh, TMaterial* material) override;
    void End() override;

    // The program of the mesh layout, the defines and the two masks; a missing one is fatal.
    TDxShaderProgram* _Compile(const TMeshDescription* mesh, u32 materialMask, TNodeObject* object);
    void _Prepare(TDxShaderProgram* program, const void* data, u32 size);

    TDxShaderProgram* GetCurrentProgram() const { return m_pProgram; }

private:
    void _RebuildDefineText();
    // Adds a local parameter fed by the plug-in of its name; null when the set is full.
    TShaderParameterEntry* _AddLocalParameter(const TName& name);
    i32 _FindLookup(const TShaderProgramKey& key) const;
    void _InsertLookup(const TShaderProgramKey& key, TDxShaderProgram* program);
};

static_assert(sizeof(TDxShader) == sizeof(TShader));

// The texts of a slot mask's bits 0-21: " color0", " color1", " normal0", " mask0", " env0",
// " env1", " user0" .. " user15".
const char* TextureSlotList(u32 mask);
// The slot names of the global texture parameters ("Color0" .. "User15").
const char* TextureSlotName(u32 slot);
// The mask of a material's texture slots.
u32 MaterialTextureMask(const TMaterial* material);
