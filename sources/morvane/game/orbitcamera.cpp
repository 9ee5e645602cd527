#include "morvane/game/orbitcamera.h"

#include "ageia/collisionmanager.h"
#include "ageia/nxpose.h"
#include "core/math/ray.h"
#include "core/system/timer.h"
#include "engine/input/inputaction.h"
#include "engine/system/node.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
const TName g_NameTOrbitCamera("TOrbitCamera", true);
constexpr f32 kRadiansToDegrees = 57.29578f;

f32 Value(const TInputAction* action)
{
    return action ? action->GetValue() : 0.0f;
}

bool Pressed(const TInputAction* action)
{
    return action && action->IsPressed();
}

// Held to [minimum, maximum] only when the limits span something.
void Limit(f32& value, const f32* limits)
{
    if (limits[1] > limits[0])
        value = std::clamp(value, limits[0], limits[1]);
}

TVector Along(const TVector& from, const TVector& direction, f32 distance)
{
    return TVector(from.x + direction.x * distance, from.y + direction.y * distance, from.z + direction.z * distance,
                   1.0f);
}
} // namespace

TOrbitCamera::TOrbitCamera()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TNodeObject), 0, sizeof *this - sizeof(TNodeObject));
    m_nClassName = g_NameTOrbitCamera.GetId();
    m_fEasing = ORBIT_EASING;
}

u32 TOrbitCamera::GetZoomIndex() const
{
    const u32 count = std::min(m_nZoomLevelCount, ORBIT_ZOOM_LEVEL_COUNT);
    return count == 0 ? 0 : std::min(m_nZoomIndex, count - 1);
}

void TOrbitCamera::HandleInput(u32 zoomAllowed)
{
    if (!pNodeX)
        return;
    const u32 count = std::min(m_nZoomLevelCount, ORBIT_ZOOM_LEVEL_COUNT);
    if (count && zoomAllowed)
    {
        if (Pressed(pZoomIn) && m_nZoomIndex > 0)
            --m_nZoomIndex;
        if (Pressed(pZoomOut) && m_nZoomIndex < count - 1)
            ++m_nZoomIndex;
    }
    if (!(m_nFlags & ORBIT_ROTATE_ALWAYS) && !(pRotation && pRotation->IsDown()))
        return;
    // The frame time before the game's scale and pause: the camera turns in a paused game too.
    const f32 frame = g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f;
    m_fYaw += (Value(pRotateLeft) - Value(pRotateRight)) * frame;
    m_fPitch += (Value(pRotateUp) - Value(pRotateDown)) * frame;
}

void TOrbitCamera::Update(f32)
{
    if (!pNodeX || !pNode)
        return;
    Limit(m_fYaw, m_aYawLimit);
    Limit(m_fPitch, m_aPitchLimit);
    const f32 split = std::clamp(m_fPitch * (-1.0f / 60.0f), ORBIT_SPLIT_MIN, ORBIT_SPLIT_MAX);

    TNode* parent = pNode->GetParent();
    f32 heading = 0.0f;
    if ((m_nFlags & ORBIT_FOLLOW_PARENT_HEADING) && parent)
    {
        const TVector& forward = parent->GetWorldMatrix()->aRow[2];
        heading = std::atan2(forward.x, forward.z) * kRadiansToDegrees;
    }
    const TMatrix turn = Orthonormalized(
        TMatrix::Multiply(TMatrix::RotationX((1.0f - split) * m_fPitch), TMatrix::RotationY(m_fYaw + heading)));
    TMatrix local = parent ? TMatrix::Multiply(turn, parent->GetWorldMatrix()->Inverse()) : turn;
    local.aRow[3] = pNode->GetLocalMatrix().aRow[3];
    pNode->SetLocalMatrix(local, TNode::OrdinaryCause());

    TMatrix arm = TMatrix::RotationX(split * m_fPitch);
    if (m_nZoomLevelCount == 0)
    {
        arm.aRow[3] = aZoomLevel[0];
        pNodeX->SetLocalMatrix(arm, TNode::OrdinaryCause());
        return;
    }
    const TVector& level = aZoomLevel[GetZoomIndex()];
    const f32 target = level.Length();
    const TVector unit = level.Normalized();
    m_fArmLength += (target - m_fArmLength) * m_fEasing;

    // The arm's line in the world, from the pivot outwards.
    const TMatrix& pivot = *pNode->GetWorldMatrix();
    TVector direction(unit.x * pivot.aRow[0].x + unit.y * pivot.aRow[1].x + unit.z * pivot.aRow[2].x,
                      unit.x * pivot.aRow[0].y + unit.y * pivot.aRow[1].y + unit.z * pivot.aRow[2].y,
                      unit.x * pivot.aRow[0].z + unit.y * pivot.aRow[1].z + unit.z * pivot.aRow[2].z, 0.0f);
    m_fArmLength = FitArm(pivot.aRow[3], direction.Normalized(), m_fArmLength);

    arm.aRow[3] = TVector(unit.x * m_fArmLength, unit.y * m_fArmLength, unit.z * m_fArmLength, level.w);
    pNodeX->SetLocalMatrix(arm, TNode::OrdinaryCause());
}

f32 TOrbitCamera::FitArm(const TVector& pivot, const TVector& direction, f32 length) const
{
    if (!g_pCollisionManager)
        return length;
    const TVector start = Along(pivot, direction, ORBIT_MIN_ARM);
    // A ray needs its end beyond its start.
    if (length + ORBIT_RAY_BEYOND > ORBIT_MIN_ARM)
    {
        TCollisionHit hit = {};
        hit.nFilter = ORBIT_COLLISION_FILTER;
        if (g_pCollisionManager->RayCast(TRay(start, Along(pivot, direction, length + ORBIT_RAY_BEYOND)), hit, 0))
        {
            const TVector reach(hit.Point.x - pivot.x, hit.Point.y - pivot.y, hit.Point.z - pivot.z, 0.0f);
            length = reach.Length();
        }
    }
    TVector capsuleStart = start;
    capsuleStart.w = ORBIT_CAPSULE_RADIUS;
    const auto overlaps = [&](f32 arm)
    {
        TCollisionHit overlap = {};
        overlap.nFilter = ORBIT_COLLISION_FILTER;
        return g_pCollisionManager->OverlapCapsule(capsuleStart, Along(pivot, direction, arm + ORBIT_CAPSULE_BEYOND),
                                                   overlap) != 0;
    };
    // The tries step the arm in by a fixed amount until the capsule is free, at most the given
    // number of times and never below the least arm. The capsules share their start and radius,
    // so a shorter one lies inside a longer one: the first free try is found by halving, with
    // the same lengths and the same result as making them in turn.
    f32 tries[ORBIT_CAPSULE_TRIES];
    tries[0] = length;
    i32 count = 1;
    while (count < ORBIT_CAPSULE_TRIES && tries[count - 1] - ORBIT_ARM_STEP >= ORBIT_MIN_ARM)
    {
        tries[count] = tries[count - 1] - ORBIT_ARM_STEP;
        ++count;
    }
    if (!overlaps(tries[0]))
        return tries[0];
    i32 low = 1, high = count;
    while (low < high)
    {
        const i32 middle = (low + high) / 2;
        if (overlaps(tries[middle]))
            low = middle + 1;
        else
            high = middle;
    }
    if (low < count)
        return tries[low];
    length = tries[count - 1] - ORBIT_ARM_STEP;
    return length < ORBIT_MIN_ARM ? ORBIT_MIN_ARM : length;
}
