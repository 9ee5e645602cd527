#include "xaudio2/defaultsoundlistenerhandler.h"

#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "xaudio2/soundvariables.h"

void TDefaultSoundListenerHandler::GetFrame(f32 t, TSoundListenerFrame& frame)
{
    const TCamera* camera = g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
    if (!camera)
    {
        m_pLastCamera = nullptr;
        frame.Velocity = TVector(0.0f, 0.0f, 0.0f, 0.0f);
        return;
    }
    const TMatrix& placement = camera->m_Placement;
    frame.Front = placement.aRow[2];
    frame.Top = placement.aRow[1].Negated();
    frame.Position = placement.aRow[3];
    m_fElapsed += t;
    if (camera == m_pLastCamera)
    {
        // Too short a time measures no speed: the frame keeps the last one.
        if (m_fElapsed < g_sound_updateinterval.GetValue().ToFloat())
            return;
        frame.Velocity = TVector::Subtract(frame.Position, m_PreviousPosition).Scaled(1.0f / m_fElapsed);
        if (frame.Velocity.Length() > SOUND_LISTENER_MAX_SPEED)
            frame.Velocity.SetLength(SOUND_LISTENER_MAX_SPEED);
    }
    else
        frame.Velocity = TVector(0.0f, 0.0f, 0.0f, 0.0f);
    m_PreviousPosition = frame.Position;
    m_pLastCamera = camera;
    m_fElapsed = 0.0f;
}
