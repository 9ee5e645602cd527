#include "platform/d3d9/object.h"

namespace
{
constexpr std::uint64_t kInternal = std::uint64_t(1) << 32;

constexpr GUID MakeIid(DWORD index)
{
    return {0x7E5A0D00u + index, 0xD3D9, 0x5F7A, {0x80, 0x6D, 0x65, 0x76, 0x69, 0x63, 0x65, 0x39}};
}
} // namespace

const IID IID_IDirect3D9 = MakeIid(1);
const IID IID_IDirect3D9Ex = MakeIid(2);
const IID IID_IDirect3DDevice9 = MakeIid(3);
const IID IID_IDirect3DDevice9Ex = MakeIid(4);
const IID IID_IDirect3DResource9 = MakeIid(5);
const IID IID_IDirect3DBaseTexture9 = MakeIid(6);
const IID IID_IDirect3DTexture9 = MakeIid(7);
const IID IID_IDirect3DCubeTexture9 = MakeIid(8);
const IID IID_IDirect3DVolumeTexture9 = MakeIid(9);
const IID IID_IDirect3DSurface9 = MakeIid(10);
const IID IID_IDirect3DVolume9 = MakeIid(11);
const IID IID_IDirect3DVertexBuffer9 = MakeIid(12);
const IID IID_IDirect3DIndexBuffer9 = MakeIid(13);
const IID IID_IDirect3DVertexDeclaration9 = MakeIid(14);
const IID IID_IDirect3DVertexShader9 = MakeIid(15);
const IID IID_IDirect3DPixelShader9 = MakeIid(16);
const IID IID_IDirect3DQuery9 = MakeIid(17);

TD3DObject::TD3DObject(IUnknown* owner, ULONG publicReferences) : counts_(publicReferences), owner_(owner)
{
    if (owner_ && publicReferences > 0)
        owner_->AddRef();
}

ULONG TD3DObject::AddRefPublic()
{
    const std::uint64_t before = counts_.fetch_add(1);
    if ((before & 0xFFFFFFFFu) == 0)
    {
        PublicReferencesChanged(true);
        if (owner_)
            owner_->AddRef();
    }
    return ULONG((before + 1) & 0xFFFFFFFFu);
}

ULONG TD3DObject::ReleasePublic()
{
    const std::uint64_t before = counts_.load();
    if ((before & 0xFFFFFFFFu) == 0)
        return 0; // a release too many: ignored rather than corrupting the internal count
    const std::uint64_t after = counts_.fetch_sub(1) - 1;
    if ((after & 0xFFFFFFFFu) != 0)
        return ULONG(after & 0xFFFFFFFFu);
    IUnknown* owner = owner_;
    PublicReferencesChanged(false);
    if (after == 0)
        delete this;
    if (owner)
        owner->Release();
    return 0;
}

void TD3DObject::Bind()
{
    counts_.fetch_add(kInternal);
}

void TD3DObject::Unbind()
{
    if (counts_.fetch_sub(kInternal) - kInternal == 0)
        delete this;
}
