// Load and save of a cluster image of about 50 MB holding about a million small objects with
// links of every kind; loads are measured against a plain memcpy of the same bytes in the same
// run (first load: at most 1.5 times a memcpy into fresh memory; reload: at most 2.5 times a
// memcpy).
#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "core/system/memory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace
{
constexpr u16 NODE_TYPE = 30;
constexpr u16 LEAF_TYPE = 31;
constexpr u16 LINK_TYPE = 32;
constexpr u16 BLOB_TYPE = 33;
constexpr u16 PART_TYPE = 34;

constexpr i32 NODE_COUNT = 400000;
constexpr i32 LEAF_COUNT = 300000;
constexpr i32 LINK_COUNT = 300000;
constexpr i32 BLOB_COUNT = 70000;

struct TBenchLink;
struct TBenchLeaf;

struct TBenchNode
{
    u32 nTable; // stands for a virtual-table word
    TBenchNode* pNext;
    TBenchLeaf* pLeaf;
    void* pAny;
    TBenchLink* pLinks;
    u32 nPartTable;
    u32 aValue[2];
};

struct TBenchLeaf
{
    TBenchNode* pNode;
    void* pAny;
    u32 aValue[10];
};

struct TBenchLink
{
    void* pTarget;
    TBenchLeaf* pLeaf;
    u32 aValue[2];
};

struct TBenchBlob
{
    u32 aValue[64];
};

static_assert(sizeof(TBenchNode) == 32 && sizeof(TBenchLeaf) == 48 && sizeof(TBenchLink) == 16);

const u32 s_NodePrototype[8] = {0x11111111};
const u32 s_PartPrototype[2] = {0x22222222};

TClusterTypeDecl s_NodeDecl("TBenchNode", NODE_TYPE, sizeof(TBenchNode), s_NodePrototype, 1,
                            {
                                TClusterField(1, offsetof(TBenchNode, pNext), NODE_TYPE, 1, "pNext"),
                                TClusterField(1, offsetof(TBenchNode, pLeaf), LEAF_TYPE, 1, "pLeaf"),
                                TClusterField(1, offsetof(TBenchNode, pAny), 0, 1, "pAny"),
                                TClusterField(3, offsetof(TBenchNode, pLinks), LINK_TYPE, 1, "TBenchLink"),
                                TClusterField(4, offsetof(TBenchNode, nPartTable), PART_TYPE, 1,
                                              "TBenchPart::__vfptr"),
                            });
TClusterTypeDecl s_LeafDecl("TBenchLeaf", LEAF_TYPE, sizeof(TBenchLeaf), nullptr, 0,
                            {
                                TClusterField(1, offsetof(TBenchLeaf, pNode), NODE_TYPE, 1, "pNode"),
                                TClusterField(1, offsetof(TBenchLeaf, pAny), 0, 1, "pAny"),
                            });
TClusterTypeDecl s_LinkDecl("TBenchLink", LINK_TYPE, sizeof(TBenchLink), nullptr, 0,
                            {
                                TClusterField(1, offsetof(TBenchLink, pTarget), 0, 1, "pTarget"),
                                TClusterField(1, offsetof(TBenchLink, pLeaf), LEAF_TYPE, 1, "pLeaf"),
                            });
TClusterTypeDecl s_BlobDecl("TBenchBlob", BLOB_TYPE, sizeof(TBenchBlob), nullptr, 0);
TClusterTypeDecl s_PartDecl("TBenchPart", PART_TYPE, 8, s_PartPrototype, 1);

TClusterDynManager* s_pNodes = g_pCluster->RegisterDynManager(&s_NodeDecl);
TClusterDynManager* s_pLeaves = g_pCluster->RegisterDynManager(&s_LeafDecl);
TClusterDynManager* s_pLinks = g_pCluster->RegisterDynManager(&s_LinkDecl);
TClusterDynManager* s_pBlobs = g_pCluster->RegisterDynManager(&s_BlobDecl);
TClusterManager* const s_Managers[] = {s_pNodes, s_pLeaves, s_pLinks, s_pBlobs};

template <class T> T* Fill(TClusterDynManager* manager, i32 count)
{
    std::vector<u8> zero(count * sizeof(T));
    manager->SetArray(0, zero.data(), count);
    void* data = nullptr;
    manager->GetArray(0, data, count);
    return static_cast<T*>(data);
}

// The arrays filled with a random graph, saved once.
const std::vector<u8>& Image()
{
    static std::vector<u8> s_image;
    if (!s_image.empty())
        return s_image;
    g_pCluster->LinkTypes();
    TBenchNode* nodes = Fill<TBenchNode>(s_pNodes, NODE_COUNT);
    TBenchLeaf* leaves = Fill<TBenchLeaf>(s_pLeaves, LEAF_COUNT);
    TBenchLink* links = Fill<TBenchLink>(s_pLinks, LINK_COUNT);
    Fill<TBenchBlob>(s_pBlobs, BLOB_COUNT);
    u32 seed = 12345;
    auto next = [&seed](i32 n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<i32>((seed >> 8) % static_cast<u32>(n));
    };
    for (i32 i = 0; i < NODE_COUNT; ++i)
    {
        nodes[i].pNext = &nodes[next(NODE_COUNT)];
        nodes[i].pLeaf = i % 4 ? &leaves[next(LEAF_COUNT)] : nullptr;
        nodes[i].pAny = i % 2 ? static_cast<void*>(&links[next(LINK_COUNT)]) : &leaves[next(LEAF_COUNT)];
        nodes[i].pLinks = &links[next(LINK_COUNT)];
    }
    for (i32 i = 0; i < LEAF_COUNT; ++i)
    {
        leaves[i].pNode = &nodes[next(NODE_COUNT)];
        leaves[i].pAny = i % 3 ? &nodes[next(NODE_COUNT)] : nullptr;
    }
    for (i32 i = 0; i < LINK_COUNT; ++i)
    {
        links[i].pTarget = &nodes[next(NODE_COUNT)];
        links[i].pLeaf = &leaves[next(LEAF_COUNT)];
    }
    TMemoryStream stream;
    g_pCluster->SaveToStream(stream, s_Managers, 4);
    s_image.assign(stream.GetData(), stream.GetData() + stream.GetSize());
    return s_image;
}

void SetBytes(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["objects"] = NODE_COUNT + LEAF_COUNT + LINK_COUNT + BLOB_COUNT;
    state.counters["MB"] = bytes / 1048576.0;
}

using TClock = std::chrono::steady_clock;

f64 MillisecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::milli>(TClock::now() - start).count();
}

// One copy of the image: the yardstick of a load, into memory copied to before or into freshly
// allocated memory (page faults included, the release not).
f64 MemcpyMilliseconds(const std::vector<u8>& image, std::vector<u8>& kept, bool fresh)
{
    u8* copy = fresh ? static_cast<u8*>(MemoryAllocate(static_cast<u32>(image.size()))) : kept.data();
    const TClock::time_point start = TClock::now();
    std::memcpy(copy, image.data(), image.size());
    benchmark::DoNotOptimize(copy);
    benchmark::ClobberMemory();
    const f64 ms = MillisecondsSince(start);
    if (fresh)
        MemoryFree(copy);
    return ms;
}

f64 Median(std::vector<f64>& times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Hands the objects over: the managed arrays copy the image's objects and fix them up. A first
// load finds no storage (released between iterations, outside the timing); a reload finds the
// storage of the previous load. Each load follows its yardstick's copy, outside the timing, so
// that both see the same machine; the medians are reported side by side: ratio <= limit.
void LoadAgainstMemcpy(benchmark::State& state, bool first)
{
    std::vector<u8> image = Image();
    std::vector<u8> kept(image.size());
    std::vector<f64> loads, copies;
    for (auto _ : state)
    {
        state.PauseTiming();
        if (first)
            g_pCluster->ReleaseArrays();
        copies.push_back(MemcpyMilliseconds(image, kept, first));
        state.ResumeTiming();
        const TClock::time_point start = TClock::now();
        if (g_pCluster->Load(image.data(), static_cast<u32>(image.size()), CLUSTER_LOAD_QUIET) != 0)
            state.SkipWithError("load refused");
        loads.push_back(MillisecondsSince(start));
    }
    const f64 load = Median(loads), copy = Median(copies);
    SetBytes(state, image.size());
    state.counters["load_ms"] = load;
    state.counters["memcpy_ms"] = copy;
    state.counters["ratio"] = load / copy;
    state.counters["limit"] = first ? 1.5 : 2.5;
}

void BM_FirstLoad(benchmark::State& state)
{
    LoadAgainstMemcpy(state, true);
}

void BM_Reload(benchmark::State& state)
{
    LoadAgainstMemcpy(state, false);
}

// Copies over the arrays already held (the arrays keep their storage).
void BM_LoadCopy(benchmark::State& state)
{
    std::vector<u8> image = Image();
    g_pCluster->Load(image.data(), static_cast<u32>(image.size()), CLUSTER_LOAD_QUIET);
    for (auto _ : state)
        if (g_pCluster->Load(image.data(), static_cast<u32>(image.size()),
                             CLUSTER_LOAD_COPY | CLUSTER_LOAD_QUIET | CLUSTER_LOAD_NO_CLEAR) != 0)
            state.SkipWithError("load refused");
    SetBytes(state, image.size());
}

void BM_Save(benchmark::State& state)
{
    std::vector<u8> image = Image();
    g_pCluster->Load(image.data(), static_cast<u32>(image.size()), CLUSTER_LOAD_QUIET);
    TMemoryStream stream;
    stream.SetSize(static_cast<i32>(image.size()));
    for (auto _ : state)
    {
        stream.Seek(0, STREAM_SEEK_SET);
        g_pCluster->SaveToStream(stream, s_Managers, 4);
    }
    if (static_cast<size_t>(stream.GetSize()) != image.size())
        state.SkipWithError("saved image differs in size");
    SetBytes(state, image.size());
}

BENCHMARK(BM_FirstLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Reload)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadCopy)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace
