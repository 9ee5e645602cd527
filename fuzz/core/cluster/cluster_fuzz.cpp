// Feeds arbitrary bytes to TCluster::Load over a few registered types with links of every kind.
// A load that succeeds must save again without a fatal "member is invalid", the saved image
// must load back over the arrays, and a second save must give the same bytes as the first.
// VESTAMOR_FUZZ_SEED=<file> writes a valid image as a seed (corpus/seed is one).
#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
constexpr u16 LINK_TYPE = 20;
constexpr u16 NODE_TYPE = 21;
constexpr u16 LEAF_TYPE = 22;
constexpr u16 PART_TYPE = 23;
constexpr i32 BLOCK_MANAGER_ID = 7;

struct TFuzzLink
{
    u32 nKey;
    void* pTarget;
};

struct TFuzzNode
{
    u32 nTable; // stands for a virtual-table word
    TFuzzNode* pParent;
    struct TFuzzLeaf* aLeaf[2];
    TFuzzLink* pLinks;
    u32 nPartTable;
    u32 nValue;
};

struct TFuzzLeaf
{
    TFuzzNode* pNode;
    void* pAny;
    u32 nValue;
};

static_assert(sizeof(TFuzzNode) == 28);

const u32 s_NodePrototype[7] = {0x11111111};
const u32 s_PartPrototype[2] = {0x22222222};

TClusterTypeDecl s_LinkDecl("TFuzzLink", LINK_TYPE, sizeof(TFuzzLink), nullptr, 0,
                            {TClusterField(1, offsetof(TFuzzLink, pTarget), 0, 1, "pTarget")});
TClusterTypeDecl s_NodeDecl("TFuzzNode", NODE_TYPE, sizeof(TFuzzNode), s_NodePrototype, 1,
                            {
                                TClusterField(1, offsetof(TFuzzNode, pParent), NODE_TYPE, 1, "pParent"),
                                TClusterField(1, offsetof(TFuzzNode, aLeaf), LEAF_TYPE, 2, "aLeaf"),
                                TClusterField(3, offsetof(TFuzzNode, pLinks), LINK_TYPE, 1, "TFuzzLink"),
                                TClusterField(4, offsetof(TFuzzNode, nPartTable), PART_TYPE, 1,
                                              "TFuzzPart::__vfptr"),
                            });
TClusterTypeDecl s_LeafDecl("TFuzzLeaf", LEAF_TYPE, sizeof(TFuzzLeaf), nullptr, 0,
                            {
                                TClusterField(1, offsetof(TFuzzLeaf, pNode), NODE_TYPE, 1, "pNode"),
                                TClusterField(1, offsetof(TFuzzLeaf, pAny), 0, 1, "pAny"),
                            });
TClusterTypeDecl s_PartDecl("TFuzzPart", PART_TYPE, 8, s_PartPrototype, 1);

// Nodes in a pointer array; two raw data blocks.
class TNodeManager : public TClusterManager
{
public:
    TNodeManager()
    {
        RegisterArray(&s_NodeDecl, &aNode);
        RegisterId(BLOCK_MANAGER_ID);
    }
    i32 GetDataCount() override { return 2; }
    i32 GetData(i32 index, void*& data, i32& size) override
    {
        data = aBlock[index].data();
        size = static_cast<i32>(aBlock[index].size());
        return 0;
    }
    i32 SetData(i32 index, const void* data, i32 size) override
    {
        aBlock[index].assign(static_cast<const u8*>(data), static_cast<const u8*>(data) + size);
        return 0;
    }

    DArray<TFuzzNode*> aNode;
    std::vector<u8> aBlock[2];
};

TNodeManager s_NodeManager;
TClusterDynManager* s_pLinkManager = g_pCluster->RegisterDynManager(&s_LinkDecl);
TClusterDynManager* s_pLeafManager = g_pCluster->RegisterDynManager(&s_LeafDecl);

TClusterManager* const s_Managers[] = {&s_NodeManager, s_pLinkManager, s_pLeafManager};

// Two nodes (a cycle through their parents), three leaves and two links.
void WriteSeed(const char* path)
{
    static TFuzzNode nodes[2] = {};
    void* zero[16] = {};
    s_pLeafManager->SetArray(LEAF_TYPE, zero, 3);
    s_pLinkManager->SetArray(LINK_TYPE, zero, 2);
    void* data = nullptr;
    i32 count = 0;
    s_pLeafManager->GetArray(LEAF_TYPE, data, count);
    TFuzzLeaf* leaves = static_cast<TFuzzLeaf*>(data);
    s_pLinkManager->GetArray(LINK_TYPE, data, count);
    TFuzzLink* links = static_cast<TFuzzLink*>(data);
    s_NodeManager.aNode.SetCount(2);
    for (i32 i = 0; i < 2; ++i)
    {
        s_NodeManager.aNode[i] = &nodes[i];
        nodes[i] = {0, &nodes[1 - i], {&leaves[i], &leaves[2]}, &links[i], 0, 5u + i};
    }
    for (i32 l = 0; l < 3; ++l)
        leaves[l] = {&nodes[l % 2], l == 1 ? static_cast<void*>(&links[1]) : nullptr, 9u};
    links[0] = {1, &nodes[1]};
    links[1] = {2, &leaves[2]};
    s_NodeManager.aBlock[0] = {1, 2, 3};
    s_NodeManager.aBlock[1] = {4};

    TMemoryStream stream;
    g_pCluster->SaveToStream(stream, s_Managers, 3);
    FILE* file = std::fopen(path, "wb");
    if (file)
    {
        std::fwrite(stream.GetData(), 1, stream.GetSize(), file);
        std::fclose(file);
    }
    g_pCluster->Clear();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Refused images log a line each; with the file system locked they would pile up in memory.
    // The system log stays reachable: it is never deleted.
    static TLog* s_pSystemLog = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("fuzz.log", nullptr, nullptr, LOG_DISABLED);
    (void)s_pSystemLog;
    g_pCluster->LinkTypes();
    if (const char* seed = std::getenv("VESTAMOR_FUZZ_SEED"))
        WriteSeed(seed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    // Objects handed over stay in the image: it must outlive the load.
    std::vector<u8> image(data, data + size);
    if (g_pCluster->Load(image.data(), static_cast<u32>(size), 0) == 0)
    {
        TMemoryStream first;
        g_pCluster->SaveToStream(first, s_Managers, 3);
        first.Seek(0, STREAM_SEEK_SET);
        if (g_pCluster->LoadFromStream(first) != 0)
            std::abort();
        TMemoryStream second;
        g_pCluster->SaveToStream(second, s_Managers, 3);
        if (second.GetSize() != first.GetSize() ||
            std::memcmp(second.GetData(), first.GetData(), static_cast<size_t>(first.GetSize())) != 0)
            std::abort();
    }
    g_pCluster->Clear();
    return 0;
}
