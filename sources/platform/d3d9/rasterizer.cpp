#include "platform/d3d9/rasterizer.h"

#include "platform/d3d9/primitivesetup.h"
#include "platform/d3d9/settings.h"
#include "platform/d3d9/shadingmodel.h"
#include "platform/d3d9/tileshader.h"
#include "platform/d3d9/vertexdeclaration.h"
#include "platform/d3d9/vertexfetch.h"
#include "platform/d3d9/workerpool.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace
{
// Primitives set up per participant before their tiles are shaded: their records, about 100
// bytes for each tile a small triangle touches, keep to a processor's second-level cache.
constexpr UINT kBatchPrimitives = 8192;
// Pixels (of the triangles' boxes) below which a draw's tiles are shaded by the calling thread.
constexpr int kSharedShadingPixels = 8192;
// Bands a busy tile is cut into at most: 8 rows each, an even number, so that quads stay whole.
constexpr int kMaxBands = 8;
// A tile is cut when it holds more records than this share of the draw's per participant.
constexpr int kBandShare = 2;
// The floats of the largest record.
constexpr int kMaxRecordFloats = int(sizeof(TBinnedTriangle) / 4) + 3 * (2 + 4 * kMaxVaryings);

// A shaded vertex is the beginning of the model's output.
static_assert(offsetof(TVertexOutput, pointSize) == 4 * sizeof(float) &&
              offsetof(TVertexOutput, varying) == kVertexHeader * sizeof(float));

// One float at a time, never vectorised: models store their outputs a float at a time, and a
// wider load of what was just stored waits until the stores reach the cache.
[[gnu::optimize("no-tree-vectorize")]] void CopyFloats(float* to, const float* from, int count)
{
    for (int i = 0; i < count; ++i)
        to[i] = from[i];
}
} // namespace

TRasterizer::TRasterizer() : workers_(std::make_unique<TWorkerPool>(D3D9Settings().cores)), bands_(kMaxBands) {}

TRasterizer::~TRasterizer() = default;

void TRasterizer::FillBands(const RECT& area, int bytesPerPixel, const std::function<void(const RECT&)>& fill)
{
    constexpr LONG kBandRows = 16;
    const LONG rows = area.bottom - area.top;
    // Waking the workers costs more than filling a small area alone.
    constexpr std::int64_t kSharedFillBytes = 256 << 10;
    if (rows <= kBandRows || std::int64_t(rows) * (area.right - area.left) * bytesPerPixel < kSharedFillBytes)
    {
        fill(area);
        return;
    }
    workers_->Run(int((rows + kBandRows - 1) / kBandRows), [&](int item, int) {
        const LONG top = area.top + LONG(item) * kBandRows;
        fill({area.left, top, area.right, std::min(area.bottom, top + kBandRows)});
    });
}

void TRasterizer::PlanItems(int participants)
{
    items_.clear();
    auto records = [this](int tile) {
        std::size_t floats = 0;
        for (int run = 0; run < bins_.Runs(); ++run)
            floats += bins_.Bin(run, tile).size();
        return int(floats / std::size_t(bins_.RecordFloats()));
    };
    int total = 0;
    for (const int tile : tileOrder_)
        total += records(tile);
    // Each item at about a quarter of a participant's share.
    const int item = std::max(1, total / (kBandShare * 2 * participants));
    for (const int tile : tileOrder_)
    {
        const int held = records(tile);
        int bands = 1;
        if (held > total / (kBandShare * participants))
            while (bands < kMaxBands && held > bands * item)
                bands *= 2;
        for (int band = 0; band < bands; ++band)
            items_.push_back({tile, band, bands});
    }
}

void TRasterizer::FillBand(const TShadeItem& item)
{
    const int rows = kTileSize / item.bands;
    const int left = bins_.TileX(item.tile), right = left + kTileSize - 1;
    const int top = bins_.TileY(item.tile) + item.band * rows, bottom = top + rows - 1;
    const int recordFloats = bins_.RecordFloats();
    TTileBins& band = bands_[size_t(item.band)];
    float record[kMaxRecordFloats];
    // Runs in order, so that the band's pixels see their triangles in primitive order. Bounds
    // cut to the band's rows and the tile (a triangle's quads are walked within its bounds)
    // leave every quad and lane the tile shades in these rows as they were.
    for (int run = 0; run < bins_.Runs(); ++run)
    {
        const std::span<const float> bin = bins_.Bin(run, item.tile);
        for (std::size_t at = 0; at < bin.size(); at += std::size_t(recordFloats))
        {
            TBinnedTriangle t;
            std::memcpy(&t, &bin[at], sizeof(t));
            if (t.maxY < top || t.minY > bottom)
                continue;
            t.minX = std::int16_t(std::max<int>(t.minX, left));
            t.maxX = std::int16_t(std::min<int>(t.maxX, right));
            t.minY = std::int16_t(std::max<int>(t.minY, top));
            t.maxY = std::int16_t(std::min<int>(t.maxY, bottom));
            std::memcpy(record, &bin[at], std::size_t(recordFloats) * sizeof(float));
            std::memcpy(record, &t, sizeof(t));
            band.Add(0, t.minX, t.minY, t.maxX, t.maxY, record);
        }
    }
}

std::uint64_t TRasterizer::Draw(const TDrawCall& call)
{
    const int varyings = call.vertexModel->varyingCount;
    const int vertexStride = kVertexHeader + 4 * varyings;

    // Index list of the primitives' vertices, then the distinct vertices they name.
    UINT indexCount = 0;
    switch (call.type)
    {
    case D3DPT_POINTLIST:
        indexCount = call.primitiveCount;
        break;
    case D3DPT_LINELIST:
        indexCount = call.primitiveCount * 2;
        break;
    case D3DPT_LINESTRIP:
        indexCount = call.primitiveCount + 1;
        break;
    case D3DPT_TRIANGLELIST:
        indexCount = call.primitiveCount * 3;
        break;
    default:
        indexCount = call.primitiveCount + 2;
        break;
    }
    auto vertexOf = [&](UINT n) -> std::int64_t {
        if (!call.indices)
            return std::int64_t(call.startVertex) + n;
        const UINT at = call.startIndex + n;
        const std::int64_t index = call.indexSize == 4
                                       ? std::int64_t(static_cast<const std::uint32_t*>(call.indices)[at])
                                       : std::int64_t(static_cast<const std::uint16_t*>(call.indices)[at]);
        return index + call.baseVertex;
    };
    std::int64_t first = vertexOf(0), last = first + indexCount - 1;
    if (call.indices)
    {
        last = first;
        for (UINT n = 1; n < indexCount; ++n)
        {
            const std::int64_t v = vertexOf(n);
            first = std::min(first, v);
            last = std::max(last, v);
        }
    }
    // Only vertices the streams hold are shaded; primitives naming others get a zero vertex
    // (kept after the shaded ones) instead of a read past a buffer.
    const TVertexFetch fetch(*call.elements, call.streams);
    const std::int64_t available = fetch.Available();
    first = std::max<std::int64_t>(first, 0);
    last = std::min(last, available - 1);
    const UINT vertexCount = last >= first ? UINT(last - first + 1) : 0;
    // A list of triangles without indices uses each vertex once: the runs of set-up shade
    // their own corners as they go, rather than through a draw-sized array written and read
    // back. Every other draw shades its vertices first, spread over the workers.
    const bool ownCorners = !call.indices && call.type == D3DPT_TRIANGLELIST;
    // The shaded vertices, then a zero vertex for primitives that name one outside the streams.
    const UINT stored = ownCorners ? 0 : vertexCount;
    vertices_.resize(size_t(stored + 1) * vertexStride);
    std::fill(vertices_.end() - vertexStride, vertices_.end(), 0.0f);
    const float* const zeroVertex = &vertices_[size_t(stored) * vertexStride];

    // One vertex, fetched into `registers`, through the vertex model into `output`.
    auto shade = [&](const float (*registers)[4], TVertexOutput& output) {
        TVertexInput input;
        input.registers = registers;
        input.registerOf = call.registerOf;
        output.pointSize = 0.0f;
        call.vertexModel->function(input, call.vertexConstants, output);
        if (call.preTransformed)
        {
            // Window x, y, z and 1/w back to clip space, so that they come out unchanged.
            const float* p = input.Attribute(D3DDECLUSAGE_POSITIONT);
            const D3DVIEWPORT9& v = call.viewport;
            const float w = p[3] != 0.0f ? 1.0f / p[3] : 1.0f;
            const float depthRange = v.MaxZ - v.MinZ;
            output.position[0] = ((p[0] - float(v.X)) * 2.0f / float(v.Width) - 1.0f) * w;
            output.position[1] = (1.0f - (p[1] - float(v.Y)) * 2.0f / float(v.Height)) * w;
            output.position[2] = (depthRange != 0.0f ? (p[2] - v.MinZ) / depthRange : 0.0f) * w;
            output.position[3] = w;
        }
    };
    const int elementCount = fetch.Elements();
    const int runVertices = fetch.RunVertices();

    if (!ownCorners)
    {
        const int chunk = 1024;
        const int chunks = int((vertexCount + chunk - 1) / chunk);
        const auto shadeChunk = [&](int item, int) {
            float registers[TVertexFetch::kRunRegisters][4];
            TVertexOutput output;
            const UINT begin = UINT(item) * chunk, end = std::min(vertexCount, begin + chunk);
            for (UINT i = begin; i < end; i += UINT(runVertices))
            {
                const int count = int(std::min<UINT>(UINT(runVertices), end - i));
                fetch.Fetch(UINT(first) + i, count, registers);
                for (int v = 0; v < count; ++v)
                {
                    shade(&registers[v * elementCount], output);
                    CopyFloats(&vertices_[size_t(i + UINT(v)) * vertexStride], &output.position[0], vertexStride);
                }
            }
        };
        // Set-up follows at once.
        workers_->Run(chunks, shadeChunk, true);
    }

    // Primitive assembly, clipping, set-up and binning, in runs of primitives spread over the
    // workers, then shading.
    auto at = [&](UINT n) {
        const std::int64_t slot = vertexOf(n) - first;
        return slot >= 0 && slot < std::int64_t(vertexCount) ? &vertices_[size_t(slot) * vertexStride] : zeroVertex;
    };
    // Set-up and shading take turns over batches of primitives, so that the records set-up bins
    // are still in the processors' caches when the tiles read them.
    const int participants = workers_->Participants();
    const UINT batch = kBatchPrimitives * UINT(participants);
    TTileShader shader(call, varyings, participants);
    for (UINT begin = 0; begin < call.primitiveCount; begin += batch)
    {
        const UINT count = std::min(batch, call.primitiveCount - begin);
        // Runs of at least 256 primitives, a few per participant so that uneven runs even out.
        const int runs = std::max(1, int(std::min<UINT>((count + 255) / 256, UINT(4 * participants))));
        const UINT run = (count + UINT(runs) - 1) / UINT(runs);
        bins_.Reset(call.clip, runs, 2 + 4 * varyings);
        const auto setUpRun = [&](int item, int) {
            TPrimitiveSetup setup(call, varyings, bins_, item);
            const UINT from = begin + UINT(item) * run, end = std::min(begin + count, from + run);
            if (ownCorners)
            {
                // The run's corners are consecutive vertices, from the draw's first: fetched a
                // few triangles at a time, those the streams hold.
                float registers[TVertexFetch::kRunRegisters][4];
                // Shaded in place: a shaded vertex is a prefix of the model's output.
                TVertexOutput corners[3];
                const UINT groupTriangles = UINT(runVertices / 3);
                for (UINT group = from; group < end; group += groupTriangles)
                {
                    const UINT groupEnd = std::min(end, group + groupTriangles);
                    const UINT firstCorner = 3 * group, held = std::min(3 * groupEnd, vertexCount);
                    if (firstCorner < held)
                        fetch.Fetch(UINT(first) + firstCorner, int(held - firstCorner), registers);
                    for (UINT primitive = group; primitive < groupEnd; ++primitive)
                    {
                        const float* named[3];
                        for (UINT corner = 0; corner < 3; ++corner)
                        {
                            const UINT slot = 3 * primitive + corner;
                            if (slot < vertexCount)
                            {
                                shade(&registers[(slot - firstCorner) * UINT(elementCount)], corners[corner]);
                                named[corner] = &corners[corner].position[0];
                            }
                            else
                                named[corner] = zeroVertex;
                        }
                        setup.Triangle(named[0], named[1], named[2]);
                    }
                }
                return;
            }
            for (UINT primitive = from; primitive < end; ++primitive)
            {
                switch (call.type)
                {
                case D3DPT_POINTLIST:
                    setup.Point(at(primitive));
                    break;
                case D3DPT_LINELIST:
                    setup.Line(at(2 * primitive), at(2 * primitive + 1));
                    break;
                case D3DPT_LINESTRIP:
                    setup.Line(at(primitive), at(primitive + 1));
                    break;
                case D3DPT_TRIANGLELIST:
                    setup.Triangle(at(3 * primitive), at(3 * primitive + 1), at(3 * primitive + 2));
                    break;
                case D3DPT_TRIANGLESTRIP:
                    // Every second triangle of a strip is turned round to keep the winding.
                    if (primitive & 1)
                        setup.Triangle(at(primitive + 1), at(primitive), at(primitive + 2));
                    else
                        setup.Triangle(at(primitive), at(primitive + 1), at(primitive + 2));
                    break;
                default:
                    setup.Triangle(at(0), at(primitive + 1), at(primitive + 2));
                    break;
                }
            }
        };
        // Shading follows at once.
        workers_->Run(runs, setUpRun, true);
        // Shading, tile by tile in parallel, then the next batch's set-up if there is one. A
        // small draw (a line of text) is shaded on this thread alone: waking the workers would
        // cost more than its pixels.
        bins_.ShadingOrder(tileOrder_);
        if (bins_.BoxPixels(tileOrder_, kSharedShadingPixels) < kSharedShadingPixels)
        {
            for (const int tile : tileOrder_)
                shader.ShadeTile(bins_, tile, 0);
            continue;
        }
        PlanItems(participants);
        if (items_.size() > tileOrder_.size())
            for (TTileBins& band : bands_)
                band.Reset(call.clip, 1, 2 + 4 * varyings);
        const auto shadeItem = [&](int at, int participant) {
            const TShadeItem& item = items_[size_t(at)];
            if (item.bands == 1)
            {
                shader.ShadeTile(bins_, item.tile, participant);
                return;
            }
            // Each band of each tile is its own bin: items fill theirs side by side.
            FillBand(item);
            shader.ShadeTile(bands_[size_t(item.band)], item.tile, participant);
        };
        workers_->Run(int(items_.size()), shadeItem, begin + batch < call.primitiveCount);
    }
    return shader.Samples();
}
