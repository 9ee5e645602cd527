#pragma once
// Primitive assembly's second half: clipping against the view volume, the viewport transform,
// culling and the set-up of screen triangles with their interpolation planes. Points become
// screen-aligned squares and lines parallelograms one pixel across, so that one rasteriser
// with the top-left rule draws all three.
#include "platform/d3d9/drawcall.h"

#include <vector>

// A shaded vertex: clip position (4 floats), point size, then 4 floats per varying.
constexpr int kVertexHeader = 5;
// Screen positions are snapped to 4 bits of sub-pixel precision.
constexpr int kSubpixel = 16;

struct TSetupTriangle
{
    int x[3], y[3]; // 28.4 fixed point, clockwise on screen
    int minX, minY, maxX, maxY;
    bool front;
    float originX, originY; // vertex 0 in pixels: the planes' origin
    std::uint32_t planes;   // first plane in its run's planes: z, 1/w, then varyings x 4
    const float* planeData; // the same, once the run's set-up has finished
};

class TPrimitiveSetup
{
public:
    // Appends the triangles and their planes to the two arrays.
    TPrimitiveSetup(const TDrawCall& call, int varyings, std::vector<TSetupTriangle>& triangles,
                    std::vector<float>& planes);

    void Triangle(const float* a, const float* b, const float* c);
    void Line(const float* a, const float* b);
    void Point(const float* a);

    struct TScreenVertex
    {
        float x, y, z, ow;
        const float* varying; // the clip-space varyings of the vertex
    };

private:
    void TriangleInside(const float* a, const float* b, const float* c);
    bool Culled(float area) const;
    // Sets up one screen triangle; `cull` applies the cull mode (lines and points are never culled).
    void Setup(TScreenVertex a, TScreenVertex b, TScreenVertex c, bool cull);

    const TDrawCall& call_;
    int varyings_;
    std::vector<TSetupTriangle>& triangles_;
    std::vector<float>& planes_;
    std::vector<float> scratch_;  // vertices made by clipping triangles
    std::vector<float> lineEnds_; // the clipped ends of a line
    std::vector<float> sprite_;
    DWORD cull_, fill_;
    float depthBias_, slopeBias_, pointSize_;
    bool pointSprite_, lastPixel_;
    int stride_;
};
