#pragma once
// What the physics layer's tests share: a memory stream, a recording output stream, a scene
// with the engine's settings and a few actor makers.
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "platform/physics/nxcooking.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxshapes.h"
#include "platform/physics/nxstream.h"
#include "platform/physics/nxtrianglemesh.h"
#include "platform/physics/nxuseroutputstream.h"

class TMemoryStream : public NxStream
{
public:
    std::vector<NxU8> bytes;
    mutable std::size_t cursor = 0;

    NxU8 readByte() const override { return read<NxU8>(); }
    NxU16 readWord() const override { return read<NxU16>(); }
    NxU32 readDword() const override { return read<NxU32>(); }
    NxF32 readFloat() const override { return read<NxF32>(); }
    NxF64 readDouble() const override { return read<NxF64>(); }
    void readBuffer(void* buffer, NxU32 size) const override
    {
        const std::size_t n = std::min<std::size_t>(size, bytes.size() - cursor);
        std::memcpy(buffer, bytes.data() + cursor, n);
        std::memset(static_cast<NxU8*>(buffer) + n, 0, size - n);
        cursor += n;
    }
    NxU32 getAvailableBytes() const override { return NxU32(bytes.size() - cursor); }
    NxStream& storeByte(NxU8 v) override { return store(v); }
    NxStream& storeWord(NxU16 v) override { return store(v); }
    NxStream& storeDword(NxU32 v) override { return store(v); }
    NxStream& storeFloat(NxF32 v) override { return store(v); }
    NxStream& storeDouble(NxF64 v) override { return store(v); }
    NxStream& storeBuffer(const void* buffer, NxU32 size) override
    {
        bytes.insert(bytes.end(), static_cast<const NxU8*>(buffer), static_cast<const NxU8*>(buffer) + size);
        return *this;
    }

private:
    template <class T> T read() const
    {
        T value{};
        readBuffer(&value, sizeof value);
        return value;
    }
    template <class T> NxStream& store(T value) { return storeBuffer(&value, sizeof value); }
};

class TRecordingOutput : public NxUserOutputStream
{
public:
    std::vector<std::string> errors, asserts, prints;
    void reportError(NxErrorCode, const char* message, const char*, int) override { errors.push_back(message); }
    NxAssertResponse reportAssertViolation(const char* message, const char*, int) override
    {
        asserts.push_back(message);
        return NX_AR_BREAKPOINT; // what the engine answers; the layer must go on regardless
    }
    void print(const char* message) override { prints.push_back(message); }
};

// A scene as the engine makes it: gravity (0, -9.8, 0), fixed steps of 1/120 s.
class TPhysicsTest
{
public:
    TPhysicsTest()
    {
        sdk.reset(NxCreatePhysicsSDK(NX_PHYSICS_SDK_VERSION, nullptr, &output));
        NxSceneDesc desc;
        desc.gravity = NxVec3(0, -9.8f, 0);
        scene = sdk->createScene(desc);
        scene->setTiming(1.0f / 120.0f, 24, NX_TIMESTEP_FIXED);
    }
    ~TPhysicsTest() { sdk->releaseScene(*scene); }

    // A flat square of quads (2 triangles each) at height y, cooked and loaded.
    NxTriangleMesh* cookGrid(int quads, NxReal size, NxReal y = 0, bool materials = false)
    {
        std::vector<NxVec3> points;
        std::vector<NxU32> triangles;
        std::vector<NxU16> materialIndices;
        const NxReal step = size / NxReal(quads);
        for (int z = 0; z <= quads; ++z)
            for (int x = 0; x <= quads; ++x)
                points.emplace_back(-size / 2 + NxReal(x) * step, y, -size / 2 + NxReal(z) * step);
        for (int z = 0; z < quads; ++z)
            for (int x = 0; x < quads; ++x) {
                const NxU32 a = NxU32(z * (quads + 1) + x), b = a + 1, c = a + NxU32(quads + 1), d = c + 1;
                triangles.insert(triangles.end(), {a, c, b, b, c, d});
                materialIndices.insert(materialIndices.end(), {NxU16(x % 2 ? 2 : 1), NxU16(x % 2 ? 2 : 1)});
            }
        NxTriangleMeshDesc desc;
        desc.numVertices = NxU32(points.size());
        desc.numTriangles = NxU32(triangles.size() / 3);
        desc.points = points.data();
        desc.triangles = triangles.data();
        desc.pointStrideBytes = sizeof(NxVec3);
        desc.triangleStrideBytes = 3 * sizeof(NxU32);
        if (materials)
            desc.materialIndices = materialIndices.data();
        TMemoryStream stream;
        NxGetCookingLib(NX_PHYSICS_SDK_VERSION)->NxCookTriangleMesh(desc, stream);
        return sdk->createTriangleMesh(stream);
    }

    // An actor of the shapes at the position: static without a body; the actor's density 0 leaves
    // the mass to the body's or the shapes' own.
    NxActor* addActor(const NxVec3& position, std::vector<const NxShapeDesc*> shapes, const NxBodyDesc* body = nullptr,
                      NxReal density = 0)
    {
        NxActorDesc actor;
        actor.globalPose.t = position;
        actor.body = body;
        actor.density = density;
        actor.shapes = std::move(shapes);
        return scene->createActor(actor);
    }

    NxActor* addGround(NxTriangleMesh* mesh)
    {
        NxTriangleMeshShapeDesc shape;
        shape.meshData = mesh;
        return addActor(NxVec3(0, 0, 0), {&shape});
    }

    NxActor* addStaticBox(const NxVec3& position, const NxVec3& half)
    {
        NxBoxShapeDesc shape;
        shape.dimensions = half;
        return addActor(position, {&shape});
    }

    NxActor* addBox(const NxVec3& position, const NxVec3& half, NxReal density = 1, NxCollisionGroup group = 0)
    {
        NxBoxShapeDesc shape;
        shape.dimensions = half;
        shape.group = group;
        NxBodyDesc body;
        return addActor(position, {&shape}, &body, density);
    }

    void run(NxReal seconds)
    {
        for (NxReal t = 0; t < seconds; t += 1.0f / 60.0f) {
            scene->simulate(1.0f / 60.0f);
            scene->fetchResults(NX_RIGID_BODY_FINISHED, true);
        }
    }

    TRecordingOutput output;
    struct TRelease
    {
        void operator()(NxPhysicsSDK* sdk) const { sdk->release(); }
    };
    std::unique_ptr<NxPhysicsSDK, TRelease> sdk;
    NxScene* scene;
};
