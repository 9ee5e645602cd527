#pragma once
// Whether the platform layers may use a real display. Without one (no DISPLAY or
// WAYLAND_DISPLAY, or VESTAMOR_HEADLESS=1) every layer runs headless and nothing waits for
// a user.
bool PlatformHasDisplay();
