#pragma once
// UX::TFader: the UX manager's full-screen fade to and from black, an overlay of layer 1.
#include "ux/controls/ux.effect.h"
#include "ux/ux.core.h"

namespace UX
{

// States.
enum EFaderState : u32
{
    FADER_BLACK,
    FADER_TO_BLACK,
    FADER_IDLE,
    FADER_FROM_BLACK
};

class TFader : public TEffect
{
public:
    // Idle, over a second.
    TFader();

    // The time from 0 in the state (FADER_TO_BLACK or FADER_FROM_BLACK start a fade).
    void Start(u32 state) override;
    // A fade to black stays black, a fade from black becomes idle; OnFinished is raised
    // (argument 0) whatever the state.
    void Finish() override;
    bool IsActive() const override { return State != FADER_IDLE; }
    // The time runs while fading.
    void Update(f32 step) override;
    // Black over the back buffer at the fade's alpha (the UX manager's filled rectangle); a fade
    // whose time is up finishes.
    void Draw() override;
    // The alpha of the state: 1 black, the time's share of the duration fading (0 .. 1), 0 idle.
    f32 Alpha() const;

    f32 Time;
    f32 Duration;
    u32 State;
    TEvent OnFinished;
};
} // namespace UX
