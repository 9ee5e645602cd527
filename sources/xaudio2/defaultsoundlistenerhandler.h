#pragma once
// TDefaultSoundListenerHandler: the listener while nobody else is installed: the main camera,
// its front the placement's Z row, its top the Y row negated, its velocity measured over at
// least sound_updateinterval seconds and held to a length of 4.0. Without a camera the frame
// keeps its place and stands still.
#include "engine/sound/soundlistenermethods.h"

class TCamera;

// The longest listener velocity, in units a second.
constexpr f32 SOUND_LISTENER_MAX_SPEED = 4.0f;

class TDefaultSoundListenerHandler : public TSoundListenerMethods
{
public:
    void GetFrame(f32 t, TSoundListenerFrame& frame) override;

private:
    TVector m_PreviousPosition = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    f32 m_fElapsed = 0.0f;
    const TCamera* m_pLastCamera = nullptr;
};
