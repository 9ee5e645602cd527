#include "ageia/nxdynamicsdebug.h"

#include "ageia/dynamicsjoint.h"
#include "ageia/nxbody.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxgeometry.h"
#include "core/system/string.h"
#include "engine/render/camera.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/mesh.h"
#include "engine/system/command/variable.h"
#include "engine/system/node.h"
#include "platform/physics/nxwheelshape.h"

#include <cstring>

namespace
{
class Tdynamics_debugVariable : public TVariable
{
public:
    Tdynamics_debugVariable() : TVariable("dynamics_debug", "show dynamics objects", 0) { m_Value.SetInt(0); }
    void OnChange() override {}
};

Tdynamics_debugVariable s_dynamics_debug;

// Object words at the offsets the overlay reads (inside the shape descriptor).
template <class T> T WordAt(const void* object, u32 offset)
{
    T value;
    std::memcpy(&value, static_cast<const u8*>(object) + offset, sizeof value);
    return value;
}

constexpr u32 WHEEL_LABEL_OFFSETS[2] = {332, 336};
constexpr u32 LABEL_WORD16_OFFSET = 208;
constexpr u32 LABEL_WORD32_OFFSET = 204;

TVector Down(const TMatrix& world, f32 distance)
{
    const TVector& up = world.aRow[1];
    const TVector& t = world.aRow[3];
    return TVector(t.x - up.x * distance, t.y - up.y * distance, t.z - up.z * distance, 1.0f);
}
} // namespace

i32 TNxDynamicsDebug::GetLevel()
{
    const TVariableValue& value = s_dynamics_debug.GetValue();
    if (value.nType == VALUE_INT || value.nType == VALUE_NAME || value.nType == VALUE_COLOUR)
        return value.nInt;
    if (value.nType == VALUE_FLOAT)
        return static_cast<i32>(value.fFloat);
    return -1;
}

void TNxDynamicsDebug::Render(TNxDynamicsManager& manager)
{
    const i32 level = GetLevel();
    if (level == 0 || !g_pCanvasManager)
        return;
    if (level < DYNAMICS_DEBUG_OFF)
    {
        g_pCanvasManager->SetFont(TName("Arial", true), 10);
        for (i32 i = 0; i < manager.GetJointCount(); ++i)
        {
            TNode* node = manager.GetJoint(i)->pNode;
            if (node && node->IsEnabled())
                g_pCanvasManager->DrawAxes(*node->GetWorldMatrix(), DYNAMICS_DEBUG_JOINT_AXES);
        }
        for (TNxDynamicsBody* body = manager.GetFirstAwake(); body; body = body->pNext)
            DrawBody(*body, level);
    }
    g_pCanvasManager->Flush();
}

void TNxDynamicsDebug::DrawBody(TNxDynamicsBody& body, i32 level)
{
    if (body.pSkeleton && body.pNode)
        g_pCanvasManager->DrawAxes(TMatrix::Multiply(body.m_Bind, *body.pNode->GetWorldMatrix()),
                                   DYNAMICS_DEBUG_SKELETON_AXES);
    const TColor& colour = body.IsDynamic() ? DYNAMICS_DEBUG_DYNAMIC : DYNAMICS_DEBUG_STATIC;
    for (i32 i = 0; i < body.GetGeometryCount(); ++i)
    {
        auto* shape = static_cast<TNxDynamicsGeometry*>(body.GetGeometry(i));
        TNode* node = shape->pNode;
        if (!node || !node->IsEnabled())
            continue;
        const TMatrix& world = *node->GetWorldMatrix();
        const TVector& size = shape->GetSize();
        char text[64];
        if (shape->m_nType == GEOMETRY_BOX)
        {
            TBoundBox box;
            box.minimum = TVector(-size.x, -size.y, -size.z, 1.0f);
            box.maximum = TVector(size.x, size.y, size.z, 1.0f);
            box.Update();
            g_pCanvasManager->DrawBox(world, box, shape->IsTrigger() ? DYNAMICS_DEBUG_TRIGGER : colour);
        }
        else if (shape->m_nType == GEOMETRY_SPHERE)
            g_pCanvasManager->DrawSphere(world.aRow[3], size.x, colour, 1.0f);
        else if (shape->m_nType == GEOMETRY_WHEEL)
        {
            FormatStringN(text, sizeof text, "%.1f %.1f", WordAt<f32>(shape, WHEEL_LABEL_OFFSETS[0]),
                          WordAt<f32>(shape, WHEEL_LABEL_OFFSETS[1]));
            DrawLabel(world.aRow[3], text, false);
            auto* wheel = static_cast<NxWheelShape*>(shape->GetShape());
            const f32 travel = wheel ? wheel->getSuspensionTravel() : 0.0f;
            f32 compression = travel;
            NxWheelContactData contact;
            if (wheel && wheel->getContact(contact))
                compression = contact.contactPosition - wheel->getRadius();
            g_pCanvasManager->DrawSphere(Down(world, compression), wheel ? wheel->getRadius() : size.x, colour, 1.0f);
            g_pCanvasManager->DrawLine3D(world.aRow[3], Down(world, travel), colour);
        }
        if (level >= DYNAMICS_DEBUG_LABELS)
        {
            FormatStringN(text, sizeof text, "%d|%d", WordAt<u16>(shape, LABEL_WORD16_OFFSET),
                          WordAt<u32>(shape, LABEL_WORD32_OFFSET));
            DrawLabel(world.aRow[3], text, true);
        }
    }
}

void TNxDynamicsDebug::DrawLabel(const TVector& position, const char* text, bool outline)
{
    const TCamera* camera = g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
    if (!camera)
        return;
    const TVector at = camera->ProjectPoint(position);
    // A one-pixel outline: the text eight times around its place, then once over it.
    for (i32 dy = -1; dy <= 1 && outline; ++dy)
        for (i32 dx = -1; dx <= 1; ++dx)
            if (dx || dy)
                g_pCanvasManager->WriteColored(at.x + static_cast<f32>(dx), at.y + static_cast<f32>(dy),
                                               DYNAMICS_DEBUG_OUTLINE, text, 0);
    g_pCanvasManager->WriteColored(at.x, at.y, DYNAMICS_DEBUG_TEXT, text, 0);
}
