#pragma once
// TResource: everything loaded from repository files derives from it. A resource's bulk data
// stays in its repository and is read on demand; use links pair it with the resources it uses
// and those that use it. A resource counts as loaded only when everything it uses is loaded,
// and stays loaded only while a loaded user holds it. Stored raw in repository images (type
// 21, 68 bytes).
#include "core/system/name.h"
#include "core/system/templates/darray.h"
#include "engine/system/resourcelink.h"

class TRepository;

// States.
constexpr u32 RESOURCE_UNLOADED = 0;
constexpr u32 RESOURCE_LOADING = 1;
constexpr u32 RESOURCE_WAITING = 2; // loaded itself, some used resource not yet
constexpr u32 RESOURCE_LOADED = 3;

// ReadData flags (the repository's block-read flags).
constexpr u32 RESOURCE_READ_LOCK_PAGES = 0x1;     // keep the block's pages resident while copied
constexpr u32 RESOURCE_READ_LOADER_THREAD = 0x2;  // queued for the loader thread
constexpr u32 RESOURCE_READ_NO_NOTIFY = 0x4;      // no OnDataArrived
constexpr u32 RESOURCE_READ_COMPRESSED = 0x8;     // stored compressed: a head, then one zlib stream

// A resource that is not in the manager's list.
constexpr u16 RESOURCE_NOT_LISTED = 0xFEFE;
// The kind word of resources that stay listed when unloaded.
constexpr u32 RESOURCE_KIND_KEEP_LISTED = 1;
// SetLoaded flag: unlock the pages of the block in a mapped repository.
constexpr u32 RESOURCE_UNLOCK_PAGES = 0x1;

class TResource
{
public:
    TResource();
    // A destroyed resource leaves the manager's list.
    virtual ~TResource();
    virtual i32 Query() { return 0; }
    // Starts loading; the default marks the resource loaded at once.
    virtual i32 Load();
    // Frees what Load made.
    virtual i32 Release() { return 0; }
    virtual i32 OnDeviceLost() { return 0; }
    virtual i32 OnDeviceReset() { return 0; }
    // A block read for the resource has arrived (tag as given to the read).
    virtual void OnDataArrived(u32 tag) {}

    // 0 when loaded; otherwise asks for it (loading it and what it uses) and answers 1 while
    // it is not loaded, or when its load failed. A load that fails is not tried again until the
    // resource is unloaded.
    u32 Require();
    // Called by resources when their data is ready (1) or gone (0).
    void SetLoaded(u32 loaded, u32 flags = 0);
    void Unload();
    static void LinkTo(TResource* user, TResource* used);
    static void Unlink(TResource* user, TResource* used);
    u32 IsLoaded() const { return m_nState == RESOURCE_LOADED ? 1 : 0; }

    // Reads size bytes (0: the rest of the block) at offset in the resource's block into
    // target, with the RESOURCE_READ_* flags; a compressed read inflates the stored block that
    // begins there into target, size being the target's room. 0, or 1 when refused.
    i32 ReadData(void* target, u32 offset, u32 size, u32 tag, u32 flags);
    // The bytes at offset (size 0: the rest of the block); null when they cannot be had.
    u8* GetData(u32 offset, u32 size);
    // The repository of the block, found by its id; null when it is not open.
    TRepository* GetRepository();
    u32 HasData() const { return m_nDataSize != 0 ? 1 : 0; }
    // A resource made at run time gets its data from a repository the caller holds.
    void SetData(TRepository* repository, u32 offset, u32 size);
    // The name's text, or "#" and its id in hexadecimal when the name table has none.
    const char* GetNameText() const { return m_Name.GetPrintText(); }

    TName m_Name;
    u32 m_nKind;
    u32 m_nRepositoryId;
    u32 m_nDataOffset;
    u32 m_nDataSize;
    TRepository* pRepository;
    DArray<TResourceLink> aUses;
    DArray<TResourceLink> aUsers;
    u16 m_nHoldingUsers;
    u16 m_nReadyUses;
    u16 m_nListIndex;
    u16 m_nReserved58;
    f32 m_fReserved60;
    u32 m_nState;

private:
    // A loaded user lets go: it waits again, drops its holds and its users' readiness.
    void BecomeWaiting();
    // Clears the hold of this user on used.users[j]; the used resource unloads when nobody
    // holds it any more.
    static void DropHold(const TResourceLink& use);
    // The user of link i no longer counts this resource as ready.
    static void WithdrawReadiness(TResource* user, u16 i);
    static void RemoveLink(DArray<TResourceLink>& links, u16 index, bool usesSide);
};

static_assert(sizeof(TResource) == 68);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TResource, m_Name) == 4);
static_assert(offsetof(TResource, pRepository) == 24);
static_assert(offsetof(TResource, aUses) == 28);
static_assert(offsetof(TResource, aUsers) == 40);
static_assert(offsetof(TResource, m_nHoldingUsers) == 52);
static_assert(offsetof(TResource, m_nListIndex) == 56);
static_assert(offsetof(TResource, m_nState) == 64);
#pragma GCC diagnostic pop
