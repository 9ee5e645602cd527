#include "platform/d3dx9/effectpool.h"

#include <new>

std::shared_ptr<TParameterValue> TD3DXEffectPool::Share(const TEffectParameter& declaration)
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::shared_ptr<TParameterValue>& value = values_[declaration.name];
    if (!value)
        value = std::make_shared<TParameterValue>(declaration);
    return value->SameShape(declaration) ? value : nullptr;
}

HRESULT D3DXCreateEffectPool(ID3DXEffectPool** pool)
{
    if (!pool)
        return D3DERR_INVALIDCALL;
    *pool = new (std::nothrow) TD3DXEffectPool();
    return *pool ? D3D_OK : E_OUTOFMEMORY;
}
