#pragma once
// The click sound of a style, played through the sound system's game sounds.
class TGameSound;

namespace UX
{
// Starts the sound with the start argument 0.
void PlayStyleSound(TGameSound* sound);
} // namespace UX
