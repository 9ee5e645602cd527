#include "engine/system/resource.h"

#include "core/system/log.h"
#include "core/system/pagelock.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"

namespace
{
// The resources whose Require is running: a use cycle in stored data must not recurse for ever.
constexpr u32 REQUIRE_DEPTH = 256;
TResource* s_apRequiring[REQUIRE_DEPTH];
u32 s_nRequiring = 0;

bool Requiring(const TResource* resource)
{
    for (u32 i = 0; i < s_nRequiring; ++i)
        if (s_apRequiring[i] == resource)
            return true;
    return false;
}
} // namespace

TResource::TResource()
    : m_nKind(0), m_nRepositoryId(0), m_nDataOffset(0), m_nDataSize(0), pRepository(nullptr),
      m_nHoldingUsers(0), m_nReadyUses(0), m_nListIndex(RESOURCE_NOT_LISTED), m_nReserved58(0xFFFF),
      m_fReserved60(0.0f), m_nState(RESOURCE_UNLOADED)
{
}

TResource::~TResource()
{
    if (m_nListIndex != RESOURCE_NOT_LISTED && g_pResourceManager)
        g_pResourceManager->Forget(this);
}

i32 TResource::Load()
{
    SetLoaded(1, 0);
    return 0;
}

u32 TResource::Require()
{
    if (m_nState == RESOURCE_LOADED)
        return 0;
    if (Requiring(this) || s_nRequiring == REQUIRE_DEPTH)
        return 1;
    if (m_nState == RESOURCE_UNLOADED)
    {
        m_nState = RESOURCE_LOADING;
        Load();
        if (m_nState == RESOURCE_UNLOADED)
        {
            // Refused data stays refused: the resource keeps loading without being tried again
            // (and logging again) at every frame, until it is unloaded with its cluster.
            m_nState = RESOURCE_LOADING;
            g_pResourceManager->__ResourceAdd(this);
            return 1;
        }
        g_pResourceManager->__ResourceAdd(this);
    }
    s_apRequiring[s_nRequiring++] = this;
    for (i32 i = 0; i < aUses.GetCount(); ++i)
        aUses[i].pResource->Require();
    --s_nRequiring;
    return m_nState == RESOURCE_LOADED ? 0 : 1;
}

void TResource::SetLoaded(u32 loaded, u32 flags)
{
    if (!loaded)
    {
        m_nState = RESOURCE_UNLOADED;
        return;
    }
    m_nState = m_nReadyUses == aUses.GetCount() ? RESOURCE_LOADED : RESOURCE_WAITING;
    if (m_nState == RESOURCE_LOADED)
    {
        for (i32 j = 0; j < aUsers.GetCount(); ++j)
        {
            TResource* user = aUsers[j].pResource;
            TResourceLink& use = user->aUses[aUsers[j].nIndex];
            if (use.nReady)
                continue;
            use.nReady = 1;
            ++user->m_nReadyUses;
            if (user->m_nState == RESOURCE_WAITING && user->m_nReadyUses == user->aUses.GetCount())
                user->SetLoaded(1, 0);
        }
        for (i32 i = 0; i < aUses.GetCount(); ++i)
        {
            TResource* used = aUses[i].pResource;
            TResourceLink& hold = used->aUsers[aUses[i].nIndex];
            if (!hold.nReady)
            {
                hold.nReady = 1;
                ++used->m_nHoldingUsers;
            }
        }
    }
    if ((flags & RESOURCE_UNLOCK_PAGES) && pRepository && pRepository->IsMapped() &&
        m_nDataOffset < pRepository->GetImageSize())
        PageUnlock(pRepository->GetImage() + m_nDataOffset, m_nDataSize);
}

void TResource::DropHold(const TResourceLink& use)
{
    TResource* used = use.pResource;
    TResourceLink& hold = used->aUsers[use.nIndex];
    if (!hold.nReady)
        return;
    hold.nReady = 0;
    if (--used->m_nHoldingUsers == 0)
        used->Unload();
}

void TResource::WithdrawReadiness(TResource* user, u16 i)
{
    TResourceLink& use = user->aUses[i];
    if (!use.nReady)
        return;
    use.nReady = 0;
    --user->m_nReadyUses;
    if (user->m_nState == RESOURCE_LOADED)
        user->BecomeWaiting();
}

void TResource::BecomeWaiting()
{
    m_nState = RESOURCE_WAITING;
    for (i32 i = 0; i < aUses.GetCount(); ++i)
        DropHold(aUses[i]);
    for (i32 j = 0; j < aUsers.GetCount(); ++j)
        WithdrawReadiness(aUsers[j].pResource, aUsers[j].nIndex);
}

void TResource::Unload()
{
    if (m_nState == RESOURCE_UNLOADED)
        return;
    Release();
    m_nState = RESOURCE_UNLOADED;
    // One of the manager's repositories is found again by its id; one given by SetData is kept.
    if (m_nRepositoryId != 0)
        pRepository = nullptr;
    g_pResourceManager->__ResourceDelete(this);
    for (i32 i = 0; i < aUses.GetCount(); ++i)
        DropHold(aUses[i]);
    for (i32 j = 0; j < aUsers.GetCount(); ++j)
        WithdrawReadiness(aUsers[j].pResource, aUsers[j].nIndex);
}

void TResource::LinkTo(TResource* user, TResource* used)
{
    for (i32 i = 0; i < user->aUses.GetCount(); ++i)
        if (user->aUses[i].pResource == used)
            return;
    const u16 i = static_cast<u16>(user->aUses.GetCount());
    const u16 j = static_cast<u16>(used->aUsers.GetCount());
    user->aUses.Add({j, 0, used});
    used->aUsers.Add({i, 0, user});
    const bool userLoaded = user->m_nState == RESOURCE_LOADED;
    const bool usedLoaded = used->m_nState == RESOURCE_LOADED;
    if (!userLoaded)
    {
        if (!usedLoaded)
            return;
        user->aUses[i].nReady = 1;
        ++user->m_nReadyUses;
        if (user->m_nState == RESOURCE_WAITING && user->m_nReadyUses == user->aUses.GetCount())
            user->SetLoaded(1, 0);
    }
    else if (!usedLoaded)
        user->BecomeWaiting();
    else
    {
        user->aUses[i].nReady = 1;
        ++user->m_nReadyUses;
        used->aUsers[j].nReady = 1;
        ++used->m_nHoldingUsers;
    }
}

// Removes links[index] by moving the last link into its place; the moved link's partner is
// told its new index.
void TResource::RemoveLink(DArray<TResourceLink>& links, u16 index, bool usesSide)
{
    const i32 last = links.GetCount() - 1;
    if (index != last)
    {
        links[index] = links[last];
        const TResourceLink& moved = links[index];
        TResource* partner = moved.pResource;
        (usesSide ? partner->aUsers : partner->aUses)[moved.nIndex].nIndex = index;
    }
    links.SetCount(last);
}

void TResource::Unlink(TResource* user, TResource* used)
{
    i32 i = 0;
    while (i < user->aUses.GetCount() && user->aUses[i].pResource != used)
        ++i;
    if (i == user->aUses.GetCount())
        return;
    if (used->m_nState == RESOURCE_LOADED)
        used->Unload();
    const u16 j = user->aUses[i].nIndex;
    if (user->aUses[i].nReady)
        --user->m_nReadyUses;
    if (used->aUsers[j].nReady)
        --used->m_nHoldingUsers;
    RemoveLink(user->aUses, static_cast<u16>(i), true);
    RemoveLink(used->aUsers, j, false);
}

TRepository* TResource::GetRepository()
{
    // A cached repository may have been closed since: the manager's one-entry cache makes the
    // lookup cheap.
    if (m_nRepositoryId != 0 || !pRepository)
        pRepository = g_pResourceManager->FindRepository(m_nRepositoryId);
    return pRepository;
}

void TResource::SetData(TRepository* repository, u32 offset, u32 size)
{
    m_nRepositoryId = 0;
    pRepository = repository;
    m_nDataOffset = offset;
    m_nDataSize = size;
}

i32 TResource::ReadData(void* target, u32 offset, u32 size, u32 tag, u32 flags)
{
    TRepository* repository = GetRepository();
    if (!repository)
    {
        if (m_nRepositoryId < REPOSITORY_OPTIONAL_ID)
            TLog::Print(g_pSystemLog, LOG_ERROR,
                        "TResource::ReadData(): error: ", "'%s': repository 0x%04x is not open",
                        GetNameText(), m_nRepositoryId);
        return 0;
    }
    if (size == 0)
        size = m_nDataSize - (offset < m_nDataSize ? offset : m_nDataSize);
    // A compressed read names the room of its target, which may exceed the stored block.
    const bool compressed = (flags & RESOURCE_READ_COMPRESSED) != 0;
    if (offset > m_nDataSize || (!compressed && size > m_nDataSize - offset))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TResource::ReadData(): error: ",
                    "'%s': %u bytes at %u lie outside its block of %u bytes", GetNameText(), size, offset,
                    m_nDataSize);
        return 1;
    }
    return repository->__LoadBlock(this, tag, target, m_nDataOffset + offset, size, flags);
}

u8* TResource::GetData(u32 offset, u32 size)
{
    TRepository* repository = GetRepository();
    if (!repository || offset > m_nDataSize)
        return nullptr;
    if (size == 0)
        size = m_nDataSize - offset;
    if (size > m_nDataSize - offset)
        return nullptr;
    return repository->__GetResourceData(m_nDataOffset + offset, size);
}
