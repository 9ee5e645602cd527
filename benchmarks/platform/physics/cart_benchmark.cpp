// A four-wheeled cart driving 60 s in a circle at about 20 km/h on a height field, with 100
// boxes around it hung from the world by fixed joints that break at once and are formed again
// every second; against the same scene with the cart's wheels replaced by plain boxes.
#include <cmath>
#include <vector>
#include <benchmark/benchmark.h>
#include "platform/physics/nxheightfield.h"
#include "platform/physics/nxphysicssdk.h"
#include "platform/physics/nxscene.h"
#include "platform/physics/nxwheelshape.h"

namespace {
constexpr int kSamples = 65;
constexpr float kSpacing = 2;
constexpr int kJoints = 100;
constexpr int kSteps = 60 * 120;
constexpr float kStep = 1.0f / 120.0f;

class TCartScene : public NxUserNotify
{
public:
    explicit TCartScene(bool wheels) : sdk_(NxCreatePhysicsSDK(NX_PHYSICS_SDK_VERSION))
    {
        NxSceneDesc sceneDesc;
        sceneDesc.gravity = NxVec3(0, -9.8f, 0);
        sceneDesc.userNotify = this;
        scene_ = sdk_->createScene(sceneDesc);
        scene_->setTiming(kStep, 8, NX_TIMESTEP_FIXED);
        addTerrain();
        addCart(wheels);
        for (int i = 0; i < kJoints; ++i) {
            const float angle = float(i) * 6.2831853f / kJoints;
            homes_.emplace_back(std::cos(angle) * 14, 3, std::sin(angle) * 14);
            NxBoxShapeDesc box;
            box.dimensions = NxVec3(0.3f, 0.3f, 0.3f);
            NxBodyDesc body;
            body.mass = 1;
            NxActorDesc desc;
            desc.body = &body;
            desc.globalPose.t = homes_.back();
            desc.shapes.push_back(&box);
            boxes_.push_back(scene_->createActor(desc));
        }
        reform();
    }
    ~TCartScene() override { sdk_->release(); }

    bool onJointBreak(NxReal, NxJoint&) override
    {
        ++breaks_;
        return true;
    }
    void onWake(NxActor**, NxU32) override {}
    void onSleep(NxActor**, NxU32) override {}

    void drive(int step)
    {
        if (step % 120 == 0)
            reform();
        const float speed = cart_->getLinearVelocity().magnitude();
        for (NxWheelShape* wheel : driven_)
            wheel->setMotorTorque(speed < 5.5f ? 400.0f : 0.0f);
        if (driven_.empty() && speed < 5.5f) // the wheel-less cart is pushed instead
            cart_->addLocalForce(NxVec3(0, 0, 3000));
        scene_->simulate(kStep);
        scene_->fetchResults(NX_RIGID_BODY_FINISHED, true);
    }
    int breaks() const { return breaks_; }

private:
    void addTerrain()
    {
        std::vector<NxHeightFieldSample> samples(kSamples * kSamples);
        for (int r = 0; r < kSamples; ++r)
            for (int c = 0; c < kSamples; ++c)
                samples[r * kSamples + c] = {NxI16(1000 + 300 * std::sin(r * 0.3f) * std::cos(c * 0.2f)), 0, 0};
        NxHeightFieldDesc desc;
        desc.nbRows = desc.nbColumns = kSamples;
        desc.samples = samples.data();
        NxHeightFieldShapeDesc shape;
        shape.heightField = sdk_->createHeightField(desc);
        shape.heightScale = 0.001f;
        shape.rowScale = shape.columnScale = kSpacing;
        NxActorDesc actor;
        actor.globalPose.t = NxVec3(-kSamples * kSpacing / 2, 0, -kSamples * kSpacing / 2);
        actor.shapes.push_back(&shape);
        scene_->createActor(actor);
    }

    void addCart(bool wheels)
    {
        NxBodyDesc body;
        body.mass = 1000;
        NxActorDesc desc;
        desc.body = &body;
        desc.globalPose.t = NxVec3(10, 2.5f, 0);
        NxBoxShapeDesc chassis;
        chassis.dimensions = NxVec3(1, 0.2f, 2);
        chassis.localPose.t = NxVec3(0, 0.3f, 0);
        desc.shapes.push_back(&chassis);
        NxWheelShapeDesc wheel[4];
        NxBoxShapeDesc block[4];
        for (int i = 0; i < 4; ++i) {
            const NxVec3 at(i % 2 ? 0.9f : -0.9f, 0, i < 2 ? 1.5f : -1.5f);
            wheel[i].radius = 0.35f;
            wheel[i].suspensionTravel = 0.3f;
            wheel[i].suspension.spring = 40000;
            wheel[i].suspension.damper = 4000;
            wheel[i].inverseWheelMass = 0.1f;
            wheel[i].steerAngle = i < 2 ? 0.3f : 0;
            wheel[i].localPose.t = at;
            block[i].dimensions = NxVec3(0.2f, 0.3f, 0.3f);
            block[i].localPose.t = at - NxVec3(0, 0.35f, 0);
            desc.shapes.push_back(wheels ? static_cast<NxShapeDesc*>(&wheel[i]) : &block[i]);
        }
        cart_ = scene_->createActor(desc);
        if (wheels)
            for (int i = 2; i < 4; ++i)
                driven_.push_back(static_cast<NxWheelShape*>(cart_->getShapes()[i + 1]));
    }

    // Every box back home on a fresh joint that its own weight breaks.
    void reform()
    {
        while (scene_->getNbJoints())
            scene_->releaseJoint(*joints_.back()), joints_.pop_back();
        joints_.clear();
        for (int i = 0; i < kJoints; ++i) {
            NxMat34 pose;
            pose.t = homes_[i];
            boxes_[i]->setGlobalPose(pose);
            boxes_[i]->setLinearVelocity(NxVec3());
            boxes_[i]->setAngularVelocity(NxVec3());
            NxFixedJointDesc desc;
            desc.actor[1] = boxes_[i];
            desc.maxForce = 8;
            NxJointDesc_SetGlobalAnchor(desc, homes_[i]);
            joints_.push_back(scene_->createJoint(desc));
        }
    }

    NxPhysicsSDK* sdk_;
    NxScene* scene_;
    NxActor* cart_ = nullptr;
    std::vector<NxWheelShape*> driven_;
    std::vector<NxVec3> homes_;
    std::vector<NxActor*> boxes_;
    std::vector<NxJoint*> joints_;
    int breaks_ = 0;
};

void Cart60s(benchmark::State& state)
{
    int breaks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TCartScene scene(state.range(0) != 0);
        state.ResumeTiming();
        for (int step = 0; step < kSteps; ++step)
            scene.drive(step);
        breaks = scene.breaks();
    }
    state.counters["per_step"] = benchmark::Counter(double(kSteps), benchmark::Counter::kIsIterationInvariantRate |
                                                                        benchmark::Counter::kInvert);
    state.counters["breaks"] = breaks;
}
} // namespace

BENCHMARK(Cart60s)->Arg(1)->Name("Cart60s/Wheels")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Cart60s)->Arg(0)->Name("Cart60s/PlainBoxes")->Unit(benchmark::kMillisecond)->Iterations(1);
