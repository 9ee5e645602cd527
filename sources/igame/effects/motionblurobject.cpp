#include "igame/effects/motionblurobject.h"

#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/physicstypes.h"
#include "core/cluster/clustertypedecl.h"
#include "engine/render/mesh.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/effectsmanager.h"

#include <cmath>

namespace
{
constexpr u16 MESH_TYPE_ID = 43;
constexpr u16 SKELETON_TYPE_ID = 53;
constexpr u16 RENDER_QUEUE_TYPE_ID = 58;
constexpr f32 DEGREES_PER_RADIAN = 57.29578f;
constexpr f32 TURNS_PER_DEGREE = 0.0027777778f;

const TMotionBlurObject* Prototype()
{
    static const TMotionBlurObject s_Prototype;
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, 1, name);
}

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &MotionBlurObjectDecl();
} // namespace

TMotionBlurObject::TMotionBlurObject()
    : pMesh(nullptr), pBody(nullptr), pWheel(nullptr), pSkeleton(nullptr), m_PreviousPosition(0.0f, 0.0f, 0.0f, 1.0f),
      m_PreviousHeading(0.0f, 0.0f, 0.0f, 1.0f), m_PositionDelta(0.0f, 0.0f, 0.0f, 1.0f),
      m_HeadingDelta(0.0f, 0.0f, 0.0f, 1.0f), m_fLinearScale(1.0f), m_fAngularScale(1.0f), m_fFixedSpin(0.0f),
      m_nReserved120(0)
{
}

void TMotionBlurObject::UpdateMotion()
{
    if (pSkeleton || !pMesh)
        return;
    const TMatrix& world = *pMesh->GetMatrix();
    // The heading about the node's x axis as the third row leans from y towards z.
    const f32 h = std::atan2(world.aRow[2].z, world.aRow[2].y) * DEGREES_PER_RADIAN;
    const f32 wrapped = h < -180.0f ? h + 360.0f : h > 180.0f ? h - 360.0f : h;
    const f32 turn = h * TURNS_PER_DEGREE;
    const f32 wrappedTurn = wrapped * TURNS_PER_DEGREE;
    const TVector& at = world.aRow[3];
    m_PositionDelta = TVector(at.x - m_PreviousPosition.x, at.y - m_PreviousPosition.y, at.z - m_PreviousPosition.z, 1.0f);
    m_HeadingDelta = TVector(wrappedTurn - m_PreviousHeading.x, turn - m_PreviousHeading.y,
                             turn - m_PreviousHeading.z, 1.0f);
    // Across the half turn the shorter way round.
    if (m_HeadingDelta.x >= 0.5f)
        m_HeadingDelta.x -= 1.0f;
    else if (m_HeadingDelta.x <= -0.5f)
        m_HeadingDelta.x += 1.0f;
    m_PreviousPosition = at;
    m_PreviousHeading = TVector(wrappedTurn, turn, turn, 1.0f);
}

void TMotionBlurObject::BuildBlock(TMotionBlurBlock& block, f32 step) const
{
    if (m_fFixedSpin != 0.0f)
    {
        block.M = TMatrix::RotationY(m_fFixedSpin);
        return;
    }
    if (pBody)
    {
        // The velocity in the body's own frame.
        const TVector velocity = pBody->GetLinearVelocity();
        const TMatrix& frame = *pBody->GetMatrix();
        const TVector v(velocity.Dot(frame.aRow[0]), velocity.Dot(frame.aRow[1]), velocity.Dot(frame.aRow[2]), 1.0f);
        block.M = TMatrix::RotationX(-(step * v.x));
        block.V1 = pBody->GetAngularVelocity().Scaled(v.x);
        block.V2 = TVector(v.x * m_fAngularScale, v.y * m_fAngularScale, v.z * m_fAngularScale, 1.0f);
        return;
    }
    if (pWheel)
    {
        const f32 rotation = pWheel->GetWheelParameter(MOTION_BLUR_WHEEL_ROTATION);
        block.M = TMatrix::RotationY(-(m_fAngularScale * m_fLinearScale * rotation * MOTION_BLUR_WHEEL_FACTOR));
        return;
    }
    block.M = TMatrix::RotationY(-(m_HeadingDelta.x * m_fAngularScale));
    block.V1 = m_PositionDelta.Scaled(m_fLinearScale);
    block.V2 = m_HeadingDelta.Scaled(m_fAngularScale);
    block.V2.w = 1.0f;
}

bool TMotionBlurObject::Drawable() const
{
    return pMesh && pMesh->pNode && pMesh->GetNode()->IsEnabled();
}

void TMotionBlurObject::Draw(TRenderContext* context)
{
    if (!Drawable())
        return;
    BuildBlock(g_EffectsBlocks.Motion, TEffectsManager::DynamicsStep());
    pMesh->Draw(context);
}

void TMotionBlurObject::Render()
{
    if (!Drawable())
        return;
    BuildBlock(g_EffectsBlocks.Motion, TEffectsManager::DynamicsStep());
    pMesh->Render();
}

const TClusterTypeDecl& MotionBlurObjectDecl()
{
    static TClusterTypeDecl s_Decl(
        "TMotionBlurObject", MOTION_BLUR_OBJECT_TYPE_ID, sizeof(TMotionBlurObject), Prototype(), 1,
        {Link(40, SKELETON_TYPE_ID, "pSkeleton"), Link(36, DYNAMICS_GEOMETRY_TYPE_ID, "pWheel"),
         Link(32, DYNAMICS_BODY_TYPE_ID, "pBody"), Link(28, MESH_TYPE_ID, "pMesh"),
         Link(20, 0, "TRenderObject::pNext"), Link(16, 0, "TRenderObject::pPrev"),
         Link(12, RENDER_QUEUE_TYPE_ID, "TRenderObject::pRenderQueue"),
         Link(4, NODE_TYPE_ID, "TRenderObject::TNodeObject::pNode")});
    return s_Decl;
}
