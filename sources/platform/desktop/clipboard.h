#pragma once
// The clipboard's text, in UTF-8. With a display (PlatformHasDisplay) it is the desktop's
// clipboard through SDL; without one, or when SDL's video cannot start, an in-process store.
#include <string>

std::string PlatformClipboardGetText();
void PlatformClipboardSetText(const char* text);
