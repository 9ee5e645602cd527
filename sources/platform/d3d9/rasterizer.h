#pragma once
// The rasteriser: transforms the vertices of a draw with its vertex model, assembles, clips and
// sets up the primitives (points and lines become screen-space quads), bins them into 64x64
// tiles and shades the tiles in parallel on a pool of workers, 2x2 quads at a time with SSE2.
// Direct3D 9's rules: pixel centres on integer coordinates, the top-left fill rule with 4 bits
// of sub-pixel precision, perspective-correct interpolants.
#include "platform/d3d9/drawcall.h"

#include <cstdint>
#include <memory>
#include <vector>

class TWorkerPool;

class TRasterizer
{
public:
    TRasterizer();
    ~TRasterizer();

    // Draws the call; answers the samples that passed the depth and stencil tests.
    std::uint64_t Draw(const TDrawCall& call);

    struct TTriangle
    {
        int x[3], y[3]; // 28.4 fixed point, clockwise on screen
        int minX, minY, maxX, maxY;
        bool front;
        float originX, originY; // vertex 0 in pixels: the planes' origin
        std::uint32_t planes;   // first plane in its run's planes: z, 1/w, then varyings x 4
        const float* planeData; // the same, once the run's set-up has finished
    };

private:
    std::unique_ptr<TWorkerPool> workers_;
    std::vector<float> vertices_;
    // The triangles one run of primitives sets up, with their interpolation planes.
    struct TRun
    {
        std::vector<TTriangle> triangles;
        std::vector<float> planes;
    };

    std::vector<TRun> runs_;
    std::vector<std::vector<const TTriangle*>> bins_;
};
