#pragma once
// The D3DX 9 calls the engine makes (effects and effect pools, fonts, sprites, surface saving),
// with D3DX's meanings, over the software Direct3D 9 device. Effects are not HLSL: their data is
// the text description compiled by platform/d3dx9/effectcompiler.h, and their passes name the
// shading models registered with the device (platform/d3d9/shadingmodel.h).
#include "platform/d3d9/d3d9.h"

// ---------------------------------------------------------------------------------------------
// Types and constants

typedef const char* D3DXHANDLE;

struct D3DXMATRIX : D3DMATRIX
{
};

struct D3DXVECTOR2
{
    float x, y;
};

struct D3DXVECTOR3
{
    float x, y, z;
};

struct D3DXVECTOR4
{
    float x, y, z, w;
};

struct D3DXMACRO
{
    LPCSTR Name;
    LPCSTR Definition;
};

struct PALETTEENTRY
{
    BYTE peRed, peGreen, peBlue, peFlags;
};

// Include handlers are not supported: effects are single descriptions.
struct ID3DXInclude;

constexpr HRESULT D3DXERR_INVALIDDATA = MakeD3DResult(true, 2905);

// Effect creation and Begin flags.
constexpr DWORD D3DXFX_DONOTSAVESTATE = 1 << 0;
constexpr DWORD D3DXFX_DONOTSAVESHADERSTATE = 1 << 1;
constexpr DWORD D3DXFX_DONOTSAVESAMPLERSTATE = 1 << 2;
constexpr DWORD D3DXFX_NOT_CLONEABLE = 1 << 11;
constexpr DWORD D3DXFX_LARGEADDRESSAWARE = 1 << 17;
constexpr DWORD D3DXSHADER_SKIPVALIDATION = 1 << 1;

// D3DXPARAMETER_DESC::Flags
constexpr DWORD D3DX_PARAMETER_SHARED = 1 << 0;
constexpr DWORD D3DX_PARAMETER_LITERAL = 1 << 1;
constexpr DWORD D3DX_PARAMETER_ANNOTATION = 1 << 2;

enum D3DXPARAMETER_CLASS : DWORD
{
    D3DXPC_SCALAR = 0,
    D3DXPC_VECTOR = 1,
    D3DXPC_MATRIX_ROWS = 2,
    D3DXPC_MATRIX_COLUMNS = 3,
    D3DXPC_OBJECT = 4,
    D3DXPC_STRUCT = 5,
};

enum D3DXPARAMETER_TYPE : DWORD
{
    D3DXPT_VOID = 0,
    D3DXPT_BOOL = 1,
    D3DXPT_INT = 2,
    D3DXPT_FLOAT = 3,
    D3DXPT_STRING = 4,
    D3DXPT_TEXTURE = 5,
};

struct D3DXPARAMETER_DESC
{
    LPCSTR Name;
    LPCSTR Semantic;
    D3DXPARAMETER_CLASS Class;
    D3DXPARAMETER_TYPE Type;
    UINT Rows;
    UINT Columns;
    UINT Elements;
    UINT Annotations;
    UINT StructMembers;
    DWORD Flags;
    UINT Bytes;
};

struct D3DXEFFECT_DESC
{
    LPCSTR Creator;
    UINT Parameters;
    UINT Techniques;
    UINT Functions;
};

struct D3DXTECHNIQUE_DESC
{
    LPCSTR Name;
    UINT Passes;
    UINT Annotations;
};

// Sprite Begin flags.
constexpr DWORD D3DXSPRITE_DONOTSAVESTATE = 1 << 0;
constexpr DWORD D3DXSPRITE_DONOTMODIFY_RENDERSTATE = 1 << 1;
constexpr DWORD D3DXSPRITE_OBJECTSPACE = 1 << 2;
constexpr DWORD D3DXSPRITE_BILLBOARD = 1 << 3;
constexpr DWORD D3DXSPRITE_ALPHABLEND = 1 << 4;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 1 << 5;
constexpr DWORD D3DXSPRITE_SORT_DEPTH_FRONTTOBACK = 1 << 6;
constexpr DWORD D3DXSPRITE_SORT_DEPTH_BACKTOFRONT = 1 << 7;
constexpr DWORD D3DXSPRITE_DO_NOT_ADDREF_TEXTURE = 1 << 8;

// DrawText formats (the GDI values).
constexpr DWORD DT_TOP = 0x00000000;
constexpr DWORD DT_LEFT = 0x00000000;
constexpr DWORD DT_CENTER = 0x00000001;
constexpr DWORD DT_RIGHT = 0x00000002;
constexpr DWORD DT_WORDBREAK = 0x00000010;
constexpr DWORD DT_SINGLELINE = 0x00000020;
constexpr DWORD DT_NOCLIP = 0x00000100;
constexpr DWORD DT_CALCRECT = 0x00000400;

enum D3DXIMAGE_FILEFORMAT : DWORD
{
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
};

// ---------------------------------------------------------------------------------------------
// Interfaces

struct ID3DXBuffer : IUnknown
{
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

// Receives every state change an effect pass makes, in place of the device.
struct ID3DXEffectStateManager : IUnknown
{
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    virtual HRESULT SetMaterial(const D3DMATERIAL9* material) = 0;
    virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
    virtual HRESULT SetNPatchMode(float segments) = 0;
    virtual HRESULT SetFVF(DWORD fvf) = 0;
    virtual HRESULT SetVertexShader(IDirect3DVertexShader9* shader) = 0;
    virtual HRESULT SetVertexShaderConstantF(UINT start, const float* data, UINT count) = 0;
    virtual HRESULT SetVertexShaderConstantI(UINT start, const int* data, UINT count) = 0;
    virtual HRESULT SetVertexShaderConstantB(UINT start, const BOOL* data, UINT count) = 0;
    virtual HRESULT SetPixelShader(IDirect3DPixelShader9* shader) = 0;
    virtual HRESULT SetPixelShaderConstantF(UINT start, const float* data, UINT count) = 0;
    virtual HRESULT SetPixelShaderConstantI(UINT start, const int* data, UINT count) = 0;
    virtual HRESULT SetPixelShaderConstantB(UINT start, const BOOL* data, UINT count) = 0;
};

// Holds the values of the parameters its effects declare shared.
struct ID3DXEffectPool : IUnknown
{
};

struct ID3DXEffect : IUnknown
{
    virtual HRESULT GetDesc(D3DXEFFECT_DESC* desc) = 0;
    virtual HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) = 0;
    virtual HRESULT GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) = 0;
    // Handles: those these calls answer, or a name given in their place.
    virtual D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) = 0;
    virtual D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) = 0;
    virtual D3DXHANDLE GetTechnique(UINT index) = 0;
    virtual D3DXHANDLE GetTechniqueByName(LPCSTR name) = 0;
    virtual D3DXHANDLE GetAnnotation(D3DXHANDLE object, UINT index) = 0;
    virtual D3DXHANDLE GetAnnotationByName(D3DXHANDLE object, LPCSTR name) = 0;

    virtual HRESULT SetInt(D3DXHANDLE parameter, INT value) = 0;
    virtual HRESULT GetInt(D3DXHANDLE parameter, INT* value) = 0;
    virtual HRESULT SetIntArray(D3DXHANDLE parameter, const INT* values, UINT count) = 0;
    virtual HRESULT GetIntArray(D3DXHANDLE parameter, INT* values, UINT count) = 0;
    virtual HRESULT SetFloat(D3DXHANDLE parameter, FLOAT value) = 0;
    virtual HRESULT GetFloat(D3DXHANDLE parameter, FLOAT* value) = 0;
    virtual HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) = 0;
    virtual HRESULT GetVector(D3DXHANDLE parameter, D3DXVECTOR4* vector) = 0;
    virtual HRESULT SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4* vectors, UINT count) = 0;
    virtual HRESULT GetVectorArray(D3DXHANDLE parameter, D3DXVECTOR4* vectors, UINT count) = 0;
    virtual HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) = 0;
    virtual HRESULT GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix) = 0;
    virtual HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count) = 0;
    virtual HRESULT GetMatrixArray(D3DXHANDLE parameter, D3DXMATRIX* matrices, UINT count) = 0;
    virtual HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) = 0;
    virtual HRESULT GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) = 0;
    virtual HRESULT GetString(D3DXHANDLE parameter, LPCSTR* text) = 0;

    virtual HRESULT GetPool(ID3DXEffectPool** pool) = 0;
    virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
    virtual D3DXHANDLE GetCurrentTechnique() = 0;
    // Whether a pass of the technique reads the parameter (constants, textures, transforms).
    virtual BOOL IsParameterUsed(D3DXHANDLE parameter, D3DXHANDLE technique) = 0;
    virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
    virtual HRESULT BeginPass(UINT pass) = 0;
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
    virtual HRESULT SetStateManager(ID3DXEffectStateManager* manager) = 0;
    virtual HRESULT GetStateManager(ID3DXEffectStateManager** manager) = 0;
};

struct ID3DXSprite : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT GetTransform(D3DXMATRIX* transform) = 0;
    virtual HRESULT SetTransform(const D3DXMATRIX* transform) = 0;
    virtual HRESULT Begin(DWORD flags) = 0;
    // Queues the texture's rectangle (the whole texture when null) with its centre at `center`
    // placed at `position`, modulated by the colour; drawn at Flush or End.
    virtual HRESULT Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                         const D3DXVECTOR3* position, D3DCOLOR color) = 0;
    virtual HRESULT Flush() = 0;
    virtual HRESULT End() = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};

struct ID3DXFont : IUnknown
{
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT PreloadGlyphs(UINT first, UINT last) = 0;
    // Answers the height of the text drawn (0 on failure); with DT_CALCRECT only measures,
    // setting the rectangle's right and bottom.
    virtual INT DrawTextA(ID3DXSprite* sprite, LPCSTR text, INT count, RECT* rect, DWORD format,
                          D3DCOLOR color) = 0;
    virtual INT DrawTextW(ID3DXSprite* sprite, LPCWSTR text, INT count, RECT* rect, DWORD format,
                          D3DCOLOR color) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};

// ---------------------------------------------------------------------------------------------
// Entry points

HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer);
HRESULT D3DXCreateEffectPool(ID3DXEffectPool** pool);
// `data` is an effect description. On failure `errors` (when given) receives a text naming the
// line and the reason.
HRESULT D3DXCreateEffectEx(IDirect3DDevice9* device, const void* data, UINT size, const D3DXMACRO* defines,
                           ID3DXInclude* include, LPCSTR skipConstants, DWORD flags, ID3DXEffectPool* pool,
                           ID3DXEffect** effect, ID3DXBuffer** errors);
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite);
HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT mipLevels,
                        BOOL italic, DWORD charSet, DWORD outputPrecision, DWORD quality,
                        DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font);
// Writes the whole surface (rect and palette must be null) as BMP, JPEG or PNG.
HRESULT D3DXSaveSurfaceToFileA(LPCSTR file, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* surface,
                               const PALETTEENTRY* palette, const RECT* rect);
