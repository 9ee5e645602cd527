#include "platform/d3dx9/statenames.h"

#include "platform/d3d9/d3d9types.h"

#include <cstring>
#include <strings.h>

namespace
{
struct TValueName
{
    const char* name;
    DWORD value;
};

const TStateName kRenderStates[] = {
    {"ZEnable", D3DRS_ZENABLE, EStateValues::ZBuffer},
    {"FillMode", D3DRS_FILLMODE, EStateValues::Fill},
    {"ShadeMode", D3DRS_SHADEMODE, EStateValues::Shade},
    {"ZWriteEnable", D3DRS_ZWRITEENABLE, EStateValues::Bool},
    {"AlphaTestEnable", D3DRS_ALPHATESTENABLE, EStateValues::Bool},
    {"LastPixel", D3DRS_LASTPIXEL, EStateValues::Bool},
    {"SrcBlend", D3DRS_SRCBLEND, EStateValues::Blend},
    {"DestBlend", D3DRS_DESTBLEND, EStateValues::Blend},
    {"CullMode", D3DRS_CULLMODE, EStateValues::Cull},
    {"ZFunc", D3DRS_ZFUNC, EStateValues::Compare},
    {"AlphaRef", D3DRS_ALPHAREF, EStateValues::Number},
    {"AlphaFunc", D3DRS_ALPHAFUNC, EStateValues::Compare},
    {"DitherEnable", D3DRS_DITHERENABLE, EStateValues::Bool},
    {"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE, EStateValues::Bool},
    {"FogEnable", D3DRS_FOGENABLE, EStateValues::Bool},
    {"SpecularEnable", D3DRS_SPECULARENABLE, EStateValues::Bool},
    {"FogColor", D3DRS_FOGCOLOR, EStateValues::Number},
    {"FogTableMode", D3DRS_FOGTABLEMODE, EStateValues::Number},
    {"FogStart", D3DRS_FOGSTART, EStateValues::Float},
    {"FogEnd", D3DRS_FOGEND, EStateValues::Float},
    {"FogDensity", D3DRS_FOGDENSITY, EStateValues::Float},
    {"RangeFogEnable", D3DRS_RANGEFOGENABLE, EStateValues::Bool},
    {"StencilEnable", D3DRS_STENCILENABLE, EStateValues::Bool},
    {"StencilFail", D3DRS_STENCILFAIL, EStateValues::StencilOp},
    {"StencilZFail", D3DRS_STENCILZFAIL, EStateValues::StencilOp},
    {"StencilPass", D3DRS_STENCILPASS, EStateValues::StencilOp},
    {"StencilFunc", D3DRS_STENCILFUNC, EStateValues::Compare},
    {"StencilRef", D3DRS_STENCILREF, EStateValues::Number},
    {"StencilMask", D3DRS_STENCILMASK, EStateValues::Number},
    {"StencilWriteMask", D3DRS_STENCILWRITEMASK, EStateValues::Number},
    {"TextureFactor", D3DRS_TEXTUREFACTOR, EStateValues::Number},
    {"Wrap0", D3DRS_WRAP0, EStateValues::Number},
    {"Wrap1", D3DRS_WRAP1, EStateValues::Number},
    {"Wrap2", D3DRS_WRAP2, EStateValues::Number},
    {"Wrap3", D3DRS_WRAP3, EStateValues::Number},
    {"Wrap4", D3DRS_WRAP4, EStateValues::Number},
    {"Wrap5", D3DRS_WRAP5, EStateValues::Number},
    {"Wrap6", D3DRS_WRAP6, EStateValues::Number},
    {"Wrap7", D3DRS_WRAP7, EStateValues::Number},
    {"Clipping", D3DRS_CLIPPING, EStateValues::Bool},
    {"Lighting", D3DRS_LIGHTING, EStateValues::Bool},
    {"Ambient", D3DRS_AMBIENT, EStateValues::Number},
    {"FogVertexMode", D3DRS_FOGVERTEXMODE, EStateValues::Number},
    {"ColorVertex", D3DRS_COLORVERTEX, EStateValues::Bool},
    {"LocalViewer", D3DRS_LOCALVIEWER, EStateValues::Bool},
    {"NormalizeNormals", D3DRS_NORMALIZENORMALS, EStateValues::Bool},
    {"DiffuseMaterialSource", D3DRS_DIFFUSEMATERIALSOURCE, EStateValues::Number},
    {"SpecularMaterialSource", D3DRS_SPECULARMATERIALSOURCE, EStateValues::Number},
    {"AmbientMaterialSource", D3DRS_AMBIENTMATERIALSOURCE, EStateValues::Number},
    {"EmissiveMaterialSource", D3DRS_EMISSIVEMATERIALSOURCE, EStateValues::Number},
    {"VertexBlend", D3DRS_VERTEXBLEND, EStateValues::Number},
    {"ClipPlaneEnable", D3DRS_CLIPPLANEENABLE, EStateValues::Number},
    {"PointSize", D3DRS_POINTSIZE, EStateValues::Float},
    {"PointSize_Min", D3DRS_POINTSIZE_MIN, EStateValues::Float},
    {"PointSpriteEnable", D3DRS_POINTSPRITEENABLE, EStateValues::Bool},
    {"PointScaleEnable", D3DRS_POINTSCALEENABLE, EStateValues::Bool},
    {"PointScale_A", D3DRS_POINTSCALE_A, EStateValues::Float},
    {"PointScale_B", D3DRS_POINTSCALE_B, EStateValues::Float},
    {"PointScale_C", D3DRS_POINTSCALE_C, EStateValues::Float},
    {"MultiSampleAntiAlias", D3DRS_MULTISAMPLEANTIALIAS, EStateValues::Bool},
    {"MultiSampleMask", D3DRS_MULTISAMPLEMASK, EStateValues::Number},
    {"PatchEdgeStyle", D3DRS_PATCHEDGESTYLE, EStateValues::Number},
    {"DebugMonitorToken", D3DRS_DEBUGMONITORTOKEN, EStateValues::Number},
    {"PointSize_Max", D3DRS_POINTSIZE_MAX, EStateValues::Float},
    {"IndexedVertexBlendEnable", D3DRS_INDEXEDVERTEXBLENDENABLE, EStateValues::Bool},
    {"ColorWriteEnable", D3DRS_COLORWRITEENABLE, EStateValues::Number},
    {"TweenFactor", D3DRS_TWEENFACTOR, EStateValues::Float},
    {"BlendOp", D3DRS_BLENDOP, EStateValues::BlendOp},
    {"PositionDegree", D3DRS_POSITIONDEGREE, EStateValues::Number},
    {"NormalDegree", D3DRS_NORMALDEGREE, EStateValues::Number},
    {"ScissorTestEnable", D3DRS_SCISSORTESTENABLE, EStateValues::Bool},
    {"SlopeScaleDepthBias", D3DRS_SLOPESCALEDEPTHBIAS, EStateValues::Float},
    {"AntiAliasedLineEnable", D3DRS_ANTIALIASEDLINEENABLE, EStateValues::Bool},
    {"MinTessellationLevel", D3DRS_MINTESSELLATIONLEVEL, EStateValues::Float},
    {"MaxTessellationLevel", D3DRS_MAXTESSELLATIONLEVEL, EStateValues::Float},
    {"TwoSidedStencilMode", D3DRS_TWOSIDEDSTENCILMODE, EStateValues::Bool},
    {"CCW_StencilFail", D3DRS_CCW_STENCILFAIL, EStateValues::StencilOp},
    {"CCW_StencilZFail", D3DRS_CCW_STENCILZFAIL, EStateValues::StencilOp},
    {"CCW_StencilPass", D3DRS_CCW_STENCILPASS, EStateValues::StencilOp},
    {"CCW_StencilFunc", D3DRS_CCW_STENCILFUNC, EStateValues::Compare},
    {"ColorWriteEnable1", D3DRS_COLORWRITEENABLE1, EStateValues::Number},
    {"ColorWriteEnable2", D3DRS_COLORWRITEENABLE2, EStateValues::Number},
    {"ColorWriteEnable3", D3DRS_COLORWRITEENABLE3, EStateValues::Number},
    {"BlendFactor", D3DRS_BLENDFACTOR, EStateValues::Number},
    {"SRGBWriteEnable", D3DRS_SRGBWRITEENABLE, EStateValues::Bool},
    {"DepthBias", D3DRS_DEPTHBIAS, EStateValues::Float},
    {"Wrap8", D3DRS_WRAP8, EStateValues::Number},
    {"Wrap9", D3DRS_WRAP9, EStateValues::Number},
    {"Wrap10", D3DRS_WRAP10, EStateValues::Number},
    {"Wrap11", D3DRS_WRAP11, EStateValues::Number},
    {"Wrap12", D3DRS_WRAP12, EStateValues::Number},
    {"Wrap13", D3DRS_WRAP13, EStateValues::Number},
    {"Wrap14", D3DRS_WRAP14, EStateValues::Number},
    {"Wrap15", D3DRS_WRAP15, EStateValues::Number},
    {"SeparateAlphaBlendEnable", D3DRS_SEPARATEALPHABLENDENABLE, EStateValues::Bool},
    {"SrcBlendAlpha", D3DRS_SRCBLENDALPHA, EStateValues::Blend},
    {"DestBlendAlpha", D3DRS_DESTBLENDALPHA, EStateValues::Blend},
    {"BlendOpAlpha", D3DRS_BLENDOPALPHA, EStateValues::BlendOp},
};

const TStateName kSamplerStates[] = {
    {"AddressU", D3DSAMP_ADDRESSU, EStateValues::Address},
    {"AddressV", D3DSAMP_ADDRESSV, EStateValues::Address},
    {"AddressW", D3DSAMP_ADDRESSW, EStateValues::Address},
    {"BorderColor", D3DSAMP_BORDERCOLOR, EStateValues::Number},
    {"MagFilter", D3DSAMP_MAGFILTER, EStateValues::Filter},
    {"MinFilter", D3DSAMP_MINFILTER, EStateValues::Filter},
    {"MipFilter", D3DSAMP_MIPFILTER, EStateValues::Filter},
    {"MipMapLodBias", D3DSAMP_MIPMAPLODBIAS, EStateValues::Float},
    {"MaxMipLevel", D3DSAMP_MAXMIPLEVEL, EStateValues::Number},
    {"MaxAnisotropy", D3DSAMP_MAXANISOTROPY, EStateValues::Number},
    {"SRGBTexture", D3DSAMP_SRGBTEXTURE, EStateValues::Bool},
    {"ElementIndex", D3DSAMP_ELEMENTINDEX, EStateValues::Number},
    {"DMapOffset", D3DSAMP_DMAPOFFSET, EStateValues::Number},
};

const TStateName kStageStates[] = {
    {"ColorOp", D3DTSS_COLOROP, EStateValues::TextureOp},
    {"ColorArg1", D3DTSS_COLORARG1, EStateValues::TextureArg},
    {"ColorArg2", D3DTSS_COLORARG2, EStateValues::TextureArg},
    {"AlphaOp", D3DTSS_ALPHAOP, EStateValues::TextureOp},
    {"AlphaArg1", D3DTSS_ALPHAARG1, EStateValues::TextureArg},
    {"AlphaArg2", D3DTSS_ALPHAARG2, EStateValues::TextureArg},
    {"BumpEnvMat00", D3DTSS_BUMPENVMAT00, EStateValues::Float},
    {"BumpEnvMat01", D3DTSS_BUMPENVMAT01, EStateValues::Float},
    {"BumpEnvMat10", D3DTSS_BUMPENVMAT10, EStateValues::Float},
    {"BumpEnvMat11", D3DTSS_BUMPENVMAT11, EStateValues::Float},
    {"TexCoordIndex", D3DTSS_TEXCOORDINDEX, EStateValues::Number},
    {"BumpEnvLScale", D3DTSS_BUMPENVLSCALE, EStateValues::Float},
    {"BumpEnvLOffset", D3DTSS_BUMPENVLOFFSET, EStateValues::Float},
    {"TextureTransformFlags", D3DTSS_TEXTURETRANSFORMFLAGS, EStateValues::Number},
    {"ColorArg0", D3DTSS_COLORARG0, EStateValues::TextureArg},
    {"AlphaArg0", D3DTSS_ALPHAARG0, EStateValues::TextureArg},
    {"ResultArg", D3DTSS_RESULTARG, EStateValues::TextureArg},
    {"Constant", D3DTSS_CONSTANT, EStateValues::Number},
};

const TValueName kBoolValues[] = {
    {"False", FALSE},
    {"True", TRUE},
};

const TValueName kZBufferValues[] = {
    {"False", D3DZB_FALSE},
    {"True", D3DZB_TRUE},
    {"UseW", D3DZB_USEW},
};

const TValueName kFillValues[] = {
    {"Point", D3DFILL_POINT},
    {"Wireframe", D3DFILL_WIREFRAME},
    {"Solid", D3DFILL_SOLID},
};

const TValueName kShadeValues[] = {
    {"Flat", D3DSHADE_FLAT},
    {"Gouraud", D3DSHADE_GOURAUD},
    {"Phong", D3DSHADE_PHONG},
};

const TValueName kBlendValues[] = {
    {"Zero", D3DBLEND_ZERO},
    {"One", D3DBLEND_ONE},
    {"SrcColor", D3DBLEND_SRCCOLOR},
    {"InvSrcColor", D3DBLEND_INVSRCCOLOR},
    {"SrcAlpha", D3DBLEND_SRCALPHA},
    {"InvSrcAlpha", D3DBLEND_INVSRCALPHA},
    {"DestAlpha", D3DBLEND_DESTALPHA},
    {"InvDestAlpha", D3DBLEND_INVDESTALPHA},
    {"DestColor", D3DBLEND_DESTCOLOR},
    {"InvDestColor", D3DBLEND_INVDESTCOLOR},
    {"SrcAlphaSat", D3DBLEND_SRCALPHASAT},
    {"BothSrcAlpha", D3DBLEND_BOTHSRCALPHA},
    {"BothInvSrcAlpha", D3DBLEND_BOTHINVSRCALPHA},
    {"BlendFactor", D3DBLEND_BLENDFACTOR},
    {"InvBlendFactor", D3DBLEND_INVBLENDFACTOR},
};

const TValueName kBlendOpValues[] = {
    {"Add", D3DBLENDOP_ADD}, {"Subtract", D3DBLENDOP_SUBTRACT}, {"RevSubtract", D3DBLENDOP_REVSUBTRACT},
    {"Min", D3DBLENDOP_MIN}, {"Max", D3DBLENDOP_MAX},
};

const TValueName kCompareValues[] = {
    {"Never", D3DCMP_NEVER},
    {"Less", D3DCMP_LESS},
    {"Equal", D3DCMP_EQUAL},
    {"LessEqual", D3DCMP_LESSEQUAL},
    {"Greater", D3DCMP_GREATER},
    {"NotEqual", D3DCMP_NOTEQUAL},
    {"GreaterEqual", D3DCMP_GREATEREQUAL},
    {"Always", D3DCMP_ALWAYS},
};

const TValueName kCullValues[] = {
    {"None", D3DCULL_NONE},
    {"CW", D3DCULL_CW},
    {"CCW", D3DCULL_CCW},
};

const TValueName kStencilOpValues[] = {
    {"Keep", D3DSTENCILOP_KEEP},       {"Zero", D3DSTENCILOP_ZERO},       {"Replace", D3DSTENCILOP_REPLACE},
    {"IncrSat", D3DSTENCILOP_INCRSAT}, {"DecrSat", D3DSTENCILOP_DECRSAT}, {"Invert", D3DSTENCILOP_INVERT},
    {"Incr", D3DSTENCILOP_INCR},       {"Decr", D3DSTENCILOP_DECR},
};

const TValueName kAddressValues[] = {
    {"Wrap", D3DTADDRESS_WRAP},     {"Mirror", D3DTADDRESS_MIRROR},         {"Clamp", D3DTADDRESS_CLAMP},
    {"Border", D3DTADDRESS_BORDER}, {"MirrorOnce", D3DTADDRESS_MIRRORONCE},
};

const TValueName kFilterValues[] = {
    {"None", D3DTEXF_NONE},
    {"Point", D3DTEXF_POINT},
    {"Linear", D3DTEXF_LINEAR},
    {"Anisotropic", D3DTEXF_ANISOTROPIC},
    {"PyramidalQuad", D3DTEXF_PYRAMIDALQUAD},
    {"GaussianQuad", D3DTEXF_GAUSSIANQUAD},
};

const TValueName kTextureOpValues[] = {
    {"Disable", D3DTOP_DISABLE},
    {"SelectArg1", D3DTOP_SELECTARG1},
    {"SelectArg2", D3DTOP_SELECTARG2},
    {"Modulate", D3DTOP_MODULATE},
    {"Modulate2x", D3DTOP_MODULATE2X},
    {"Modulate4x", D3DTOP_MODULATE4X},
    {"Add", D3DTOP_ADD},
    {"AddSigned", D3DTOP_ADDSIGNED},
    {"AddSigned2x", D3DTOP_ADDSIGNED2X},
    {"Subtract", D3DTOP_SUBTRACT},
    {"AddSmooth", D3DTOP_ADDSMOOTH},
    {"BlendDiffuseAlpha", D3DTOP_BLENDDIFFUSEALPHA},
    {"BlendTextureAlpha", D3DTOP_BLENDTEXTUREALPHA},
    {"BlendFactorAlpha", D3DTOP_BLENDFACTORALPHA},
    {"BlendTextureAlphaPM", D3DTOP_BLENDTEXTUREALPHAPM},
    {"BlendCurrentAlpha", D3DTOP_BLENDCURRENTALPHA},
    {"PreModulate", D3DTOP_PREMODULATE},
    {"ModulateAlpha_AddColor", D3DTOP_MODULATEALPHA_ADDCOLOR},
    {"ModulateColor_AddAlpha", D3DTOP_MODULATECOLOR_ADDALPHA},
    {"ModulateInvAlpha_AddColor", D3DTOP_MODULATEINVALPHA_ADDCOLOR},
    {"ModulateInvColor_AddAlpha", D3DTOP_MODULATEINVCOLOR_ADDALPHA},
    {"BumpEnvMap", D3DTOP_BUMPENVMAP},
    {"BumpEnvMapLuminance", D3DTOP_BUMPENVMAPLUMINANCE},
    {"DotProduct3", D3DTOP_DOTPRODUCT3},
    {"MultiplyAdd", D3DTOP_MULTIPLYADD},
    {"Lerp", D3DTOP_LERP},
};

const TValueName kTextureArgValues[] = {
    {"Diffuse", D3DTA_DIFFUSE},   {"Current", D3DTA_CURRENT},   {"Texture", D3DTA_TEXTURE},
    {"TFactor", D3DTA_TFACTOR},   {"Specular", D3DTA_SPECULAR}, {"Temp", D3DTA_TEMP},
    {"Constant", D3DTA_CONSTANT},
};

const TValueName kTransforms[] = {
    {"World", D3DTS_WORLD},       {"View", D3DTS_VIEW},         {"Projection", D3DTS_PROJECTION},
    {"Texture0", D3DTS_TEXTURE0}, {"Texture1", D3DTS_TEXTURE1}, {"Texture2", D3DTS_TEXTURE2},
    {"Texture3", D3DTS_TEXTURE3}, {"Texture4", D3DTS_TEXTURE4}, {"Texture5", D3DTS_TEXTURE5},
    {"Texture6", D3DTS_TEXTURE6}, {"Texture7", D3DTS_TEXTURE7},
};

bool SameName(const char* name, std::string_view text)
{
    return std::strlen(name) == text.size() && strncasecmp(name, text.data(), text.size()) == 0;
}

template <class Entry, std::size_t Count>
const Entry* Find(const Entry (&table)[Count], std::string_view name)
{
    for (const Entry& entry : table)
        if (SameName(entry.name, name))
            return &entry;
    return nullptr;
}

template <std::size_t Count>
bool FindValue(const TValueName (&table)[Count], std::string_view name, DWORD& value)
{
    const TValueName* entry = Find(table, name);
    if (entry)
        value = entry->value;
    return entry != nullptr;
}
} // namespace

const TStateName* FindStateName(EStateKind kind, std::string_view name)
{
    switch (kind)
    {
    case EStateKind::Render:
        return Find(kRenderStates, name);
    case EStateKind::Sampler:
        return Find(kSamplerStates, name);
    case EStateKind::TextureStage:
        return Find(kStageStates, name);
    }
    return nullptr;
}

bool FindStateValue(EStateValues values, std::string_view name, DWORD& value)
{
    switch (values)
    {
    case EStateValues::Bool:
        return FindValue(kBoolValues, name, value);
    case EStateValues::ZBuffer:
        return FindValue(kZBufferValues, name, value);
    case EStateValues::Fill:
        return FindValue(kFillValues, name, value);
    case EStateValues::Shade:
        return FindValue(kShadeValues, name, value);
    case EStateValues::Blend:
        return FindValue(kBlendValues, name, value);
    case EStateValues::BlendOp:
        return FindValue(kBlendOpValues, name, value);
    case EStateValues::Compare:
        return FindValue(kCompareValues, name, value);
    case EStateValues::Cull:
        return FindValue(kCullValues, name, value);
    case EStateValues::StencilOp:
        return FindValue(kStencilOpValues, name, value);
    case EStateValues::Address:
        return FindValue(kAddressValues, name, value);
    case EStateValues::Filter:
        return FindValue(kFilterValues, name, value);
    case EStateValues::TextureOp:
        return FindValue(kTextureOpValues, name, value);
    case EStateValues::TextureArg:
        return FindValue(kTextureArgValues, name, value);
    case EStateValues::Number:
    case EStateValues::Float:
        break;
    }
    return false;
}

bool FindTransformName(std::string_view name, DWORD& transform)
{
    return FindValue(kTransforms, name, transform);
}
