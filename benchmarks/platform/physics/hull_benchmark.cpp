// The planes of a convex mesh of the most points a cooked hull holds (255 points on a unit
// sphere, all of them corners), beside the back end's own plane finder, which tries every
// triple of points: the ratio shows what the hull's faces save.
#include <cmath>
#include <random>
#include <vector>
#include <benchmark/benchmark.h>
#include <LinearMath/btGeometryUtil.h>
#include "platform/physics/cookedformat.h"
#include "platform/physics/nxconvexmesh.h"

namespace {
std::vector<NxVec3> spherePoints()
{
    std::mt19937 random(7);
    std::normal_distribution<float> gauss;
    std::vector<NxVec3> points;
    while (points.size() < kCookedMaxHullPoints - 1) {
        NxVec3 p(gauss(random), gauss(random), gauss(random));
        if (p.normalize() > 0.1f)
            points.push_back(p);
    }
    return points;
}

void HullPlanesLayer(benchmark::State& state)
{
    const std::vector<NxVec3> points = spherePoints();
    for (auto _ : state) {
        NxConvexMesh mesh(points);
        benchmark::DoNotOptimize(mesh.planes().data());
    }
}

void HullPlanesEveryTriple(benchmark::State& state)
{
    const std::vector<NxVec3> points = spherePoints();
    btAlignedObjectArray<btVector3> vertices;
    for (const NxVec3& p : points)
        vertices.push_back(btVector3(p.x, p.y, p.z));
    for (auto _ : state) {
        btAlignedObjectArray<btVector3> planes;
        btGeometryUtil::getPlaneEquationsFromVertices(vertices, planes);
        benchmark::DoNotOptimize(&planes[0]);
    }
}
} // namespace

BENCHMARK(HullPlanesLayer)->Name("HullPlanes255/Layer")->Unit(benchmark::kMillisecond);
BENCHMARK(HullPlanesEveryTriple)->Name("HullPlanes255/EveryTriple")->Unit(benchmark::kMillisecond)->Iterations(2);
