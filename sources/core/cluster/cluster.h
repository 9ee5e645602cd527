#pragma once
// TCluster: the engine's reflection store. It knows every registered array of stored objects
// (one slot per type id), the managers that store raw data blocks, the listeners of loads and
// unloads, the pointers to forget at each clear and the user-id table, and turns "ICMH" images
// into live arrays (Load) and back (SaveToStream).
#include "core/cluster/clusterdynmanager.h"
#include "core/cluster/clusterhandle.h"
#include "core/cluster/clustermanageritem.h"
#include "core/cluster/clustermethods.h"
#include "core/cluster/clustertypedecl.h"
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"

class TStream;

constexpr u32 CLUSTER_MAGIC = 0x484D4349; // "ICMH"
constexpr f32 CLUSTER_VERSION = 1.0f;
constexpr u32 CLUSTER_HEADER_SIZE = 20;

// Stored reference words.
constexpr u32 CLUSTER_NULL = 0xFFFFFFFF;
constexpr u32 CLUSTER_VIRTUAL_TABLE = 0xFFFFFFFE;
// A reference of any type keeps its array's type in its top byte.
constexpr u32 CLUSTER_ANY_TYPE_COUNT = 256;
// The fill of uninitialised memory, saved as null.
constexpr u32 CLUSTER_UNINITIALISED = 0xCDCDCDCD;

// Load flags.
constexpr u32 CLUSTER_LOAD_COPY = 1;     // copy over the objects the arrays hold
constexpr u32 CLUSTER_LOAD_QUIET = 2;    // no OnClusterLoad
constexpr u32 CLUSTER_LOAD_NO_CLEAR = 4; // keep what was loaded before

constexpr u32 CLUSTER_RESET_POINTER_COUNT = 2048;
constexpr u32 CLUSTER_ARRAY_COUNT = 256;
constexpr u32 CLUSTER_DYN_MANAGER_COUNT = 32;
constexpr u32 CLUSTER_MANAGER_ID_COUNT = 256;
constexpr u32 CLUSTER_LISTENER_COUNT = 48;
constexpr u32 CLUSTER_USER_ID_COUNT = 256;

// The working view of one type id: the registered array and its data, refreshed before every
// save and load. Kind 0 data is the pointer table, kind 1 data the block; size is the byte size
// of the objects.
struct TClusterSlot : TClusterManagerItem
{
    u8* pData;
    i32 nSize;
};

static_assert(sizeof(TClusterSlot) == 24);

typedef SSet<TMapKey<i32, TClusterManager*>, CLUSTER_MANAGER_ID_COUNT, i32, 0> TClusterManagerIds;
typedef SSet<TMapKey<i32, TClusterHandle>, CLUSTER_USER_ID_COUNT, i32, 0> TClusterUserIds;

class TCluster
{
public:
    TCluster();
    ~TCluster();
    TCluster(const TCluster&) = delete;
    TCluster& operator=(const TCluster&) = delete;

    // Registration (static initialisers and manager constructors).
    void RegisterType(TClusterTypeDecl* decl);
    void RegisterArray(const TClusterManagerItem& item);
    // The registered arrays, in registration order.
    u32 GetArrayCount() const { return m_aArray.GetCount(); }
    const TClusterManagerItem& GetArrayItem(u32 index) const { return m_aArray[index]; }
    TClusterDynManager* RegisterDynManager(const TClusterTypeDecl* decl);
    i32 RegisterManagerId(i32 id, TClusterManager* manager);
    TClusterManager* FindManager(i32 id) const;
    // A manager being destroyed gives up its ids.
    void ForgetManager(TClusterManager* manager);
    void AddListener(TClusterMethods* listener);
    void ClearListeners() { m_aListener.SetCount(0); }
    // 1 when the address is registered already, else 0.
    i32 AddResetPointer(void** address);
    void RemoveResetPointer(void** address);
    // Nulls every registered pointer and empties the list (state saves, Clear).
    void ResetPointers();
    // Binds every descriptor and every registered array to the slot of its type id (once, after
    // the static initialisers ran). A descriptor whose members do not fit its objects is fatal.
    void LinkTypes();

    // Empties the arrays of loads no listener has heard of, tells the listeners, empties every
    // array, nulls the reset pointers and empties the user-id table.
    void Clear();
    // Empties the arrays only.
    void ClearArrays();
    // Empties the arrays and releases the storage of the managed ones (tear-down).
    void ReleaseArrays();

    // Loads an image of size bytes (flags CLUSTER_LOAD_*). Without CLUSTER_LOAD_COPY the objects
    // stay in the image, which the caller keeps alive as long as they are used. A damaged image
    // is refused with a log line: 1 before anything changed, 2 when a reference proved bad
    // during the fix-up (the cluster is then cleared). 0 on success.
    i32 Load(void* image, u32 size, u32 flags);
    // Reads one image at the stream's position and copies it over the arrays (flags 7).
    i32 LoadFromStream(TStream& stream);
    // Writes the arrays of the listed managers and their data blocks as one image; 0, or 1 when
    // the stream refused bytes.
    i32 SaveToStream(TStream& stream, TClusterManager* const* managers, i32 managerCount);

    // OnClusterLoad on every listener: what the arrays hold is announced.
    void NotifyListeners();
    // The manager of the first registered array of the type, or null.
    TClusterManager* GetArrayManager(u32 typeId) const;
    // The handle of the registered pointer-array element whose object holds the address.
    TClusterHandle GetHandle(const void* address) const;
    // The handle stored for the user id; an id not in the table is fatal.
    TClusterHandle __GetUserIdObject(u32 userId) const;

    const TClusterSlot& GetSlot(u32 typeId) const { return m_aSlot[typeId]; }
    // Rereads every slot's array from its manager (after managers changed their arrays).
    void RefreshSlots() { RefillSlots(); }
    u32 GetTypeCount() const { return m_aType.GetCount(); }
    const TClusterUserIds& GetUserIds() const { return m_UserIds; }
    bool IsLoaded() const { return m_nLoaded != 0; }

    // An array as the fix-up sees it.
    struct TFixTarget
    {
        u8* pData;
        u32 nLimit; // the highest offset at which a whole object lies
        u32 nObjectSize;
        // A block of a registered array: offsets below this lie inside it; else 0.
        u32 nBlockEnd;
        // The object size is an odd factor shifted left: an offset starts an object when
        // rotr(offset * nOddInverse, nShift) <= nObjectStarts, one multiply and no division.
        u32 nOddInverse;
        u32 nShift;
        u32 nObjectStarts;
        bool bPointers;
        bool bRegistered;
        bool bEmpty;
    };

    // One reference word of an object as the fix-up restores it, planned once per array and
    // load: what it becomes and where its target lies.
    struct TFixWord
    {
        u32 nOffset;
        u32 nAction;
        // FIX_VIRTUAL_TABLE: the word written; else the target array.
        u32 nVirtualTable;
        TFixTarget target;
        u16 nMember;
        u16 nElement;
    };

private:
    struct TLoadPlan;
    class TSaveMap;

    void RefillSlots();
    void RefillSlotData(TClusterSlot& slot);
    bool CheckImage(const u8* image, u32 size, TLoadPlan& plan);
    bool CheckDescriptor(const TClusterTypeDecl* decl) const;
    // Restores the virtual-table words and references of count objects of the array from the
    // first; false at the first reference outside its target array.
    bool FixUp(TClusterSlot& slot, u32 first, u32 count);
    // The address a stored word stands for, on every road but the quick ones of FixUp; false
    // when no object of its array starts there.
    bool FixWord(const TFixWord& word, u32 stored, u8*& address) const;
    // Whether a refused word lies inside its array, off an object's start.
    bool LiesInsideAnObject(const TFixWord& word, u32 stored) const;
    // The reference words of the array's objects, looked up once before its fix-up.
    void PlanFixUp(const TClusterSlot& slot);
    // The targets of references of any type, looked up once the arrays of a load are known.
    void PlanAnyTargets();
    bool CopyOver(TClusterSlot& slot, const u8* objects, u32 count);
    // The slot of the image's array j (its entry in the array table).
    TClusterSlot& LoadedSlot(const u8* table, u32 j);
    i32 RefuseDuringFixUp(const u8* table, u32 arrayCount);
    void MarkUnannounced(u32 typeId) { m_aUnannounced[typeId / 32] |= 1u << typeId % 32; }
    void EmptyUnannounced();
    bool _Save(TStream& stream, const TClusterSlot& slot, i32 count, TSaveMap& map);

    u32 m_nLoaded;
    SArray<void**, CLUSTER_RESET_POINTER_COUNT, 0> m_aResetPointer;
    SArray<TClusterManagerItem, CLUSTER_ARRAY_COUNT, 0> m_aArray;
    SArray<TClusterDynManager, CLUSTER_DYN_MANAGER_COUNT, 1> m_aDynManager;
    TClusterManagerIds m_ManagerIds;
    TClusterSlot m_aSlot[CLUSTER_TYPE_COUNT];
    SArray<TClusterTypeDecl*, CLUSTER_TYPE_COUNT, 0> m_aType;
    SArray<TClusterMethods*, CLUSTER_LISTENER_COUNT, 0> m_aListener;
    TClusterUserIds m_UserIds;
    // Working state of the fix-up: the words of the array being fixed up, and the array of
    // each type a reference of any type can name.
    DArray<TFixWord> m_aFixWord;
    TFixTarget m_aAnyTarget[CLUSTER_ANY_TYPE_COUNT];
    // The types whose arrays hold objects of a load no listener has heard of (flag 2, or a load
    // refused during its fix-up): their run-time words are still the image's, which only the
    // listeners' load checks forget, so a clear empties these arrays before telling the listeners.
    u32 m_aUnannounced[CLUSTER_TYPE_COUNT / 32];
};

extern TCluster* g_pCluster;
