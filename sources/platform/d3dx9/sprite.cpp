#include "platform/d3dx9/sprite.h"

#include "platform/d3d9/shadingmodel.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <type_traits>

namespace
{
constexpr UINT kMaxShaderTokens = 80;
constexpr float kHalfPixel = 0.5f;

const D3DRENDERSTATETYPE kRenderStates[] = {
    D3DRS_ALPHABLENDENABLE,
    D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,
    D3DRS_BLENDOP,
    D3DRS_ALPHATESTENABLE,
    D3DRS_CULLMODE,
    D3DRS_ZENABLE,
    D3DRS_ZWRITEENABLE,
    D3DRS_FILLMODE,
    D3DRS_STENCILENABLE,
    D3DRS_SEPARATEALPHABLENDENABLE,
};
const D3DSAMPLERSTATETYPE kSamplerStates[] = {
    D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER,
};
constexpr std::size_t kRenderStateCount = sizeof kRenderStates / sizeof kRenderStates[0];
constexpr std::size_t kSamplerStateCount = sizeof kSamplerStates / sizeof kSamplerStates[0];

const D3DVERTEXELEMENT9 kElements[] = {
    {0, offsetof(TD3DXSprite::TVertex, x), D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION,
     0},
    {0, offsetof(TD3DXSprite::TVertex, colour), D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT,
     D3DDECLUSAGE_COLOR, 0},
    {0, offsetof(TD3DXSprite::TVertex, u), D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD,
     0},
    D3DDECL_END(),
};

D3DXMATRIX Identity()
{
    D3DXMATRIX identity = {};
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1.0f;
    return identity;
}

// Whether the transform keeps sizes and axes: a translation at most.
bool Unscaled(const D3DXMATRIX& m)
{
    return m.m[0][0] == 1.0f && m.m[0][1] == 0.0f && m.m[1][0] == 0.0f && m.m[1][1] == 1.0f;
}

template <class Shader> Shader* ModelShader(IDirect3DDevice9* device, bool pixel, const char* model)
{
    DWORD tokens[kMaxShaderTokens];
    const UINT count = ShadingModelTokens(pixel, model, tokens, kMaxShaderTokens);
    if (count == 0 || count > kMaxShaderTokens)
        return nullptr;
    Shader* shader = nullptr;
    HRESULT result;
    if constexpr (std::is_same_v<Shader, IDirect3DPixelShader9>)
        result = device->CreatePixelShader(tokens, &shader);
    else
        result = device->CreateVertexShader(tokens, &shader);
    return SUCCEEDED(result) ? shader : nullptr;
}
} // namespace

// Everything Flush changes on the device, read before and put back after.
class TD3DXSprite::TSavedDeviceState
{
public:
    explicit TSavedDeviceState(IDirect3DDevice9* device) : device_(device)
    {
        for (std::size_t i = 0; i < kRenderStateCount; ++i)
            device->GetRenderState(kRenderStates[i], &render_[i]);
        for (std::size_t i = 0; i < kSamplerStateCount; ++i)
            device->GetSamplerState(0, kSamplerStates[i], &sampler_[i]);
        device->GetTexture(0, &texture_);
        device->GetVertexDeclaration(&declaration_);
        device->GetVertexShader(&vertexShader_);
        device->GetPixelShader(&pixelShader_);
        device->GetVertexShaderConstantF(0, vertexConstants_[0], 2);
        device->GetPixelShaderConstantF(0, pixelConstant_, 1);
        device->GetStreamSource(0, &stream_, &streamOffset_, &streamStride_);
    }

    ~TSavedDeviceState()
    {
        for (std::size_t i = 0; i < kRenderStateCount; ++i)
            device_->SetRenderState(kRenderStates[i], render_[i]);
        for (std::size_t i = 0; i < kSamplerStateCount; ++i)
            device_->SetSamplerState(0, kSamplerStates[i], sampler_[i]);
        device_->SetTexture(0, texture_);
        device_->SetVertexDeclaration(declaration_);
        device_->SetVertexShader(vertexShader_);
        device_->SetPixelShader(pixelShader_);
        device_->SetVertexShaderConstantF(0, vertexConstants_[0], 2);
        device_->SetPixelShaderConstantF(0, pixelConstant_, 1);
        device_->SetStreamSource(0, stream_, streamOffset_, streamStride_);
        for (IUnknown* held : {static_cast<IUnknown*>(texture_), static_cast<IUnknown*>(declaration_),
                               static_cast<IUnknown*>(vertexShader_), static_cast<IUnknown*>(pixelShader_),
                               static_cast<IUnknown*>(stream_)})
            if (held)
                held->Release();
    }

private:
    IDirect3DDevice9* device_;
    DWORD render_[kRenderStateCount] = {};
    DWORD sampler_[kSamplerStateCount] = {};
    IDirect3DBaseTexture9* texture_ = nullptr;
    IDirect3DVertexDeclaration9* declaration_ = nullptr;
    IDirect3DVertexShader9* vertexShader_ = nullptr;
    IDirect3DPixelShader9* pixelShader_ = nullptr;
    float vertexConstants_[2][4] = {};
    float pixelConstant_[4] = {};
    IDirect3DVertexBuffer9* stream_ = nullptr;
    UINT streamOffset_ = 0, streamStride_ = 0;
};

TD3DXSprite::TD3DXSprite(IDirect3DDevice9* device)
    : TD3DXUnknown(IID_ID3DXSprite), device_(device), transform_(Identity())
{
    device_->AddRef();
}

TD3DXSprite::~TD3DXSprite()
{
    ReleaseQuads();
    for (IUnknown* held : {static_cast<IUnknown*>(declaration_), static_cast<IUnknown*>(vertexShader_),
                           static_cast<IUnknown*>(pixelShader_)})
        if (held)
            held->Release();
    device_->Release();
}

HRESULT TD3DXSprite::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = device_;
    device_->AddRef();
    return D3D_OK;
}

HRESULT TD3DXSprite::GetTransform(D3DXMATRIX* transform)
{
    if (!transform)
        return D3DERR_INVALIDCALL;
    *transform = transform_;
    return D3D_OK;
}

HRESULT TD3DXSprite::SetTransform(const D3DXMATRIX* transform)
{
    if (!transform)
        return D3DERR_INVALIDCALL;
    transform_ = *transform;
    return D3D_OK;
}

HRESULT TD3DXSprite::Begin(DWORD flags)
{
    if (begun_)
        return D3DERR_INVALIDCALL;
    begun_ = true;
    flags_ = flags;
    return D3D_OK;
}

HRESULT TD3DXSprite::Draw(IDirect3DTexture9* texture, const RECT* sourceRect, const D3DXVECTOR3* center,
                          const D3DXVECTOR3* position, D3DCOLOR color)
{
    if (!begun_ || !texture)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0)
        return D3DERR_INVALIDCALL;
    const RECT source = sourceRect ? *sourceRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    const float width = float(source.right - source.left);
    const float height = float(source.bottom - source.top);
    const float left = (position ? position->x : 0.0f) - (center ? center->x : 0.0f);
    const float top = (position ? position->y : 0.0f) - (center ? center->y : 0.0f);
    const float z = (position ? position->z : 0.0f) - (center ? center->z : 0.0f);

    TQuad quad{texture, {}};
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
    {
        const float x = left + corners[i][0] * width;
        const float y = top + corners[i][1] * height;
        const D3DMATRIX& m = transform_;
        TVertex& vertex = quad.corners[i];
        vertex.x = x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0];
        vertex.y = x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1];
        vertex.z = x * m.m[0][2] + y * m.m[1][2] + z * m.m[2][2] + m.m[3][2];
        vertex.colour = color;
        vertex.u = (float(source.left) + corners[i][0] * width) / float(desc.Width);
        vertex.v = (float(source.top) + corners[i][1] * height) / float(desc.Height);
    }
    if (!(flags_ & D3DXSPRITE_DO_NOT_ADDREF_TEXTURE))
        texture->AddRef();
    quads_.push_back(quad);
    return D3D_OK;
}

bool TD3DXSprite::Prepare()
{
    if (!declaration_ && FAILED(device_->CreateVertexDeclaration(kElements, &declaration_)))
        return false;
    if (!vertexShader_)
        vertexShader_ = ModelShader<IDirect3DVertexShader9>(device_, false, "canvas2d");
    if (!pixelShader_)
        pixelShader_ = ModelShader<IDirect3DPixelShader9>(device_, true, "textured");
    return vertexShader_ && pixelShader_;
}

HRESULT TD3DXSprite::Flush()
{
    if (!begun_)
        return D3DERR_INVALIDCALL;
    if (quads_.empty())
        return D3D_OK;
    if (!Prepare())
    {
        ReleaseQuads();
        return D3DERR_INVALIDCALL;
    }
    if (flags_ & D3DXSPRITE_SORT_TEXTURE)
        std::stable_sort(quads_.begin(), quads_.end(),
                         [](const TQuad& a, const TQuad& b) { return a.texture < b.texture; });
    if (flags_ & D3DXSPRITE_SORT_DEPTH_BACKTOFRONT)
        std::stable_sort(quads_.begin(), quads_.end(),
                         [](const TQuad& a, const TQuad& b) { return a.corners[0].z > b.corners[0].z; });
    else if (flags_ & D3DXSPRITE_SORT_DEPTH_FRONTTOBACK)
        std::stable_sort(quads_.begin(), quads_.end(),
                         [](const TQuad& a, const TQuad& b) { return a.corners[0].z < b.corners[0].z; });

    if (flags_ & D3DXSPRITE_DONOTSAVESTATE)
    {
        DrawQuads();
    }
    else
    {
        TSavedDeviceState saved(device_);
        DrawQuads();
    }
    ReleaseQuads();
    return D3D_OK;
}

void TD3DXSprite::DrawQuads()
{
    if (!(flags_ & D3DXSPRITE_DONOTMODIFY_RENDERSTATE))
    {
        const bool blend = (flags_ & D3DXSPRITE_ALPHABLEND) != 0;
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
        device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
        device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
        device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
        device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
        device_->SetRenderState(D3DRS_STENCILENABLE, FALSE);
        device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        // Unscaled rectangles map texel for pixel and never minify: one filter then spares the
        // rasteriser the level-of-detail test per pixel quad, for the same pixels.
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, Unscaled(transform_) ? D3DTEXF_POINT : D3DTEXF_LINEAR);
        device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    }
    // Pixel positions into clip space as the canvas maps its aperture, clip = 2 (p / size - 0.5),
    // moved up and left by half a pixel: pixel centres lie on whole coordinates, so a rectangle
    // on whole coordinates then covers its pixels texel for pixel.
    D3DVIEWPORT9 viewport = {};
    device_->GetViewport(&viewport);
    const float width = viewport.Width ? float(viewport.Width) : 1.0f;
    const float height = viewport.Height ? float(viewport.Height) : 1.0f;
    const float position[2][4] = {{1.0f / width, -0.5f - (float(viewport.X) + kHalfPixel) / width,
                                   -1.0f / height, 0.5f + (float(viewport.Y) + kHalfPixel) / height},
                                  {1.0f, 0.0f, 1.0f, 0.0f}};
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    device_->SetVertexDeclaration(declaration_);
    device_->SetVertexShader(vertexShader_);
    device_->SetPixelShader(pixelShader_);
    device_->SetVertexShaderConstantF(0, position[0], 2);
    device_->SetPixelShaderConstantF(0, white, 1);

    std::vector<TVertex> vertices;
    for (std::size_t first = 0; first < quads_.size();)
    {
        std::size_t end = first;
        vertices.clear();
        while (end < quads_.size() && quads_[end].texture == quads_[first].texture)
        {
            const TVertex* c = quads_[end].corners;
            for (const int corner : {0, 1, 2, 0, 2, 3})
                vertices.push_back(c[corner]);
            ++end;
        }
        device_->SetTexture(0, quads_[first].texture);
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(vertices.size() / 3), vertices.data(),
                                 sizeof(TVertex));
        first = end;
    }
}

void TD3DXSprite::ReleaseQuads()
{
    if (!(flags_ & D3DXSPRITE_DO_NOT_ADDREF_TEXTURE))
        for (TQuad& quad : quads_)
            quad.texture->Release();
    quads_.clear();
}

HRESULT TD3DXSprite::End()
{
    if (!begun_)
        return D3DERR_INVALIDCALL;
    const HRESULT result = Flush();
    begun_ = false;
    return result;
}

HRESULT TD3DXSprite::OnLostDevice()
{
    if (begun_)
        End();
    return D3D_OK;
}

HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ID3DXSprite** sprite)
{
    if (!device || !sprite)
        return D3DERR_INVALIDCALL;
    *sprite = new (std::nothrow) TD3DXSprite(device);
    return *sprite ? D3D_OK : E_OUTOFMEMORY;
}
