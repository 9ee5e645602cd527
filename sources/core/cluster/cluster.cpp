#include "core/cluster/cluster.h"

#include "core/cluster/clusterloadhook.h"
#include "core/stream/stream.h"
#include "core/system/cputimer.h"
#include "core/system/log.h"
#include "core/system/memory.h"

#include <algorithm>
#include <bit>
#include <cstring>

TCluster* g_pCluster = nullptr;

namespace
{
// Bytes of objects copied and fixed up at a time by a copying load.
constexpr u32 CLUSTER_COPY_RUN = 16384;

const char* const kFile = "core/cluster/cluster.cpp";
const char* const kLoadPrefix = "TCluster::Load(): ";
const char* const kLoadError = "TCluster::Load(): error: ";
const char* const kStreamError = "TCluster::LoadFromStream(): error: ";
const char* const kSaveError = "TCluster::SaveToStream(): error: ";

// Set by the static initialisers of the types' owners, before any load.
TClusterLoadHook s_aLoadHook[CLUSTER_TYPE_COUNT];

struct TImageHeader
{
    u32 nMagic;
    f32 fVersion;
    // Bytes after the array table.
    u32 nDataSize;
    u32 nArrayCount;
    u32 nManagerCount;
};

static_assert(sizeof(TImageHeader) == CLUSTER_HEADER_SIZE);

// Image words are read and written byte-wise: an image may lie anywhere in memory.
u32 ReadWord(const u8* at)
{
    u32 word;
    std::memcpy(&word, at, 4);
    return word;
}

void WriteWord(u8* at, u32 word)
{
    std::memcpy(at, &word, 4);
}

u32 PointerWord(const void* pointer)
{
    return static_cast<u32>(reinterpret_cast<uintptr_t>(pointer));
}

// The object i of a slot: through the pointer table of a pointer array, in the block otherwise.
u8* SlotObject(const TClusterSlot& slot, u32 i, u32 objectSize)
{
    if (slot.nKind == CLUSTER_ARRAY_POINTERS)
        return static_cast<u8*>(reinterpret_cast<void**>(slot.pData)[i]);
    return slot.pData + i * objectSize;
}

// The object size is an odd factor shifted left: an offset starts an object when
// rotr(offset * inverse, shift) <= starts, one multiply and no division.
void PlanObjectStarts(u32 objectSize, u32& inverse, u32& shift, u32& starts)
{
    shift = static_cast<u32>(std::countr_zero(objectSize));
    const u32 odd = objectSize >> shift;
    // Newton's steps double the bits right: an odd number is its own inverse to 3 bits.
    inverse = odd;
    for (i32 step = 0; step < 4; ++step)
        inverse *= 2 - odd * inverse;
    starts = 0xFFFFFFFFu / objectSize;
}

inline bool IsObjectStart(u32 offset, u32 inverse, u32 shift, u32 starts)
{
    return std::rotr(offset * inverse, static_cast<i32>(shift)) <= starts;
}

// A slot's array as the fix-up sees it.
TCluster::TFixTarget MakeFixTarget(const TClusterSlot& slot)
{
    TCluster::TFixTarget target = {};
    target.bRegistered = slot.pManager != nullptr;
    target.bEmpty = slot.nSize == 0;
    if (!target.bEmpty)
    {
        target.pData = slot.pData;
        target.nObjectSize = slot.pDecl->GetObjectSize();
        target.nLimit = static_cast<u32>(slot.nSize) - target.nObjectSize;
        target.bPointers = slot.nKind == CLUSTER_ARRAY_POINTERS;
        PlanObjectStarts(target.nObjectSize, target.nOddInverse, target.nShift, target.nObjectStarts);
        if (!target.bPointers && target.bRegistered)
            target.nBlockEnd = target.nLimit + 1;
    }
    return target;
}

// What the fix-up does with a reference word.
enum : u32
{
    FIX_VIRTUAL_TABLE,
    FIX_BLOCK,      // typed, into an array whose objects lie one after the other
    FIX_POINTERS,   // typed, into a pointer array
    FIX_INTO_EMPTY, // typed, into an array that holds nothing
    FIX_ANY,
};

// Whether an offset into a block of objects is where one of them starts.
inline bool StartsObject(const TCluster::TFixTarget& target, u32 offset)
{
    return IsObjectStart(offset, target.nOddInverse, target.nShift, target.nObjectStarts);
}

// The address of a stored offset in a non-empty array; false when no whole object lies there.
inline bool ResolveOffset(const TCluster::TFixTarget& target, u32 offset, u8*& address)
{
    if (offset > target.nLimit)
        return false;
    if (!target.bPointers)
        address = target.pData + offset;
    else
        address = static_cast<u8*>(reinterpret_cast<void**>(target.pData)[offset / target.nObjectSize]) +
                  offset % target.nObjectSize;
    return true;
}
} // namespace

void SetClusterLoadHook(u32 typeId, TClusterLoadHook hook)
{
    if (typeId >= CLUSTER_TYPE_COUNT)
        __Abort("SetClusterLoadHook", kFile, __LINE__, "type id %u out of range", typeId);
    s_aLoadHook[typeId] = hook;
}

TClusterLoadHook GetClusterLoadHook(u32 typeId)
{
    return typeId < CLUSTER_TYPE_COUNT ? s_aLoadHook[typeId] : nullptr;
}

// Where the sections of a checked image begin.
struct TCluster::TLoadPlan
{
    TImageHeader header;
    u32 nTable;
    u32 nObjects;
    u32 nBlocks;
    u32 nUserIds;
};

TCluster::TCluster() : m_nLoaded(0)
{
    std::memset(m_aSlot, 0, sizeof m_aSlot);
    std::memset(m_aUnannounced, 0, sizeof m_aUnannounced);
}

TCluster::~TCluster()
{
    // The pool's managers are destroyed with the cluster: they must not reach back into it.
    if (g_pCluster == this)
        g_pCluster = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Registration

void TCluster::RegisterType(TClusterTypeDecl* decl)
{
    m_aType.Add(decl);
}

void TCluster::RegisterArray(const TClusterManagerItem& item)
{
    if (item.pDecl->GetTypeId() >= CLUSTER_TYPE_COUNT)
        __Abort("TCluster::RegisterArray", kFile, __LINE__, "'%s': type id %d out of range",
                item.pDecl->GetName(), item.pDecl->GetTypeId());
    m_aArray.Add(item);
}

TClusterDynManager* TCluster::RegisterDynManager(const TClusterTypeDecl* decl)
{
    const u32 index = m_aDynManager.GetCount();
    m_aDynManager.SetCount(index + 1);
    TClusterDynManager* manager = &m_aDynManager[index];
    manager->Bind(decl);
    RegisterArray({CLUSTER_ARRAY_MANAGED, decl, manager, nullptr});
    return manager;
}

i32 TCluster::RegisterManagerId(i32 id, TClusterManager* manager)
{
    const i32 index = m_ManagerIds.FindKey(id);
    if (index < 0)
    {
        m_ManagerIds.Insert({id, manager});
        return 0;
    }
    // An id stays taken while its manager lives.
    if (m_ManagerIds[index].value && m_ManagerIds[index].value != manager)
        return 1;
    m_ManagerIds[index].value = manager;
    return 0;
}

TClusterManager* TCluster::FindManager(i32 id) const
{
    const i32 index = m_ManagerIds.FindKey(id);
    return index >= 0 ? m_ManagerIds[index].value : nullptr;
}

void TCluster::ForgetManager(TClusterManager* manager)
{
    for (u32 i = 0; i < m_ManagerIds.GetCount(); ++i)
        if (m_ManagerIds[i].value == manager)
            m_ManagerIds[i].value = nullptr;
}

void TCluster::AddListener(TClusterMethods* listener)
{
    m_aListener.Add(listener);
}

i32 TCluster::AddResetPointer(void** address)
{
    for (u32 i = 0; i < m_aResetPointer.GetCount(); ++i)
        if (m_aResetPointer[i] == address)
            return 1;
    m_aResetPointer.Add(address);
    return 0;
}

void TCluster::RemoveResetPointer(void** address)
{
    const u32 count = m_aResetPointer.GetCount();
    for (u32 i = 0; i < count; ++i)
        if (m_aResetPointer[i] == address)
        {
            m_aResetPointer[i] = m_aResetPointer[count - 1];
            m_aResetPointer.SetCount(count - 1);
            return;
        }
}

// Descriptors are code: one whose records do not fit its objects, or that names a type without
// a descriptor, is a programming error.
bool TCluster::CheckDescriptor(const TClusterTypeDecl* decl) const
{
    const u32 size = decl->GetObjectSize();
    if (size == 0 || (decl->GetPrototype() && decl->GetVirtualTableWords() * 4u > size))
        return false;
    for (u32 m = 0; m < decl->GetMemberCount(); ++m)
    {
        const TClusterMemberDecl& member = decl->GetMember(m);
        if (member.nOffset > size || member.nCount > (size - member.nOffset) / 4)
            return false;
        if (member.nTypeId >= CLUSTER_TYPE_COUNT)
            return false;
        const TClusterTypeDecl* target = m_aSlot[member.nTypeId].pDecl;
        switch (member.nKind)
        {
        case CLUSTER_MEMBER_VIRTUAL_TABLE:
            if (!target || !target->GetPrototype())
                return false;
            break;
        case CLUSTER_MEMBER_REFERENCE:
        case CLUSTER_MEMBER_RUN:
            // A type no descriptor declares (a subsystem not in this program) has no array:
            // references to it load as null.
            break;
        default:
            return false;
        }
    }
    return true;
}

void TCluster::LinkTypes()
{
    for (u32 i = 0; i < m_aType.GetCount(); ++i)
    {
        TClusterTypeDecl* decl = m_aType[i];
        if (decl->GetTypeId() == CLUSTER_TYPE_UNBOUND)
            continue;
        if (decl->GetTypeId() >= CLUSTER_TYPE_COUNT)
            __Abort("TCluster::LinkTypes", kFile, __LINE__, "'%s': type id %d out of range", decl->GetName(),
                    decl->GetTypeId());
        m_aSlot[decl->GetTypeId()].pDecl = decl;
    }
    for (u32 i = 0; i < m_aType.GetCount(); ++i)
        if (m_aType[i]->GetTypeId() != CLUSTER_TYPE_UNBOUND && !CheckDescriptor(m_aType[i]))
            __Abort("TCluster::LinkTypes", kFile, __LINE__, "'%s': invalid descriptor",
                    m_aType[i]->GetName());
    RefillSlots();
}

// ---------------------------------------------------------------------------------------------
// Slots

void TCluster::RefillSlotData(TClusterSlot& slot)
{
    void* data = nullptr;
    i32 count = 0;
    slot.GetArray(data, count);
    slot.pData = count > 0 ? static_cast<u8*>(data) : nullptr;
    slot.nSize = count > 0 ? count * static_cast<i32>(slot.pDecl->GetObjectSize()) : 0;
}

void TCluster::RefillSlots()
{
    for (TClusterSlot& slot : m_aSlot)
    {
        slot.nKind = 0;
        slot.pManager = nullptr;
        slot.pHolder = nullptr;
        slot.pData = nullptr;
        slot.nSize = 0;
    }
    // The first registered array of a type owns its slot.
    for (u32 i = 0; i < m_aArray.GetCount(); ++i)
    {
        const TClusterManagerItem& item = m_aArray[i];
        TClusterSlot& slot = m_aSlot[item.pDecl->GetTypeId()];
        if (slot.pManager)
            continue;
        static_cast<TClusterManagerItem&>(slot) = item;
        RefillSlotData(slot);
    }
}

// ---------------------------------------------------------------------------------------------
// Clear

void TCluster::Clear()
{
    EmptyUnannounced();
    for (u32 i = 0; i < m_aListener.GetCount(); ++i)
        m_aListener[i]->OnClusterUnload();
    ClearArrays();
    ResetPointers();
    // Handles of the old content must not resolve into the next image.
    m_UserIds._SetCount(0);
}

void TCluster::ResetPointers()
{
    for (u32 i = 0; i < m_aResetPointer.GetCount(); ++i)
        *m_aResetPointer[i] = nullptr;
    m_aResetPointer.SetCount(0);
}

void TCluster::EmptyUnannounced()
{
    for (u32 type = 0; type < CLUSTER_TYPE_COUNT; ++type)
    {
        if (!(m_aUnannounced[type / 32] & (1u << type % 32)))
            continue;
        TClusterSlot& slot = m_aSlot[type];
        slot.SetArray(nullptr, 0);
        slot.pData = nullptr;
        slot.nSize = 0;
    }
    std::memset(m_aUnannounced, 0, sizeof m_aUnannounced);
}

void TCluster::ClearArrays()
{
    std::memset(m_aUnannounced, 0, sizeof m_aUnannounced);
    for (u32 i = 0; i < m_aArray.GetCount(); ++i)
        m_aArray[i].SetArray(nullptr, 0);
    for (TClusterSlot& slot : m_aSlot)
    {
        slot.pData = nullptr;
        slot.nSize = 0;
    }
}

void TCluster::ReleaseArrays()
{
    ClearArrays();
    for (u32 i = 0; i < m_aDynManager.GetCount(); ++i)
        m_aDynManager[i].Free();
    m_aFixWord.Free();
}

// ---------------------------------------------------------------------------------------------
// Load

// Walks the image's sections without changing anything: every size must fit, every array must
// have a registered array of its type, every manager id must be registered.
bool TCluster::CheckImage(const u8* image, u32 size, TLoadPlan& plan)
{
    if (size < CLUSTER_HEADER_SIZE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image of %u bytes refused: no header", size);
        return false;
    }
    TImageHeader& header = plan.header;
    std::memcpy(&header, image, CLUSTER_HEADER_SIZE);
    if (header.nMagic != CLUSTER_MAGIC || header.fVersion != CLUSTER_VERSION)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused: not an ICMH 1.0 image");
        return false;
    }
    const u64 end = CLUSTER_HEADER_SIZE + 8ull * header.nArrayCount + header.nDataSize;
    if (header.nArrayCount > CLUSTER_ARRAY_COUNT || end > size)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "image refused: %u arrays and %u bytes do not fit in %u", header.nArrayCount,
                    header.nDataSize, size);
        return false;
    }

    RefillSlots();
    plan.nTable = CLUSTER_HEADER_SIZE;
    plan.nObjects = CLUSTER_HEADER_SIZE + 8 * header.nArrayCount;
    u64 at = plan.nObjects;
    u32 seen[CLUSTER_TYPE_COUNT / 32] = {};
    for (u32 j = 0; j < header.nArrayCount; ++j)
    {
        const u32 count = ReadWord(image + plan.nTable + 8 * j);
        const u32 type = ReadWord(image + plan.nTable + 8 * j + 4);
        if (type >= CLUSTER_TYPE_COUNT || !m_aSlot[type].pManager)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused: array %u has undeclared type %u",
                        j, type);
            return false;
        }
        if (seen[type / 32] & (1u << type % 32))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused: type %u stored twice", type);
            return false;
        }
        seen[type / 32] |= 1u << type % 32;
        const u64 bytes = static_cast<u64>(count) * m_aSlot[type].pDecl->GetObjectSize();
        if (bytes > end - at || count > 0x7FFFFFFFu)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused: %u objects of '%s' do not fit",
                        count, m_aSlot[type].pDecl->GetName());
            return false;
        }
        at += bytes;
    }

    plan.nBlocks = static_cast<u32>(at);
    for (u32 m = 0; m < header.nManagerCount; ++m)
    {
        if (end - at < 4)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused: data blocks truncated");
            return false;
        }
        const i32 id = static_cast<i32>(ReadWord(image + at));
        at += 4;
        TClusterManager* manager = FindManager(id);
        if (!manager)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused: manager id %d not registered",
                        id);
            return false;
        }
        const i32 blocks = manager->GetDataCount();
        for (i32 b = 0; b < blocks; ++b)
        {
            if (end - at < 4 || ReadWord(image + at) > end - at - 4)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                            "image refused: block %d of manager %d truncated", b, id);
                return false;
            }
            at += 4 + ReadWord(image + at);
        }
    }

    plan.nUserIds = static_cast<u32>(at);
    const u32 userIds = end - at >= 4 ? ReadWord(image + at) : 0xFFFFFFFF;
    if (userIds > CLUSTER_USER_ID_COUNT || end - at - 4 != 8ull * userIds)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "image refused: user-id table does not match its size");
        return false;
    }
    // The table is searched by bisection: its ids must rise.
    for (u32 u = 1; u < userIds; ++u)
        if (static_cast<i32>(ReadWord(image + at + 4 + 8 * u)) <=
            static_cast<i32>(ReadWord(image + at + 8 * u - 4)))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused: user id %u out of order", u);
            return false;
        }
    return true;
}

void TCluster::PlanAnyTargets()
{
    for (u32 type = 0; type < CLUSTER_ANY_TYPE_COUNT; ++type)
    {
        m_aAnyTarget[type] = MakeFixTarget(m_aSlot[type]);
        // The highest word offset is never a quick hit, so that a stored null (type 255 at
        // that offset) always takes the full test.
        m_aAnyTarget[type].nBlockEnd = std::min<u32>(m_aAnyTarget[type].nBlockEnd, 0xFFFFFF * 4);
    }
}

void TCluster::PlanFixUp(const TClusterSlot& slot)
{
    const TClusterTypeDecl* decl = slot.pDecl;
    m_aFixWord.SetCount(0);
    for (u32 m = 0; m < decl->GetMemberCount(); ++m)
    {
        const TClusterMemberDecl& member = decl->GetMember(m);
        TFixWord word = {};
        word.nMember = static_cast<u16>(m);
        word.target = MakeFixTarget(m_aSlot[member.nTypeId]);
        if (member.nKind == CLUSTER_MEMBER_VIRTUAL_TABLE)
        {
            word.nAction = FIX_VIRTUAL_TABLE;
            word.nVirtualTable =
                ReadWord(static_cast<const u8*>(m_aSlot[member.nTypeId].pDecl->GetPrototype()));
        }
        else if (member.nTypeId == 0)
            word.nAction = FIX_ANY;
        else if (word.target.bEmpty)
            word.nAction = FIX_INTO_EMPTY;
        else
            word.nAction = word.target.bPointers ? FIX_POINTERS : FIX_BLOCK;
        for (u32 e = 0; e < member.nCount; ++e)
        {
            word.nOffset = member.nOffset + 4 * e;
            word.nElement = static_cast<u16>(e);
            m_aFixWord.Add(word);
        }
    }
}

bool TCluster::FixWord(const TFixWord& word, u32 stored, u8*& address) const
{
    address = nullptr;
    if (stored == CLUSTER_NULL || word.nAction == FIX_INTO_EMPTY)
        return true; // a reference into an array that holds nothing loads as null
    // Every reference names a whole object: the code that follows it reads the object there.
    if (word.nAction == FIX_BLOCK || word.nAction == FIX_POINTERS)
        return StartsObject(word.target, stored) && ResolveOffset(word.target, stored, address);
    if (word.nAction != FIX_ANY)
        return false;
    // One of any type must name a registered array.
    const TFixTarget& target = m_aAnyTarget[stored >> 24];
    const u32 offset = (stored & 0xFFFFFF) * 4;
    return target.bRegistered &&
           (target.bEmpty || (StartsObject(target, offset) && ResolveOffset(target, offset, address)));
}

bool TCluster::LiesInsideAnObject(const TFixWord& word, u32 stored) const
{
    if (word.nAction == FIX_BLOCK || word.nAction == FIX_POINTERS)
        return stored <= word.target.nLimit;
    if (word.nAction != FIX_ANY)
        return false;
    const TFixTarget& target = m_aAnyTarget[stored >> 24];
    return target.bRegistered && !target.bEmpty && (stored & 0xFFFFFF) * 4 <= target.nLimit;
}

bool TCluster::FixUp(TClusterSlot& slot, u32 first, u32 count)
{
    const TClusterTypeDecl* decl = slot.pDecl;
    const u32 objectSize = decl->GetObjectSize();
    const u8* prototype = static_cast<const u8*>(decl->GetPrototype());
    const u32 prototypeBytes = prototype ? decl->GetVirtualTableWords() * 4u : 0;
    // Calls fix (object, index) for each object while it answers true.
    auto forObjects = [&](auto fix) {
        if (slot.nKind == CLUSTER_ARRAY_POINTERS)
        {
            for (u32 i = first; i < first + count; ++i)
                if (!fix(SlotObject(slot, i, objectSize), i))
                    return false;
            return true;
        }
        u8* object = slot.pData + first * objectSize;
        for (u32 i = first; i < first + count; ++i, object += objectSize)
            if (!fix(object, i))
                return false;
        return true;
    };

    if (prototypeBytes)
        forObjects([&](u8* object, u32) {
            std::memcpy(object, prototype, prototypeBytes);
            return true;
        });
    if (const TClusterLoadHook hook = GetClusterLoadHook(decl->GetTypeId()))
        forObjects([&](u8* object, u32) {
            hook(object);
            return true;
        });
    // One word of every object at a time: the word's action and target stay at hand. The
    // common references (into a block of objects) are resolved in place, the rest in FixWord.
    for (i32 w = 0; w < m_aFixWord.GetCount(); ++w)
    {
        const TFixWord& word = m_aFixWord[w];
        auto resolve = [&](u8* at, u32 i, u32 stored) {
            u8* address;
            if (!FixWord(word, stored, address))
            {
                const bool inside = LiesInsideAnObject(word, stored);
                TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                            "%s[%u].%s(%u:[%u]): reference 0x%08x lies %s", decl->GetName(), i,
                            decl->GetMember(word.nMember).szName, word.nMember, word.nElement, stored,
                            inside ? "inside an object of its array" : "outside its array");
                return false;
            }
            WriteWord(at, PointerWord(address));
            return true;
        };
        bool fixed;
        if (word.nAction == FIX_VIRTUAL_TABLE)
            fixed = forObjects([&](u8* object, u32) {
                WriteWord(object + word.nOffset, word.nVirtualTable);
                return true;
            });
        else if (word.nAction == FIX_BLOCK)
        {
            u8* const base = word.target.pData;
            const u32 end = word.target.nBlockEnd;
            const TFixTarget target = word.target;
            fixed = forObjects([&](u8* object, u32 i) {
                u8* const at = object + word.nOffset;
                const u32 stored = ReadWord(at);
                if (stored >= end || !StartsObject(target, stored))
                    return resolve(at, i, stored);
                WriteWord(at, PointerWord(base + stored));
                return true;
            });
        }
        else if (word.nAction == FIX_ANY)
            fixed = forObjects([&](u8* object, u32 i) {
                u8* const at = object + word.nOffset;
                const u32 stored = ReadWord(at);
                const TFixTarget& target = m_aAnyTarget[stored >> 24];
                const u32 offset = (stored & 0xFFFFFF) * 4;
                if (offset >= target.nBlockEnd || !StartsObject(target, offset))
                    return resolve(at, i, stored);
                WriteWord(at, PointerWord(target.pData + offset));
                return true;
            });
        else
            fixed = forObjects([&](u8* object, u32 i) {
                u8* const at = object + word.nOffset;
                return resolve(at, i, ReadWord(at));
            });
        if (!fixed)
            return false;
    }
    return true;
}

// Copies the stored objects over those the array holds, as many as both have, and fixes each
// run up while it is still in the cache: the arrays' addresses are known before the copy.
bool TCluster::CopyOver(TClusterSlot& slot, const u8* objects, u32 count)
{
    const u32 objectSize = slot.pDecl->GetObjectSize();
    const u32 held = std::min<u32>(count, static_cast<u32>(slot.nSize) / objectSize);
    const u32 run = std::max<u32>(1, CLUSTER_COPY_RUN / objectSize);
    PlanFixUp(slot);
    for (u32 first = 0; first < held; first += run)
    {
        const u32 n = std::min(run, held - first);
        if (slot.nKind == CLUSTER_ARRAY_MANAGED)
            std::memcpy(slot.pData + first * objectSize, objects + first * objectSize, n * objectSize);
        else
            for (u32 i = first; i < first + n; ++i)
                std::memcpy(SlotObject(slot, i, objectSize), objects + i * objectSize, objectSize);
        if (!FixUp(slot, first, n))
            return false;
    }
    return true;
}

TClusterSlot& TCluster::LoadedSlot(const u8* table, u32 j)
{
    const u32 type = ReadWord(table + 8 * j + 4);
    TClusterSlot& slot = m_aSlot[type];
    if (slot.pDecl->GetTypeId() != type)
        __Abort("TCluster::Load", kFile, __LINE__,
                "array manager #%d type mismatch (type 0x%02x instead of type 0x%02x)", j, type,
                slot.pDecl->GetTypeId());
    return slot;
}

i32 TCluster::RefuseDuringFixUp(const u8* table, u32 arrayCount)
{
    TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "image refused during the fix-up: cluster cleared");
    // The image's objects (copied over the arrays' too) are partly fixed up and were never
    // announced: listeners unloading what the cluster holds must not reach them (their virtual
    // tables may be raw).
    for (u32 j = 0; j < arrayCount; ++j)
        MarkUnannounced(LoadedSlot(table, j).pDecl->GetTypeId());
    Clear();
    return 2;
}

i32 TCluster::Load(void* image, u32 size, u32 flags)
{
    u8* const bytes = static_cast<u8*>(image);
    TLoadPlan plan;
    if (!CheckImage(bytes, size, plan))
        return 1;

    TLog::Print(g_pSystemLog, LOG_INFO, kLoadPrefix, "load");
    if (m_nLoaded && !(flags & CLUSTER_LOAD_NO_CLEAR))
        Clear();
    m_nLoaded = 1;
    RefillSlots();
    if (flags & CLUSTER_LOAD_COPY)
        PlanAnyTargets();
    TCpuTimer loadTime;
    loadTime.Start();

    const u32 arrayCount = plan.header.nArrayCount;
    const u8* table = bytes + plan.nTable;
    u8* const objects = bytes + plan.nObjects;
    if (!(flags & CLUSTER_LOAD_COPY))
    {
        // Every array takes its place first, so that each run of objects can be fixed up right
        // after its copy, while it is still in the cache. A managed array's block is made
        // ready for the copy; the objects of a pointer array stay in the image.
        u8* at = objects;
        for (u32 j = 0; j < arrayCount; ++j)
        {
            const u32 count = ReadWord(table + 8 * j);
            TClusterSlot& slot = LoadedSlot(table, j);
            if (slot.nKind == CLUSTER_ARRAY_MANAGED)
                static_cast<TClusterDynManager*>(slot.pManager)->Resize(static_cast<i32>(count));
            else
                slot.SetArray(at, static_cast<i32>(count));
            MarkUnannounced(slot.pDecl->GetTypeId());
            at += count * slot.pDecl->GetObjectSize();
        }
        for (u32 j = 0; j < arrayCount; ++j)
            RefillSlotData(LoadedSlot(table, j));
        PlanAnyTargets();
    }
    u8* at = objects;
    for (u32 j = 0; j < arrayCount; ++j)
    {
        const u32 count = ReadWord(table + 8 * j);
        TClusterSlot& slot = LoadedSlot(table, j);
        if (slot.nKind == CLUSTER_ARRAY_POINTERS && !(flags & CLUSTER_LOAD_COPY))
        {
            const u32 held = static_cast<u32>(slot.nSize) / slot.pDecl->GetObjectSize();
            PlanFixUp(slot);
            if (!FixUp(slot, 0, std::min(count, held)))
                return RefuseDuringFixUp(table, arrayCount);
        }
        else if (!CopyOver(slot, at, count))
            return RefuseDuringFixUp(table, arrayCount);
        at += count * slot.pDecl->GetObjectSize();
    }

    const u8* block = bytes + plan.nBlocks;
    for (u32 m = 0; m < plan.header.nManagerCount; ++m)
    {
        const i32 id = static_cast<i32>(ReadWord(block));
        block += 4;
        TClusterManager* manager = FindManager(id);
        const i32 blocks = manager->GetDataCount();
        for (i32 b = 0; b < blocks; ++b)
        {
            const u32 blockSize = ReadWord(block);
            if (manager->SetData(b, block + 4, static_cast<i32>(blockSize)))
                TLog::Print(g_pSystemLog, LOG_WARNING,
                            "TCluster::Load(): warning: ", "block %d of manager %d refused", b, id);
            block += 4 + blockSize;
        }
    }

    const u32 userIds = ReadWord(bytes + plan.nUserIds);
    if (userIds)
    {
        m_UserIds._SetCount(userIds);
        std::memcpy(m_UserIds.GetData(), bytes + plan.nUserIds + 4, 8 * userIds);
    }

    TLog::Print(g_pSystemLog, LOG_INFO, kLoadPrefix, "cluster data %.3fkb, update time %.3fms",
                plan.header.nDataSize / 1024.0, f64(loadTime.Stop()));
    if (!(flags & CLUSTER_LOAD_QUIET))
        NotifyListeners();
    return 0;
}

i32 TCluster::LoadFromStream(TStream& stream)
{
    const i32 start = stream.GetPosition();
    TImageHeader header;
    if (stream.Read(&header, CLUSTER_HEADER_SIZE) != static_cast<i32>(CLUSTER_HEADER_SIZE))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kStreamError, "no image header");
        return 1;
    }
    if (header.nMagic != CLUSTER_MAGIC || header.fVersion != CLUSTER_VERSION)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kStreamError, "not an ICMH 1.0 image");
        return 1;
    }
    const u64 size = CLUSTER_HEADER_SIZE + 8ull * header.nArrayCount + header.nDataSize;
    const i32 streamSize = stream.GetSize();
    if (size > 0x7FFFFFFFu ||
        (streamSize >= 0 && static_cast<i64>(size) > static_cast<i64>(streamSize) - start))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kStreamError, "image of %llu bytes exceeds the stream",
                    static_cast<unsigned long long>(size));
        return 1;
    }
    u8* buffer = static_cast<u8*>(MemoryAllocate(static_cast<u32>(size)));
    if (!buffer)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kStreamError, "no memory for an image of %u bytes",
                    static_cast<u32>(size));
        return 1;
    }
    i32 result = 1;
    // The header is kept, not read again: a stream read front to back (a saved game inflating as
    // it is read) cannot go back to it.
    std::memcpy(buffer, &header, CLUSTER_HEADER_SIZE);
    const i32 rest = static_cast<i32>(size) - static_cast<i32>(CLUSTER_HEADER_SIZE);
    if (stream.Read(buffer + CLUSTER_HEADER_SIZE, rest) == rest)
        result = Load(buffer, static_cast<u32>(size),
                      CLUSTER_LOAD_COPY | CLUSTER_LOAD_QUIET | CLUSTER_LOAD_NO_CLEAR);
    else
        TLog::Print(g_pSystemLog, LOG_ERROR, kStreamError, "image truncated");
    MemoryFree(buffer);
    return result;
}

void TCluster::NotifyListeners()
{
    std::memset(m_aUnannounced, 0, sizeof m_aUnannounced);
    for (u32 i = 0; i < m_aListener.GetCount(); ++i)
        m_aListener[i]->OnClusterLoad();
}

// ---------------------------------------------------------------------------------------------
// Save

// Turns addresses into stored offsets and holds the working state of one save. Every array
// with objects is one or more address ranges: a block, or a pointer array whose objects lie one
// after the other, is one range; each object of a scattered pointer array is a range of its
// own. A type's ranges lie together sorted by address for its typed references; a second table
// of every range sorted by address finds the array of a reference of any type.
class TCluster::TSaveMap
{
public:
    struct TRange
    {
        u32 nBegin;
        u32 nSize;
        u32 nBase; // the stored offset of the range's first byte
        u32 nType;
        u32 nObjectSize;
    };

    // One reference word of an object, as the save converts it.
    struct TWord
    {
        u32 nOffset;
        u16 nMember;
        u16 nElement;
        u32 nAction;
        // SAVE_BLOCK: the target type's one range, of base 0 (empty when it holds no objects),
        // and the test of an object's start in it.
        u32 nBegin;
        u32 nSize;
        u32 nOddInverse;
        u32 nShift;
        u32 nObjectStarts;
        // SAVE_SCATTERED: the ranges of the target type's objects.
        const TRange* pRanges;
        u32 nRanges;
    };

    enum : u32
    {
        SAVE_VIRTUAL_TABLE,
        SAVE_BLOCK,     // typed, into an array whose objects lie one after the other
        SAVE_SCATTERED, // typed, into a scattered pointer array
        SAVE_ANY,
    };

    explicit TSaveMap(const TClusterSlot* slots) : m_pLastAny(nullptr)
    {
        std::memset(m_aTypeRanges, 0, sizeof m_aTypeRanges);
        for (u32 type = 1; type < CLUSTER_TYPE_COUNT; ++type)
        {
            const TClusterSlot& slot = slots[type];
            if (!slot.pManager || slot.nSize == 0)
                continue;
            const u32 objectSize = slot.pDecl->GetObjectSize();
            const u32 count = static_cast<u32>(slot.nSize) / objectSize;
            u8* const begin = SlotObject(slot, 0, objectSize);
            bool scattered = false;
            if (slot.nKind == CLUSTER_ARRAY_POINTERS)
                for (u32 i = 1; i < count && !scattered; ++i)
                    scattered = SlotObject(slot, i, objectSize) != begin + i * objectSize;
            const i32 first = m_aRange.GetCount();
            if (!scattered)
                m_aRange.Add({PointerWord(begin), static_cast<u32>(slot.nSize), 0, type, objectSize});
            else
            {
                for (u32 i = 0; i < count; ++i)
                    m_aRange.Add({PointerWord(SlotObject(slot, i, objectSize)), objectSize, i * objectSize, type,
                                  objectSize});
                std::sort(m_aRange.At(first), m_aRange.At(m_aRange.GetCount()), ByBegin);
            }
            m_aTypeRanges[type] = {static_cast<u32>(first), static_cast<u32>(m_aRange.GetCount() - first)};
        }
        m_aAny.SetCount(m_aRange.GetCount());
        if (m_aRange.GetCount() > 0)
        {
            std::memcpy(m_aAny.GetData(), m_aRange.GetData(), m_aRange.GetCount() * sizeof(TRange));
            std::sort(m_aAny.At(0), m_aAny.At(m_aAny.GetCount()), ByBegin);
        }
    }

    // The reference words of the type's objects, looked up once per array; the other words
    // after the virtual tables go to PlainWords.
    const DArray<TWord>& PlanWords(const TClusterTypeDecl* decl, u32 prototypeBytes)
    {
        m_aWord.SetCount(0);
        m_aPlain.SetCount(0);
        m_aDeclared.SetCount(static_cast<i32>(decl->GetObjectSize() / 4));
        std::memset(m_aDeclared.GetData(), 0, static_cast<size_t>(m_aDeclared.GetCount()));
        for (u32 m = 0; m < decl->GetMemberCount(); ++m)
        {
            const TClusterMemberDecl& member = decl->GetMember(m);
            TWord word = {};
            word.nMember = static_cast<u16>(m);
            const TTypeRanges& target = m_aTypeRanges[member.nTypeId];
            if (member.nKind == CLUSTER_MEMBER_VIRTUAL_TABLE)
                word.nAction = SAVE_VIRTUAL_TABLE;
            else if (member.nTypeId == 0)
                word.nAction = SAVE_ANY;
            else if (target.nCount > 1)
            {
                word.nAction = SAVE_SCATTERED;
                word.pRanges = m_aRange.GetData() + target.nFirst;
                word.nRanges = target.nCount;
            }
            else
            {
                word.nAction = SAVE_BLOCK;
                if (target.nCount == 1)
                {
                    const TRange& range = m_aRange[static_cast<i32>(target.nFirst)];
                    word.nBegin = range.nBegin;
                    word.nSize = range.nSize;
                    PlanObjectStarts(range.nObjectSize, word.nOddInverse, word.nShift, word.nObjectStarts);
                }
            }
            for (u32 e = 0; e < member.nCount; ++e)
            {
                word.nOffset = member.nOffset + 4 * e;
                word.nElement = static_cast<u16>(e);
                m_aWord.Add(word);
                if (word.nOffset / 4 < static_cast<u32>(m_aDeclared.GetCount()))
                    m_aDeclared[static_cast<i32>(word.nOffset / 4)] = 1;
            }
        }
        for (u32 w = prototypeBytes / 4; w < static_cast<u32>(m_aDeclared.GetCount()); ++w)
            if (!m_aDeclared[static_cast<i32>(w)])
                m_aPlain.Add(4 * w);
        return m_aWord;
    }

    // The offsets of the words PlanWords found no member for.
    const DArray<u32>& PlainWords() const { return m_aPlain; }

    // The byte offset of the address from the first object of a SAVE_SCATTERED word's array.
    static bool Offset(const TWord& word, u32 address, u32& stored)
    {
        const TRange* range = Find(word.pRanges, word.nRanges, address);
        if (!range || address != range->nBegin)
            return false;
        stored = range->nBase;
        return true;
    }

    // A typed reference into a block: the offset of an object's start.
    static bool BlockOffset(const TWord& word, u32 address, u32& stored)
    {
        stored = address - word.nBegin;
        return stored < word.nSize && IsObjectStart(stored, word.nOddInverse, word.nShift, word.nObjectStarts);
    }

    // The stored word of a reference of any type: the array's type and the offset in words.
    bool Locate(u32 address, u32& stored)
    {
        // References of one member tend to point into the same array.
        const TRange* range = m_pLastAny;
        if (!range || address - range->nBegin >= range->nSize)
        {
            range = Find(m_aAny.GetData(), static_cast<u32>(m_aAny.GetCount()), address);
            if (!range || address - range->nBegin >= range->nSize)
                return false;
            m_pLastAny = range;
        }
        const u32 offset = range->nBase + (address - range->nBegin);
        if (offset % range->nObjectSize != 0 || offset % 4 != 0 || offset / 4 > 0xFFFFFF || range->nType > 0xFF)
            return false;
        stored = range->nType << 24 | offset / 4;
        return true;
    }

    // Objects are converted here, a run at a time, while the run is still in the cache.
    DArray<u8> m_aScratch;

private:
    struct TTypeRanges
    {
        u32 nFirst;
        u32 nCount;
    };

    static bool ByBegin(const TRange& a, const TRange& b) { return a.nBegin < b.nBegin; }

    // The last of the sorted ranges that begins at or before the address, or null.
    static const TRange* Find(const TRange* first, u32 count, u32 address)
    {
        const TRange* next = std::upper_bound(first, first + count, address,
                                              [](u32 a, const TRange& r) { return a < r.nBegin; });
        return next == first ? nullptr : next - 1;
    }

    DArray<TRange> m_aRange;
    TTypeRanges m_aTypeRanges[CLUSTER_TYPE_COUNT];
    DArray<TRange> m_aAny;
    const TRange* m_pLastAny;
    DArray<TWord> m_aWord;
    DArray<u32> m_aPlain;
    DArray<u8> m_aDeclared;
};

bool TCluster::_Save(TStream& stream, const TClusterSlot& slot, i32 count, TSaveMap& map)
{
    const TClusterTypeDecl* decl = slot.pDecl;
    const u32 objectSize = decl->GetObjectSize();
    // The words a load copies from the prototype (virtual tables) hold this run's addresses:
    // they are written as 0, so that an image's bytes do not depend on where the writer ran.
    const u32 prototypeBytes = decl->GetPrototype() ? decl->GetVirtualTableWords() * 4u : 0;
    // A block of plain records (no references, no virtual tables) is written as it is.
    if (decl->GetMemberCount() == 0 && prototypeBytes == 0 && slot.nKind == CLUSTER_ARRAY_MANAGED)
        return count == 0 || stream.Write(slot.pData, slot.nSize) == slot.nSize;

    const DArray<TSaveMap::TWord>& plan = map.PlanWords(decl, prototypeBytes);
    const u32* const plain = map.PlainWords().GetData();
    const u32* const plainEnd = plain + map.PlainWords().GetCount();
    const TSaveMap::TWord* const words = plan.GetData();
    const TSaveMap::TWord* const wordsEnd = words + plan.GetCount();
    const u32 perRun = std::max<u32>(1, CLUSTER_COPY_RUN / objectSize);
    DArray<u8>& scratch = map.m_aScratch;
    if (static_cast<u32>(scratch.GetCount()) < perRun * objectSize)
        scratch.SetCount(static_cast<i32>(perRun * objectSize));

    bool written = true;
    for (u32 first = 0; first < static_cast<u32>(count); first += perRun)
    {
        const u32 run = std::min<u32>(perRun, static_cast<u32>(count) - first);
        if (slot.nKind == CLUSTER_ARRAY_MANAGED)
            std::memcpy(scratch.GetData(), slot.pData + first * objectSize, run * objectSize);
        else
            for (u32 c = 0; c < run; ++c)
                std::memcpy(scratch.GetData() + c * objectSize, SlotObject(slot, first + c, objectSize),
                            objectSize);
        u8* object = scratch.GetData();
        for (u32 c = 0; c < run; ++c, object += objectSize)
        {
            std::memset(object, 0, prototypeBytes);
            // A word naming its own object (a listener's owner, a list head on itself) holds this
            // run's address: written as 0, as its owner sets it again after a load.
            const u32 self = PointerWord(SlotObject(slot, first + c, objectSize));
            for (const u32* offset = plain; offset != plainEnd; ++offset)
                if (ReadWord(object + *offset) - self < objectSize)
                    WriteWord(object + *offset, 0);
            for (const TSaveMap::TWord* word = words; word != wordsEnd; ++word)
            {
                u8* const at = object + word->nOffset;
                const u32 pointer = ReadWord(at);
                u32 stored = CLUSTER_VIRTUAL_TABLE;
                bool valid = true;
                if (word->nAction == TSaveMap::SAVE_VIRTUAL_TABLE)
                    ;
                else if (pointer == 0 || pointer == CLUSTER_UNINITIALISED)
                    stored = CLUSTER_NULL;
                else if (word->nAction == TSaveMap::SAVE_BLOCK)
                    valid = TSaveMap::BlockOffset(*word, pointer, stored);
                else
                    valid = word->nAction == TSaveMap::SAVE_SCATTERED
                                ? TSaveMap::Offset(*word, pointer, stored)
                                : map.Locate(pointer, stored);
                if (!valid)
                    __Abort("TCluster::_Save", kFile, __LINE__, "%s[%d].%s(%d:[%d]) : member is invalid",
                            decl->GetName(), first + c, decl->GetMember(word->nMember).szName, word->nMember,
                            word->nElement);
                WriteWord(at, stored);
            }
        }
        const i32 bytes = static_cast<i32>(run * objectSize);
        written = written && stream.Write(scratch.GetData(), bytes) == bytes;
    }
    return written;
}

i32 TCluster::SaveToStream(TStream& stream, TClusterManager* const* managers, i32 managerCount)
{
    RefillSlots();
    auto listed = [&](const TClusterManager* manager) {
        for (i32 i = 0; i < managerCount; ++i)
            if (managers[i] == manager)
                return true;
        return false;
    };

    // The arrays of the listed managers, in registration order; each type once.
    SArray<const TClusterSlot*, CLUSTER_ARRAY_COUNT, 0> saved;
    SArray<u32, 2 * CLUSTER_ARRAY_COUNT, 0> table;
    for (u32 i = 0; i < m_aArray.GetCount(); ++i)
    {
        const TClusterManagerItem& item = m_aArray[i];
        if (!listed(item.pManager))
            continue;
        const TClusterSlot& slot = m_aSlot[item.pDecl->GetTypeId()];
        if (slot.pManager != item.pManager || slot.pHolder != item.pHolder)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kSaveError, "'%s': a second array of the type is not saved",
                        item.pDecl->GetName());
            continue;
        }
        saved.Add(&slot);
        table.Add(static_cast<u32>(slot.nSize) / slot.pDecl->GetObjectSize());
        table.Add(item.pDecl->GetTypeId());
    }

    bool written = true;
    auto write = [&](const void* data, u32 size) {
        written = written && stream.Write(data, static_cast<i32>(size)) == static_cast<i32>(size);
    };

    const i32 start = stream.GetPosition();
    TImageHeader header = {CLUSTER_MAGIC, CLUSTER_VERSION, 0xFFFFFFFF, saved.GetCount(), 0};
    write(&header, CLUSTER_HEADER_SIZE);
    write(table.GetData(), 4 * table.GetCount());

    TSaveMap map(m_aSlot);
    for (u32 j = 0; j < saved.GetCount(); ++j)
        written = _Save(stream, *saved[j], static_cast<i32>(table[2 * j]), map) && written;

    for (i32 i = 0; i < managerCount; ++i)
    {
        TClusterManager* manager = managers[i];
        const i32 blocks = manager->GetDataCount();
        if (blocks <= 0)
            continue;
        u32 m = 0;
        while (m < m_ManagerIds.GetCount() && m_ManagerIds[m].value != manager)
            ++m;
        if (m == m_ManagerIds.GetCount())
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kSaveError,
                        "data blocks of a manager without an id not saved");
            continue;
        }
        ++header.nManagerCount;
        write(&m_ManagerIds[m].key, 4);
        for (i32 b = 0; b < blocks; ++b)
        {
            void* data = nullptr;
            i32 size = 0;
            manager->GetData(b, data, size);
            write(&size, 4);
            write(data, static_cast<u32>(size));
        }
    }

    const u32 userIds = m_UserIds.GetCount();
    write(&userIds, 4);
    write(m_UserIds.GetData(), 8 * userIds);

    const i32 end = stream.GetPosition();
    header.nDataSize = static_cast<u32>(end - start) - CLUSTER_HEADER_SIZE - 8 * header.nArrayCount;
    stream.Seek(start, STREAM_SEEK_SET);
    write(&header, CLUSTER_HEADER_SIZE);
    stream.Seek(end, STREAM_SEEK_SET);
    if (!written)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kSaveError, "the stream refused the image");
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Handles and user ids

TClusterManager* TCluster::GetArrayManager(u32 typeId) const
{
    for (u32 i = 0; i < m_aArray.GetCount(); ++i)
        if (m_aArray[i].pDecl->GetTypeId() == typeId)
            return m_aArray[i].pManager;
    return nullptr;
}

TClusterHandle TCluster::GetHandle(const void* address) const
{
    if (!address)
        return TClusterHandle();
    const u8* target = static_cast<const u8*>(address);
    for (u32 a = 0; a < m_aArray.GetCount(); ++a)
    {
        const TClusterManagerItem& item = m_aArray[a];
        if (item.nKind != CLUSTER_ARRAY_POINTERS)
            continue;
        void* data = nullptr;
        i32 count = 0;
        item.GetArray(data, count);
        const u32 size = item.pDecl->GetObjectSize();
        for (i32 i = 0; i < count; ++i)
        {
            const u8* object = static_cast<const u8*>(static_cast<void**>(data)[i]);
            if (target >= object && target < object + size)
                return TClusterHandle(static_cast<u16>(i), item.pDecl->GetTypeId());
        }
    }
    return TClusterHandle();
}

TClusterHandle TCluster::__GetUserIdObject(u32 userId) const
{
    const i32 index = m_UserIds.FindKey(static_cast<i32>(userId));
    if (index < 0)
    {
        TName name;
        name.SetId(userId);
        __Abort("TCluster::__GetUserIdObject", kFile, __LINE__,
                "unable to find cluster object with user id 0x%08x ('%s')", userId, name.GetText());
    }
    return m_UserIds[index].value;
}
