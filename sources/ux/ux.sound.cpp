#include "ux/ux.sound.h"

namespace UX
{
void PlayStyleSound(TGameSound*) {}
} // namespace UX
