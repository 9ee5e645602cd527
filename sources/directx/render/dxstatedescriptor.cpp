#include "directx/render/dxstatedescriptor.h"

#include "platform/d3d9/d3d9types.h"

#include <bit>

namespace
{
constexpr u32 F(f32 value)
{
    return std::bit_cast<u32>(value);
}

constexpr u32 R = DX_STATE_RENDER;
constexpr u32 S = DX_STATE_SAMPLER;
constexpr u32 T = DX_STATE_TEXTURE_STAGE;

const TDxStateDescriptor kDescriptors[] = {
    {R, D3DRS_ZENABLE, "ZEnable", 1},
    {R, D3DRS_FILLMODE, "FillMode", D3DFILL_SOLID},
    {R, D3DRS_SHADEMODE, "ShadeMode", D3DSHADE_GOURAUD},
    {R, D3DRS_ZWRITEENABLE, "ZWriteEnable", 1},
    {R, D3DRS_ALPHATESTENABLE, "AlphaTestEnable", 0},
    {R, D3DRS_LASTPIXEL, "LastPixel", 1},
    {R, D3DRS_SRCBLEND, "SrcBlend", D3DBLEND_ONE},
    {R, D3DRS_DESTBLEND, "DestBlend", D3DBLEND_ZERO},
    {R, D3DRS_CULLMODE, "CullMode", D3DCULL_CCW},
    {R, D3DRS_ZFUNC, "ZFunc", D3DCMP_LESSEQUAL},
    {R, D3DRS_ALPHAREF, "AlphaRef", 0},
    {R, D3DRS_ALPHAFUNC, "AlphaFunc", D3DCMP_ALWAYS},
    {R, D3DRS_DITHERENABLE, "DitherEnable", 0},
    {R, D3DRS_ALPHABLENDENABLE, "AlphaBlendEnable", 0},
    {R, D3DRS_FOGENABLE, "FogEnable", 0},
    {R, D3DRS_SPECULARENABLE, "SpecularEnable", 0},
    {R, D3DRS_FOGCOLOR, "FogColor", 0},
    {R, D3DRS_FOGTABLEMODE, "FogTableMode", 0},
    {R, D3DRS_FOGSTART, "FogStart", F(0.0f)},
    {R, D3DRS_FOGEND, "FogEnd", F(1.0f)},
    {R, D3DRS_FOGDENSITY, "FogDensity", F(1.0f)},
    {R, D3DRS_RANGEFOGENABLE, "RangeFogEnable", 0},
    {R, D3DRS_STENCILENABLE, "StencilEnable", 0},
    {R, D3DRS_STENCILFAIL, "StencilFail", D3DSTENCILOP_KEEP},
    {R, D3DRS_STENCILZFAIL, "StencilZFail", D3DSTENCILOP_KEEP},
    {R, D3DRS_STENCILPASS, "StencilPass", D3DSTENCILOP_KEEP},
    {R, D3DRS_STENCILFUNC, "StencilFunc", D3DCMP_ALWAYS},
    {R, D3DRS_STENCILREF, "StencilRef", 0},
    {R, D3DRS_STENCILMASK, "StencilMask", 0xFFFFFFFF},
    {R, D3DRS_STENCILWRITEMASK, "StencilWriteMask", 0xFFFFFFFF},
    {R, D3DRS_TEXTUREFACTOR, "TextureFactor", 0xFFFFFFFF},
    {R, D3DRS_WRAP0, "Wrap0", 0},
    {R, D3DRS_WRAP1, "Wrap1", 0},
    {R, D3DRS_WRAP2, "Wrap2", 0},
    {R, D3DRS_WRAP3, "Wrap3", 0},
    {R, D3DRS_WRAP4, "Wrap4", 0},
    {R, D3DRS_WRAP5, "Wrap5", 0},
    {R, D3DRS_WRAP6, "Wrap6", 0},
    {R, D3DRS_WRAP7, "Wrap7", 0},
    {R, D3DRS_CLIPPING, "Clipping", 1},
    {R, D3DRS_LIGHTING, "Lighting", 1},
    {R, D3DRS_AMBIENT, "Ambient", 0},
    {R, D3DRS_FOGVERTEXMODE, "FogVertexMode", 0},
    {R, D3DRS_COLORVERTEX, "ColorVertex", 1},
    {R, D3DRS_LOCALVIEWER, "LocalViewer", 1},
    {R, D3DRS_NORMALIZENORMALS, "NormalizeNormals", 0},
    {R, D3DRS_DIFFUSEMATERIALSOURCE, "DiffuseMaterialSource", 1},
    {R, D3DRS_SPECULARMATERIALSOURCE, "SpecularMaterialSource", 2},
    {R, D3DRS_AMBIENTMATERIALSOURCE, "AmbientMaterialSource", 0},
    {R, D3DRS_EMISSIVEMATERIALSOURCE, "EmissiveMaterialSource", 0},
    {R, D3DRS_VERTEXBLEND, "VertexBlend", 0},
    {R, D3DRS_CLIPPLANEENABLE, "ClipPlaneEnable", 0},
    {R, D3DRS_POINTSIZE, "PointSize", F(1.0f)},
    {R, D3DRS_POINTSIZE_MIN, "PointSize_Min", F(1.0f)},
    {R, D3DRS_POINTSPRITEENABLE, "PointSpriteEnable", 0},
    {R, D3DRS_POINTSCALEENABLE, "PointScaleEnable", 0},
    {R, D3DRS_POINTSCALE_A, "PointScale_A", F(1.0f)},
    {R, D3DRS_POINTSCALE_B, "PointScale_B", F(0.0f)},
    {R, D3DRS_POINTSCALE_C, "PointScale_C", F(0.0f)},
    {R, D3DRS_MULTISAMPLEANTIALIAS, "MultiSampleAntialias", 1},
    {R, D3DRS_MULTISAMPLEMASK, "MultiSampleMask", 0xFFFFFFFF},
    {R, D3DRS_PATCHEDGESTYLE, "PatchEdgeStyle", 0},
    {R, D3DRS_DEBUGMONITORTOKEN, "DebugMonitorToken", 0},
    {R, D3DRS_POINTSIZE_MAX, "PointSize_Max", F(8192.0f)},
    {R, D3DRS_INDEXEDVERTEXBLENDENABLE, "IndexedVertexBlendEnable", 0},
    {R, D3DRS_COLORWRITEENABLE, "ColorWriteEnable", 0xF},
    {R, D3DRS_TWEENFACTOR, "TweenFactor", F(0.0f)},
    {R, D3DRS_BLENDOP, "BlendOp", D3DBLENDOP_ADD},
    {R, D3DRS_POSITIONDEGREE, "PositionDegree", 3},
    {R, D3DRS_NORMALDEGREE, "NormalDegree", 1},
    {R, D3DRS_SCISSORTESTENABLE, "ScissorTestEnable", 0},
    {R, D3DRS_SLOPESCALEDEPTHBIAS, "SlopeScaleDepthBias", 0},
    {R, D3DRS_ANTIALIASEDLINEENABLE, "AntialiasedLineEnable", 0},
    {R, D3DRS_MINTESSELLATIONLEVEL, "MinTessellationLevel", F(1.0f)},
    {R, D3DRS_MAXTESSELLATIONLEVEL, "MaxTessellationLevel", F(1.0f)},
    {R, D3DRS_TWOSIDEDSTENCILMODE, "TwoSidedStencilMode", 0},
    {R, D3DRS_CCW_STENCILFAIL, "CCW_StencilFail", D3DSTENCILOP_KEEP},
    {R, D3DRS_CCW_STENCILZFAIL, "CCW_StencilZFail", D3DSTENCILOP_KEEP},
    {R, D3DRS_CCW_STENCILPASS, "CCW_StencilPass", D3DSTENCILOP_KEEP},
    {R, D3DRS_CCW_STENCILFUNC, "CCW_StencilFunc", D3DCMP_ALWAYS},
    {R, D3DRS_COLORWRITEENABLE1, "ColorWriteEnable1", 0xF},
    {R, D3DRS_COLORWRITEENABLE2, "ColorWriteEnable2", 0xF},
    {R, D3DRS_COLORWRITEENABLE3, "ColorWriteEnable3", 0xF},
    {R, D3DRS_BLENDFACTOR, "BlendFactor", 0xFFFFFFFF},
    {R, D3DRS_SRGBWRITEENABLE, "SRGBWriteEnable", 0},
    {R, D3DRS_DEPTHBIAS, "DepthBias", 0},
    {R, D3DRS_WRAP8, "Wrap8", 0},
    {R, D3DRS_WRAP9, "Wrap9", 0},
    {R, D3DRS_WRAP10, "Wrap10", 0},
    {R, D3DRS_WRAP11, "Wrap11", 0},
    {R, D3DRS_WRAP12, "Wrap12", 0},
    {R, D3DRS_WRAP13, "Wrap13", 0},
    {R, D3DRS_WRAP14, "Wrap14", 0},
    {R, D3DRS_WRAP15, "Wrap15", 0},
    {R, D3DRS_SEPARATEALPHABLENDENABLE, "SeparateAlphaBlendEnable", 0},
    {R, D3DRS_SRCBLENDALPHA, "SrcBlendAlpha", D3DBLEND_ONE},
    {R, D3DRS_DESTBLENDALPHA, "DestBlendAlpha", D3DBLEND_ZERO},
    {R, D3DRS_BLENDOPALPHA, "BlendOpAlpha", D3DBLENDOP_ADD},

    {T, D3DTSS_COLOROP, "ColorOp", D3DTOP_MODULATE},
    {T, D3DTSS_COLORARG1, "ColorArg1", D3DTA_TEXTURE},
    {T, D3DTSS_COLORARG2, "ColorArg2", D3DTA_CURRENT},
    {T, D3DTSS_ALPHAOP, "AlphaOp", D3DTOP_SELECTARG1},
    {T, D3DTSS_ALPHAARG1, "AlphaArg1", D3DTA_TEXTURE},
    {T, D3DTSS_ALPHAARG2, "AlphaArg2", D3DTA_CURRENT},
    {T, D3DTSS_BUMPENVMAT00, "BumpEnvMat00", F(0.0f)},
    {T, D3DTSS_BUMPENVMAT01, "BumpEnvMat01", F(0.0f)},
    {T, D3DTSS_BUMPENVMAT10, "BumpEnvMat10", F(0.0f)},
    {T, D3DTSS_BUMPENVMAT11, "BumpEnvMat11", F(0.0f)},
    {T, D3DTSS_TEXCOORDINDEX, "TexCoordIndex", 0},
    {T, D3DTSS_BUMPENVLSCALE, "BumpEnvLScale", F(0.0f)},
    {T, D3DTSS_BUMPENVLOFFSET, "BumpEnvLOffset", F(0.0f)},
    {T, D3DTSS_TEXTURETRANSFORMFLAGS, "TextureTransformFlags", 0},
    {T, D3DTSS_COLORARG0, "ColorArg0", D3DTA_CURRENT},
    {T, D3DTSS_ALPHAARG0, "AlphaArg0", D3DTA_CURRENT},
    {T, D3DTSS_RESULTARG, "ResultArg", D3DTA_CURRENT},
    {T, D3DTSS_CONSTANT, "Constant", 0},

    {S, D3DSAMP_ADDRESSU, "AddressU", D3DTADDRESS_WRAP},
    {S, D3DSAMP_ADDRESSV, "AddressV", D3DTADDRESS_WRAP},
    {S, D3DSAMP_ADDRESSW, "AddressW", D3DTADDRESS_WRAP},
    {S, D3DSAMP_BORDERCOLOR, "BorderColor", 0},
    {S, D3DSAMP_MAGFILTER, "MagFilter", D3DTEXF_POINT},
    {S, D3DSAMP_MINFILTER, "MinFilter", D3DTEXF_POINT},
    {S, D3DSAMP_MIPFILTER, "MipFilter", D3DTEXF_NONE},
    {S, D3DSAMP_MIPMAPLODBIAS, "MipMapLodBias", 0},
    {S, D3DSAMP_MAXMIPLEVEL, "MaxMipLevel", 0},
    {S, D3DSAMP_MAXANISOTROPY, "MaxAnisotropy", 1},
    {S, D3DSAMP_SRGBTEXTURE, "SRGBTexture", 0},
    {S, D3DSAMP_ELEMENTINDEX, "ElementIndex", 0},
    {S, D3DSAMP_DMAPOFFSET, "DMapOffset", 0},
};

static_assert(sizeof(kDescriptors) / sizeof(kDescriptors[0]) == DX_STATE_DESCRIPTOR_COUNT);

const TDxStateDescriptor kTextureDescriptor = {DX_STATE_TEXTURE, 0, "Texture", 0};
} // namespace

const TDxStateDescriptor* GetStateDescriptors()
{
    return kDescriptors;
}

const TDxStateDescriptor* FindStateDescriptor(u32 type, u32 state)
{
    for (const TDxStateDescriptor& descriptor : kDescriptors)
        if (descriptor.nType == type && descriptor.nState == state)
            return &descriptor;
    return nullptr;
}

const TDxStateDescriptor& GetTextureDescriptor()
{
    return kTextureDescriptor;
}
