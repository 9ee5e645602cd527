#include "xaudio2/soundfade.h"

u32 TSoundFade::Step(f32 t)
{
    nChanged = 0;
    // No time moves nothing, whatever the rate (an endless rate times 0 is no number).
    const f32 step = t > 0.0f ? fRate * t : 0.0f;
    const f32 difference = fTarget - fCurrent;
    if (difference > 0.0f)
    {
        fCurrent = step > difference ? fTarget : fCurrent + step;
        nChanged = 1;
    }
    else if (difference < 0.0f)
    {
        fCurrent = step > -difference ? fTarget : fCurrent - step;
        nChanged = 1;
    }
    return nChanged;
}
