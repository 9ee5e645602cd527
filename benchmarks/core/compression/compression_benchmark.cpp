// Reading a 64 MB compressed file through ReadCompressedFile against zlib's own uncompress of
// the same stream already in memory. Both produce a freshly allocated 64 MB image per run.
#include "core/compression/compressedfile.h"
#include "core/stream/filestreammanager.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace
{
constexpr u32 kImageSize = 64 << 20;

// A synthetic mesh image: a 1,024-wide grid of vertices {position, normal, uv} over a smooth
// height field.
std::vector<u8> MeshImage()
{
    struct TVertex
    {
        f32 position[3];
        f32 normal[3];
        f32 uv[2];
    };
    std::vector<u8> image(kImageSize);
    TVertex* vertex = reinterpret_cast<TVertex*>(image.data());
    const u32 count = kImageSize / sizeof(TVertex);
    for (u32 i = 0; i < count; ++i)
    {
        const f32 x = static_cast<f32>(i % 1024);
        const f32 z = static_cast<f32>(i / 1024);
        const f32 height = 4.0f * std::sin(x * 0.05f) * std::cos(z * 0.03f);
        vertex[i] = {{x, height, z}, {0.0f, 1.0f, 0.0f}, {x / 1024.0f, z / 1024.0f}};
    }
    return image;
}

// A repeated text.
std::vector<u8> TextImage()
{
    const std::string line = "apron gate 7: stairs, bus, fuel, catering, luggage, tug and push-back\n";
    std::vector<u8> image(kImageSize);
    for (u32 i = 0; i < kImageSize; ++i)
        image[i] = static_cast<u8>(line[i % line.size()]);
    return image;
}

struct TSample
{
    std::string path;
    std::vector<u8> compressed; // the zlib stream after the header
};

TSample s_aSample[2];

const TSample& Sample(i64 kind)
{
    TSample& sample = s_aSample[kind];
    if (!sample.path.empty())
        return sample;
    g_pFileStreamManager->SetDirectory(TName(".", true));
    const std::string base =
        "/tmp/vestamor_compression_" + std::to_string(getpid()) + (kind ? "_text" : "_mesh");
    const std::vector<u8> image = kind ? TextImage() : MeshImage();
    std::ofstream(base, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());
    sample.path = base + ".z";
    CompressFile(base.c_str(), sample.path.c_str());
    std::remove(base.c_str());
    std::ifstream file(sample.path, std::ios::binary);
    sample.compressed.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    sample.compressed.erase(sample.compressed.begin(), sample.compressed.begin() + sizeof(TCompressedHeader));
    return sample;
}

void ReadCompressed(benchmark::State& state)
{
    const TSample& sample = Sample(state.range(0));
    for (auto _ : state)
    {
        DArray<u8> output;
        if (ReadCompressedFile(sample.path.c_str(), output, nullptr) != COMPRESS_DONE)
            state.SkipWithError("ReadCompressedFile failed");
        benchmark::DoNotOptimize(output.GetData());
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
    state.counters["ratio"] = static_cast<f64>(kImageSize) / sample.compressed.size();
}

void UncompressInMemory(benchmark::State& state)
{
    const TSample& sample = Sample(state.range(0));
    for (auto _ : state)
    {
        DArray<u8> output;
        output.SetCount(kImageSize);
        uLongf size = kImageSize;
        if (uncompress(output.GetData(), &size, sample.compressed.data(), sample.compressed.size()) != Z_OK)
            state.SkipWithError("uncompress failed");
        benchmark::DoNotOptimize(output.GetData());
    }
    state.SetBytesProcessed(state.iterations() * kImageSize);
}

void Cleanup()
{
    for (const TSample& sample : s_aSample)
        if (!sample.path.empty())
            std::remove(sample.path.c_str());
}
} // namespace

// Argument 0: the mesh image; 1: the repeated text.
BENCHMARK(ReadCompressed)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(UncompressInMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Cleanup();
    return 0;
}
