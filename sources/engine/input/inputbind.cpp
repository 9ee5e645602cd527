#include "engine/input/inputbind.h"

#include "engine/input/inputaction.h"

bool TInputBind::GetState(const TInputAction& action, u16* states, u32 index)
{
    u32 state = 0;
    if (action.IsDown())
        state |= INPUT_STATE_DOWN;
    if (action.IsPressed())
        state |= INPUT_STATE_PRESSED;
    if (action.IsReleased())
        state |= INPUT_STATE_RELEASED;
    u16& word = states[index / INPUT_STATES_PER_WORD];
    const u32 shift = 3 * (index % INPUT_STATES_PER_WORD);
    const u32 old = (word >> shift) & 7u;
    word = static_cast<u16>((word & ~(7u << shift)) | (state << shift));
    return old != state;
}
