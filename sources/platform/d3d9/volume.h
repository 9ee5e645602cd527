#pragma once
// One level of a volume texture; it shares the texture's reference count.
#include "platform/d3d9/image.h"
#include "platform/d3d9/object.h"

class TD3DVolume : public TD3DUnknown<IDirect3DVolume9>
{
public:
    TD3DVolume(IDirect3DVolumeTexture9* container, TImage* image, D3DPOOL pool, DWORD usage, bool lockable);

    ULONG AddRef() override { return container_->AddRef(); }
    ULONG Release() override { return container_->Release(); }
    HRESULT GetDevice(IDirect3DDevice9** device) override { return container_->GetDevice(device); }
    HRESULT GetContainer(REFIID riid, void** container) override;
    HRESULT GetDesc(D3DVOLUME_DESC* desc) override;
    HRESULT LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
    HRESULT UnlockBox() override;

private:
    bool Answers(REFIID riid) const override { return riid == IID_IUnknown || riid == IID_IDirect3DVolume9; }

    IDirect3DVolumeTexture9* container_;
    TImage* image_;
    D3DPOOL pool_;
    DWORD usage_;
    bool lockable_;
    bool locked_ = false;
    bool readOnlyLock_ = false;
};
