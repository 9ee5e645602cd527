#pragma once
// TShader (stored type 35, 964 bytes): the shader resource. Its stored layout: 22 texture slots
// with their mask, up to 24 local parameters, up to 8 defines and their text, the program
// records and the run-time program lookup. The Direct3D side (TDxShader) loads its effects and
// begins and ends them around draws.
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderprogramdata.h"
#include "engine/system/resource.h"

class TDxShaderProgram;
class TMaterial;
class TNodeObject;
struct TMeshDescription;

constexpr u16 SHADER_TYPE_ID = 35;
constexpr u32 SHADER_PARAMETER_CAPACITY = 24;
constexpr u32 SHADER_DEFINE_CAPACITY = 8;

struct TShaderParameterEntry
{
    TName Name;
    TShaderParameter Parameter;
};

struct TShaderDefine
{
    TName Name;
    TName Value;
};

struct TShaderLookupEntry
{
    TShaderProgramKey Key;
    TDxShaderProgram* pProgram;
};

class TShader : public TResource
{
public:
    TShader();

    // Stores the texture in the slot and sets its mask bit (clears it for null); a slot
    // outside the table is refused with an error line.
    TShader* SetTexture(u32 slot, TTexture* texture);
    // Bit N for every slot N that holds a texture.
    void RebuildMask();

    // Begins drawing an object of that mesh layout with the material (or none); 0 when the
    // draw may go on, which End then closes.
    virtual i32 Begin(TNodeObject* object, const TMeshDescription* mesh, TMaterial* material) = 0;
    virtual void End() = 0;
    // A compile define by name (its value replaced when set), or its removal: the program
    // a draw finds follows the define text.
    virtual void SetDefine(const TName& name, const TName& value) = 0;
    virtual void RemoveDefine(const TName& name) = 0;
    // Takes over the other shader's define set (a pass's, for a shader drawing inside it).
    void CopyDefines(const TShader& other);

    // Bit N set while slot N holds a texture.
    u32 m_nTextureMask;
    TTexture* aTexture[SHADER_TEXTURE_SLOTS];
    u32 m_nReserved160;
    SArray<TShaderParameterEntry, SHADER_PARAMETER_CAPACITY, 1> m_aParameter;
    SArray<TShaderDefine, SHADER_DEFINE_CAPACITY, 0> m_aDefine;
    // "name=value|" for every define in set order; no name without defines.
    TName m_DefineText;
    // Bit N: the effects use the global sampler parameter of slot N.
    u32 m_nGlobalTextureMask;
    DArray<TShaderLookupEntry> m_aLookup;
    // The slot mask when Begin ran, put back by End.
    u32 m_nBeginTextureMask;
    DArray<TDxShaderProgramData> m_aProgramData;
    TDxShaderProgram* m_pProgram;
    u32 m_nEffectCount;
    ID3DXEffect** m_ppEffect;
    // The data block's inflated and stored sizes.
    u32 m_nDataSize;
    u32 m_nStoredSize;
};

static_assert(sizeof(TShader) == 964);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TShader, aTexture) == 72);
static_assert(offsetof(TShader, m_aParameter) == 164);
static_assert(offsetof(TShader, m_aDefine) == 840);
static_assert(offsetof(TShader, m_aProgramData) == 932);
static_assert(offsetof(TShader, m_nStoredSize) == 960);
#pragma GCC diagnostic pop
// Where the stored references lie: the embedded parameters' virtual-table words, and the
// program records' data word.
constexpr u32 SHADER_FIRST_PARAMETER_TABLE = 172;
constexpr u32 SHADER_PARAMETER_ENTRY_SIZE = sizeof(TShaderParameterEntry);
constexpr u32 SHADER_PROGRAM_DATA_OFFSET = 940;
static_assert(SHADER_PARAMETER_ENTRY_SIZE == 28);

// The shader manager's rebuild (every shader unloaded, to load again at its next use): what
// "shader_rebuild" runs. Set by the platform; null does nothing.
extern void (*g_pRebuildShaders)();
