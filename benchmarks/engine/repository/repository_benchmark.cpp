// Loading a 64 MB repository read whole, plain and compressed, beside reading the same file
// into memory (a plain read, and the core's compressed-file reader); and the first read of a
// block of a memory-mapped dependency beside a pread of the same bytes. Run the pairs in the
// same run: the machine is shared, only the ratios mean something.
#include "core/cluster/cluster.h"
#include "core/compression/compressedfile.h"
#include "core/stream/filestreammanager.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/managermanager.h"
#include "engine/system/repository.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"
#include "repositorywriter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
constexpr u32 kImageSize = 64 << 20;
constexpr u32 kBlockSize = 1 << 20;

struct TFiles
{
    // The files go with the program.
    ~TFiles()
    {
        if (!plain.empty())
        {
            std::remove(plain.c_str());
            std::remove(compressed.c_str());
        }
    }
    std::string plain;
    std::string compressed;
    u32 blockOffset = 0;
};

// A synthetic mesh block (a grid of vertices over a smooth height field), as the core's
// compressed-read benchmark uses, in one resource of a repository.
const TFiles& Files()
{
    static TFiles s_Files;
    if (!s_Files.plain.empty())
        return s_Files;
    MemoryDelete(g_pSystemLog);
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    g_pFileStreamManager->SetDirectory(TName(".", true));
    g_pCluster->LinkTypes();
    g_ManagerManager.CreateSystem(TName("benchmark", true));
    g_ManagerManager.Initialize();

    std::vector<u8> image(kImageSize);
    auto* vertex = reinterpret_cast<f32*>(image.data());
    for (u32 i = 0; i < kImageSize / 32; ++i)
    {
        const f32 x = static_cast<f32>(i % 1024);
        const f32 z = static_cast<f32>(i / 1024);
        const f32 v[8] = {x,       4.0f * std::sin(x * 0.05f) * std::cos(z * 0.03f), z, 0, 1, 0, x / 1024,
                          z / 1024};
        for (int k = 0; k < 8; ++k)
            vertex[8 * i + k] = v[k];
    }
    const std::string base = "/tmp/vestamor_repository_" + std::to_string(getpid());
    TRepositoryWriter writer(1, REPOSITORY_MAPPED);
    TResource* mesh = g_pResourceManager->CreateResource("mesh");
    writer.AddBlock(mesh, image.data(), kImageSize);
    s_Files.blockOffset = mesh->m_nDataOffset;
    TClusterManager* managers[8];
    s_Files.plain = base + ".data";
    s_Files.compressed = base + "_z.data";
    writer.Write(s_Files.plain.c_str(), managers, TRepositoryWriter::SceneManagers(managers), false);
    writer.Write(s_Files.compressed.c_str(), managers, TRepositoryWriter::SceneManagers(managers), true);
    g_pCluster->Clear();
    return s_Files;
}

void Load(benchmark::State& state, const std::string& path)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(g_pResourceManager->LoadRepository(path.c_str(), 0));
    g_pCluster->Clear();
    g_pResourceManager->CloseRepositories(0);
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

void LoadRepositoryPlain(benchmark::State& state)
{
    Load(state, Files().plain);
}

void LoadRepositoryCompressed(benchmark::State& state)
{
    Load(state, Files().compressed);
}

// The reference of the plain load: the file read into fresh memory.
void ReadFileIntoMemory(benchmark::State& state)
{
    const std::string& path = Files().plain;
    for (auto _ : state)
    {
        const int file = open(path.c_str(), O_RDONLY);
        const off_t size = lseek(file, 0, SEEK_END);
        // Fresh memory, not cleared first, as the repository reader's.
        u8* bytes = static_cast<u8*>(MemoryAllocate(static_cast<u32>(size)));
        benchmark::DoNotOptimize(pread(file, bytes, static_cast<size_t>(size), 0));
        MemoryFree(bytes);
        close(file);
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

// The reference of the compressed load: the core's reader of compressed files.
void ReadCompressedFileReference(benchmark::State& state)
{
    const std::string& path = Files().compressed;
    for (auto _ : state)
    {
        DArray<u8> output;
        benchmark::DoNotOptimize(ReadCompressedFile(path.c_str(), output, nullptr));
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

// A fresh mapping each time: the block's pages are touched for the first time by the copy.
void MappedFirstBlockRead(benchmark::State& state)
{
    const TFiles& files = Files();
    std::vector<u8> target(kBlockSize);
    TResource block;
    for (auto _ : state)
    {
        TRepository repository(3, REPOSITORY_MAPPED, TName("mapped", true));
        repository.OpenMapped(files.plain.c_str());
        benchmark::DoNotOptimize(repository.__LoadBlock(
            &block, 0, target.data(), files.blockOffset + kBlockSize, kBlockSize, RESOURCE_READ_NO_NOTIFY));
    }
    state.SetBytesProcessed(state.iterations() * kBlockSize);
}

void PreadOfTheSameBytes(benchmark::State& state)
{
    const TFiles& files = Files();
    std::vector<u8> target(kBlockSize);
    for (auto _ : state)
    {
        const int file = open(files.plain.c_str(), O_RDONLY);
        benchmark::DoNotOptimize(pread(file, target.data(), kBlockSize, files.blockOffset + kBlockSize));
        close(file);
    }
    state.SetBytesProcessed(state.iterations() * kBlockSize);
}
} // namespace

BENCHMARK(ReadFileIntoMemory)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(LoadRepositoryPlain)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(ReadCompressedFileReference)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(LoadRepositoryCompressed)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(PreadOfTheSameBytes)->Unit(benchmark::kMicrosecond)->Repetitions(3);
BENCHMARK(MappedFirstBlockRead)->Unit(benchmark::kMicrosecond)->Repetitions(3);
