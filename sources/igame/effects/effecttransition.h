#pragma once
// TEffectTransition: the effects manager's move from its current settings to another record over
// time (744 bytes, saved as one block): blended fields move each frame, flags, textures and the
// transition time switch when it ends. The atmosphere's cross-fade weights follow it when both
// records name a cross-faded atmosphere.
#include "igame/effects/effectsettings.h"

class TAtmosphere;

class TEffectTransition
{
public:
    // Towards `target` over `seconds` (negative: the record's own time); 0 takes it at once.
    void Start(const TEffectSettings& target, f32 seconds);
    // One frame of dt seconds of a running transition.
    void Advance(f32 dt);
    // Clock, running flag and duration zeroed (the target is not taken) and every record's links
    // forgotten, as after a cluster load.
    void Reset();

    u32 IsRunning() const { return m_nRunning; }
    f32 GetClock() const { return m_fClock; }
    f32 GetDuration() const { return m_fDuration; }
    TEffectSettings& Current() { return m_Current; }
    TEffectSettings& StartSettings() { return m_Start; }
    TEffectSettings& Target() { return m_Target; }

    // The whole block as saved; a loaded block of another size, or with a negative or
    // non-finite clock or duration, or a running flag other than 0 or 1, is refused.
    static constexpr u32 SIZE = 744;
    const void* Block() const { return this; }
    bool LoadBlock(const void* block, u32 size);

private:
    // One record copied over another whose links it forgets first; the copy resolves its own.
    static void Assign(TEffectSettings& to, const TEffectSettings& from);
    static TAtmosphere* CrossFaded(TEffectSettings& settings);
    // Both records' cross-faded atmospheres' weights, when both are named and found.
    void SetCrossFade(f32 start, f32 target);

    f32 m_fClock = 0.0f;
    u32 m_nRunning = 0;
    f32 m_fDuration = 0.0f;
    TEffectSettings m_Start;
    TEffectSettings m_Target;
    TEffectSettings m_Current;
};

static_assert(sizeof(TEffectTransition) == TEffectTransition::SIZE);
