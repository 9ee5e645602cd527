#pragma once
// What the window layer offers the software Direct3D 9 layer beyond the Windows calls: showing
// a finished frame in a window, the display modes of an adapter and the adapter's monitor.
// Adapters are the displays, numbered from 0; headless there is one adapter with a fixed list
// of modes.
#include "platform/windef/windef.h"

// Copies a frame of 32-bit X8R8G8B8 pixels (rows `pitch` bytes apart, top row first) into the
// window's client area, scaled to it. Headless: checks the arguments and does nothing else.
bool WindowPresentPixels(HWND window, const void* pixels, int width, int height, int pitch);
// Whether a display shows the window: false headless, and for no window.
bool WindowOnDisplay(HWND window);

int WindowGetAdapterCount();
int WindowGetDisplayModeCount(int adapter);
bool WindowGetDisplayMode(int adapter, int index, int* width, int* height, int* refreshRate);
// Null for an adapter that does not exist.
HMONITOR WindowGetAdapterMonitor(int adapter);
