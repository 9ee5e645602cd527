#pragma once
// TMotionBlurObject (stored type 119, 124 bytes): a mesh the object half of the motion blur
// draws again, smeared along its motion since the last frame. The motion comes from its body
// (velocities), its wheel (rotation), a fixed spin, or else from how its mesh's node moved and
// turned between frames (the motion state, kept once a frame by the effects manager).
#include "core/math/matrix.h"
#include "engine/render/renderobject.h"

#include <cstddef>

class TClusterTypeDecl;
class TDynamicsBody;
class TDynamicsGeometry;
class TMesh;
class TSkeleton;
struct TMotionBlurBlock;

constexpr u16 MOTION_BLUR_OBJECT_TYPE_ID = 119;
// Degrees a turn: the heading is kept in fractions of a turn.
constexpr f32 MOTION_BLUR_TURN_DEGREES = 360.0f;
// The wheel's rotation value as the wheel geometry answers it.
constexpr u32 MOTION_BLUR_WHEEL_ROTATION = 3;
constexpr f32 MOTION_BLUR_WHEEL_FACTOR = 0.02f;

class TMotionBlurObject : public TRenderObject
{
public:
    TMotionBlurObject();

    // Once a frame, for an object without a body: where its mesh's node stands and how it is
    // turned, and the change since the last frame (nothing with a skeleton or without a mesh).
    void UpdateMotion();
    // The drawing block from the spin, the body, the wheel or the motion state, in that order of
    // precedence; V1 and V2 stay as they were for a spin or a wheel. `step` is the dynamics
    // time step.
    void BuildBlock(TMotionBlurBlock& block, f32 step) const;
    // While its mesh's node is enabled: the block built into the effects' globals and the mesh
    // drawn with the context's shader; else nothing.
    void Draw(TRenderContext* context) override;
    void Render() override;

    TMesh* pMesh;
    TDynamicsBody* pBody;
    TDynamicsGeometry* pWheel;
    TSkeleton* pSkeleton;
    // The motion state: the node's position and heading (fractions of a turn: wrapped, then
    // twice as computed) at the last update, and their change then.
    TVector m_PreviousPosition;
    TVector m_PreviousHeading;
    TVector m_PositionDelta;
    TVector m_HeadingDelta;
    f32 m_fLinearScale;
    f32 m_fAngularScale;
    // Degrees turned a frame; 0 for none.
    f32 m_fFixedSpin;
    u32 m_nReserved120;

private:
    // Whether there is a mesh on an enabled node to draw.
    bool Drawable() const;
};

static_assert(sizeof(TMotionBlurObject) == 124);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TMotionBlurObject, pMesh) == 28 && offsetof(TMotionBlurObject, pSkeleton) == 40);
static_assert(offsetof(TMotionBlurObject, m_PreviousPosition) == 44 && offsetof(TMotionBlurObject, m_HeadingDelta) == 92);
static_assert(offsetof(TMotionBlurObject, m_fLinearScale) == 108 && offsetof(TMotionBlurObject, m_fFixedSpin) == 116);
#pragma GCC diagnostic pop

const TClusterTypeDecl& MotionBlurObjectDecl();
