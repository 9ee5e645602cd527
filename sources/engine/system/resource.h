#pragma once
// TResource: everything loaded from repository files derives from it. A resource's bulk data
// stays in its repository and is read on demand; use links pair it with the resources it uses
// and those that use it. Stored raw in repository images (type 21, 68 bytes).
// Require, SetLoaded and Unload keep the load state (use links are stored, not yet walked
// beyond Require); ReadData and GetData reach the data through a least-form TRepository.
#include "core/system/name.h"
#include "core/system/templates/darray.h"
#include "engine/system/resourcelink.h"

class TRepository;

// States.
constexpr u32 RESOURCE_UNLOADED = 0;
constexpr u32 RESOURCE_LOADING = 1;
constexpr u32 RESOURCE_WAITING = 2; // loaded itself, some used resource not yet
constexpr u32 RESOURCE_LOADED = 3;

// ReadData flags.
constexpr u32 RESOURCE_READ_LOCK_PAGES = 0x1;
constexpr u32 RESOURCE_READ_LOADER_THREAD = 0x2;
constexpr u32 RESOURCE_READ_NO_NOTIFY = 0x4;
constexpr u32 RESOURCE_READ_COMPRESSED = 0x8;

// A resource that is not in the manager's list.
constexpr u16 RESOURCE_NOT_LISTED = 0xFEFE;
// The kind word of resources that stay listed when unloaded.
constexpr u32 RESOURCE_KIND_KEEP_LISTED = 1;

class TResource
{
public:
    TResource();
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

    u32 IsLoaded() const { return m_nState == RESOURCE_LOADED ? 1 : 0; }
    // 0 when loaded; an unloaded resource is loaded first. Non-zero while it is not loaded.
    i32 Require();
    // 1: loaded (waiting while a used resource is not); 0: unloaded.
    void SetLoaded(i32 loaded);
    void Unload();

    // size bytes (0: the whole block) from block position offset into target; flag 8 inflates
    // (a compressed block runs to the end of the resource's data). Unless flag 4 is given,
    // OnDataArrived(tag) follows. 0 on success.
    i32 ReadData(void* target, u32 offset, u32 size, u32 tag, u32 flags);
    // size bytes (0: the rest) at block position offset; null when they are not in memory.
    const u8* GetData(u32 offset, u32 size);
    u32 HasData() const { return m_nDataSize != 0 ? 1 : 0; }
    // A resource made at run time gets its data from a repository held in memory.
    void SetData(TRepository* repository, u32 offset, u32 size);
    const char* GetNameText() const { return m_Name.GetText(); }

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
