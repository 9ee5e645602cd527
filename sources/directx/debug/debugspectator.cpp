// The spectator camera of the debug manager: camera_enable hands the view to the level's camera
// named "spectator", and each frame its focus flies it by the eight actions and four keys.
#include "core/system/log.h"
#include "core/system/timer.h"
#include "directx/debug/debugmanager.h"
#include "directx/debug/debugvariables.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/input/input.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "engine/render/camera.h"
#include "engine/system/node.h"

namespace
{
const char* const ACTION_NAMES[DEBUG_ACTION_COUNT] = {"moveleft",   "moveright",   "moveup",        "movedown",
                                                      "rotateleft", "rotateright", "rotateforward", "rotatebackward"};

TCamera* FindSpectator()
{
    static const TName s_Spectator("spectator", true);
    for (i32 i = 0; g_pDxCameraManager && i < g_pDxCameraManager->GetCameraCount(); ++i)
    {
        TCamera* camera = g_pDxCameraManager->GetCamera(i);
        if (camera && camera->pNode && camera->pNode->m_Name == s_Spectator)
            return camera;
    }
    return nullptr;
}

// The viewport draws the camera, which becomes the current and the main camera.
void TakeView(TDxViewport* viewport, TCamera* camera)
{
    viewport->SetCamera(camera);
    g_pDxCameraManager->SetCamera(camera);
    camera->UpdateView();
    g_pDxCameraManager->SetMainCamera(camera);
}

f32 Value(TInputAction* action)
{
    return action ? action->GetValue() : 0.0f;
}

bool Held(TInput* key)
{
    return key && key->GetValue() != 0.0f;
}

bool WentDown(TInput* key)
{
    return key && key->WasPressed();
}
} // namespace

void TDebugManager::OnClusterLoad()
{
    TInputManager& input = TInputManager::Instance();
    for (u32 i = 0; i < DEBUG_ACTION_COUNT; ++i)
        m_apAction[i] = input.CreateAction(TName(ACTION_NAMES[i], true), 0);
    input.RegisterInputFocus(this, DEBUG_FOCUS_LAYER);
}

void TDebugManager::CameraEnable(i32 on)
{
    TDxViewport* viewport = g_pDxViewportManager ? g_pDxViewportManager->GetCurrentViewport() : nullptr;
    if (!viewport || !g_pDxCameraManager)
        return;
    if (on)
    {
        m_pSavedCamera = g_pDxCameraManager->GetMainCamera();
        TCamera* spectator = FindSpectator();
        if (!spectator)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TDebugManager::CameraEnable(): error: ",
                        "unable to find 'spectator' camera");
            return;
        }
        m_nCameraEnabled = 1;
        if (m_pSavedCamera && m_pSavedCamera->pNode)
            spectator->pNode->SetWorldMatrix(*m_pSavedCamera->pNode->GetWorldMatrix(), TNode::OrdinaryCause());
        TakeView(viewport, spectator);
        return;
    }
    m_nCameraEnabled = 0;
    if (m_pSavedCamera)
        TakeView(viewport, m_pSavedCamera);
}

void TDebugManager::UpdateSpectator()
{
    TDxViewport* viewport = g_pDxViewportManager ? g_pDxViewportManager->GetCurrentViewport() : nullptr;
    TCamera* camera = g_pDxCameraManager ? g_pDxCameraManager->GetMainCamera() : nullptr;
    if (!viewport || !m_nCameraEnabled || !camera || !camera->pNode)
        return;
    const f32 yaw = Value(m_apAction[DEBUG_ROTATE_LEFT]) - Value(m_apAction[DEBUG_ROTATE_RIGHT]);
    const f32 pitch = Value(m_apAction[DEBUG_ROTATE_FORWARD]) - Value(m_apAction[DEBUG_ROTATE_BACKWARD]);
    const f32 strafe = Value(m_apAction[DEBUG_MOVE_LEFT]) - Value(m_apAction[DEBUG_MOVE_RIGHT]);
    f32 forward = Value(m_apAction[DEBUG_MOVE_UP]) - Value(m_apAction[DEBUG_MOVE_DOWN]);
    f32 vertical = 0.0f;
    if (Held(m_apKey[DEBUG_KEY_LCTRL]))
    {
        vertical = forward;
        forward = 0.0f;
    }

    TDebugVariables& v = DebugVariables();
    f32 speed = DebugFloat(v.camera_speed);
    if (WentDown(m_apKey[DEBUG_KEY_NUMPAD_PLUS]))
        speed *= DEBUG_SPEED_UP;
    if (WentDown(m_apKey[DEBUG_KEY_NUMPAD_MINUS]))
        speed = std::max(speed * DEBUG_SPEED_DOWN, DEBUG_SPEED_MIN);
    v.camera_speed.SetFloat(speed);
    speed *= DebugFloat(v.camera_speedmod);
    if (Held(m_apKey[DEBUG_KEY_LSHIFT]))
        speed *= 2.0f;

    const f32 dt = g_pTimer->GetRealTimeStep();
    const f32 sensitivity = DebugFloat(v.camera_mouse_sensitivity);
    const f32 yawAngle = sensitivity * dt * yaw * DEBUG_TURN_RATE;
    const f32 pitchAngle = sensitivity * dt * pitch * DEBUG_TURN_RATE;
    const f32 move = dt * speed * 2.0f;

    // The turn happens in the camera's own frame, then the frame is squared to the world's up.
    TMatrix m = TMatrix::Multiply(TMatrix::RotationXYZ(pitchAngle, yawAngle, 0.0f), *camera->pNode->GetWorldMatrix());
    const TVector up(0.0f, 1.0f, 0.0f, 0.0f);
    const TVector front = m.aRow[2];
    const TVector side = TVector::Cross(up, front).Normalized();
    const TVector top = TVector::Cross(front, side).Normalized();
    TVector position = m.aRow[3];
    position = TVector::Add(position, side.Scaled(strafe * move));
    position = TVector::Add(position, top.Scaled(vertical * move));
    position = TVector::Add(position, front.Scaled(forward * move));
    m.aRow[0] = TVector(side.x, side.y, side.z, 0.0f);
    m.aRow[1] = TVector(top.x, top.y, top.z, 0.0f);
    m.aRow[2] = TVector(front.x, front.y, front.z, 0.0f);
    m.aRow[3] = TVector(position.x, position.y, position.z, 1.0f);
    camera->pNode->SetWorldMatrix(m, TNode::OrdinaryCause());
}
