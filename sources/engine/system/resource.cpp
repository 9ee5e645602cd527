#include "engine/system/resource.h"

#include "core/system/log.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"

TResource::TResource()
    : m_nKind(0), m_nRepositoryId(0), m_nDataOffset(0), m_nDataSize(0), pRepository(nullptr),
      m_nHoldingUsers(0), m_nReadyUses(0), m_nListIndex(RESOURCE_NOT_LISTED), m_nReserved58(0xFFFF),
      m_fReserved60(0.0f), m_nState(RESOURCE_UNLOADED)
{
}

i32 TResource::Load()
{
    m_nState = RESOURCE_LOADED;
    return 0;
}

TResource::~TResource()
{
    if (m_nListIndex != RESOURCE_NOT_LISTED && g_pResourceManager)
        g_pResourceManager->__ResourceDelete(this);
}

i32 TResource::Require()
{
    if (m_nState == RESOURCE_LOADED)
        return 0;
    if (m_nState == RESOURCE_UNLOADED)
    {
        m_nState = RESOURCE_LOADING;
        Load();
        if (m_nState == RESOURCE_UNLOADED)
            return 1;
        if (m_nListIndex == RESOURCE_NOT_LISTED && g_pResourceManager)
            g_pResourceManager->__ResourceAdd(this);
    }
    for (i32 i = 0; i < aUses.GetCount(); ++i)
        aUses[i].pResource->Require();
    return m_nState == RESOURCE_LOADED ? 0 : 1;
}

void TResource::SetLoaded(i32 loaded)
{
    if (!loaded)
    {
        m_nState = RESOURCE_UNLOADED;
        return;
    }
    m_nState = m_nReadyUses == aUses.GetCount() ? RESOURCE_LOADED : RESOURCE_WAITING;
}

void TResource::Unload()
{
    if (m_nState == RESOURCE_UNLOADED)
        return;
    Release();
    m_nState = RESOURCE_UNLOADED;
    if (m_nListIndex != RESOURCE_NOT_LISTED && m_nKind != RESOURCE_KIND_KEEP_LISTED && g_pResourceManager)
        g_pResourceManager->__ResourceDelete(this);
}

void TResource::SetData(TRepository* repository, u32 offset, u32 size)
{
    pRepository = repository;
    m_nDataOffset = offset;
    m_nDataSize = size;
}

i32 TResource::ReadData(void* target, u32 offset, u32 size, u32 tag, u32 flags)
{
    const bool compressed = (flags & RESOURCE_READ_COMPRESSED) != 0;
    if (pRepository && offset <= m_nDataSize)
    {
        if (size == 0)
            size = m_nDataSize - offset;
        const u32 stored = compressed ? m_nDataSize - offset : size;
        if (stored <= m_nDataSize - offset &&
            pRepository->ReadBlock(target, m_nDataOffset + offset, size, compressed, stored) == 0)
        {
            if (!(flags & RESOURCE_READ_NO_NOTIFY))
                OnDataArrived(tag);
            return 0;
        }
    }
    TLog::Print(g_pSystemLog, LOG_ERROR, "TResource::ReadData(): error: ", "'%s': unable to read %u bytes at %u",
                GetNameText(), size, offset);
    return 1;
}

const u8* TResource::GetData(u32 offset, u32 size)
{
    if (!pRepository || offset > m_nDataSize)
        return nullptr;
    if (size == 0)
        size = m_nDataSize - offset;
    if (size > m_nDataSize - offset)
        return nullptr;
    return pRepository->GetBlock(m_nDataOffset + offset, size);
}
