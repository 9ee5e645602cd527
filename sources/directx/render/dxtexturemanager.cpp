#include "directx/render/dxtexturemanager.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "directx/render/dxloadedarray.h"
#include "directx/render/dxrendertypes.h"
#include "engine/system/managermanager.h"

TDxTextureManager* g_pDxTextureManager = nullptr;

namespace
{
TDxTextureManager s_TextureManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Texture", "Dx", &g_pDxTextureManager, &s_TextureManager);

void CheckUnlocked(const char* function)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, "dxtexture.cpp", __LINE__, "manager system 'initialize' is locked");
}
} // namespace

TDxTextureManager::TDxTextureManager()
{
    g_pTextureManager = this;
    if (g_pCluster)
    {
        RegisterArray(&TextureDecl(), &m_aLoaded);
        RegisterArray(&TextureAnimationDecl(), &m_aLoadedAnimation);
    }
}

i32 TDxTextureManager::GetArray(u32 typeId, void*& data, i32& count)
{
    if (typeId == TEXTURE_TYPE_ID)
        ShowArray(m_aTexture, data, count);
    else if (typeId == TEXTURE_ANIMATION_TYPE_ID)
        ShowArray(m_aAnimation, data, count);
    return 0;
}

i32 TDxTextureManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId == TEXTURE_TYPE_ID)
    {
        UnloadOwned(m_aTexture);
        TakeLoadedArray(m_aTexture, m_aForeign, m_aLoaded, count);
        return 0;
    }
    if (typeId != TEXTURE_ANIMATION_TYPE_ID)
        return 1;
    UnloadOwned(m_aAnimation);
    TakeLoadedArray(m_aAnimation, m_aForeignAnimation, m_aLoadedAnimation, count);
    return 0;
}

i32 TDxTextureManager::InitializeManager()
{
    g_pCluster->AddListener(this);
    return 0;
}

void TDxTextureManager::OnClusterLoad()
{
    // A loaded texture's device objects, their size, its pending reads and its animation were the
    // writing run's: its first load makes its own (a texture without an object keeps none).
    for (i32 i = 0; i < m_aTexture.GetForeignCount(); ++i)
    {
        TDxTexture* texture = m_aTexture[i];
        texture->m_pTexture = texture->m_pStaging = nullptr;
        texture->m_nByteSize = 0;
        texture->m_nPending = 0;
        texture->m_nAnimation = -1;
    }
    const i32 loaded = m_aAnimation.GetForeignCount();
    for (i32 i = 0; i < loaded; ++i)
        AdoptAnimation(i);
}

void TDxTextureManager::AdoptAnimation(i32 index)
{
    TDxTextureAnimation* animation = m_aAnimation[index];
    animation->AdoptLoaded([this](const TResource* used) {
        for (i32 i = 0; i < m_aTexture.GetCount(); ++i)
            if (m_aTexture[i] == used)
                return true;
        return false;
    });
    if (TTexture* target = animation->GetTargetTexture())
    {
        target->m_nFlags |= TEXTURE_NO_OBJECT | TEXTURE_ANIMATION_TARGET;
        target->m_nAnimation = index;
    }
}

void TDxTextureManager::UpdateManager(f32 step)
{
    for (i32 i = 0; i < m_aAnimation.GetCount(); ++i)
        m_aAnimation[i]->Update(step);
}

TTexture* TDxTextureManager::FindTexture(const TName& name)
{
    CheckUnlocked("TDxTextureManager::FindTexture");
    for (i32 i = 0; i < m_aTexture.GetCount(); ++i)
        if (m_aTexture[i]->m_Name == name)
            return m_aTexture[i];
    if (TTextureAnimation* animation = FindTextureAnimation(name))
        return animation->GetTargetTexture();
    return nullptr;
}

TTexture* TDxTextureManager::CreateTextureEntry(const TName& name)
{
    CheckUnlocked("TDxTextureManager::CreateTextureEntry");
    TDxTexture* texture = m_aTexture.Add();
    texture->m_Name = name;
    return texture;
}

TTexture* TDxTextureManager::CreateTexture(const TName& name, i32 width, i32 height, i32 depth, i32 levels,
                                           i32 type, i32 format, u32 flags)
{
    CheckUnlocked("TDxTextureManager::CreateTexture");
    TTexture* texture = CreateTextureEntry(name);
    texture->m_nWidth = width;
    texture->m_nHeight = height;
    texture->m_nDepth = depth;
    texture->m_nLevels = levels;
    texture->m_nType = type;
    texture->m_nFormat = format;
    texture->m_nFlags |= flags;
    return texture;
}

TTextureAnimation* TDxTextureManager::FindTextureAnimation(const TName& name)
{
    CheckUnlocked("TDxTextureManager::FindTextureAnimation");
    for (i32 i = 0; i < m_aAnimation.GetCount(); ++i)
        if (m_aAnimation[i]->m_Name == name)
            return m_aAnimation[i];
    return nullptr;
}

TTextureAnimation* TDxTextureManager::CreateTextureAnimation(const TName& name)
{
    CheckUnlocked("TDxTextureManager::CreateTextureAnimation");
    TDxTextureAnimation* animation = m_aAnimation.Add();
    animation->m_Name = name;
    TTexture* target = CreateTextureEntry(name);
    target->m_nFlags |= TEXTURE_NO_OBJECT | TEXTURE_ANIMATION_TARGET;
    target->m_nAnimation = m_aAnimation.GetCount() - 1;
    animation->m_pTexture = target;
    return animation;
}

void TDxTextureManager::Clear()
{
    for (i32 i = 0; i < m_aTexture.GetCount(); ++i)
        m_aTexture[i]->Unload();
    m_aAnimation.DeleteAll();
    m_aTexture.DeleteAll();
}
