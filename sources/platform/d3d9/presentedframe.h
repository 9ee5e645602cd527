#pragma once
// The last frame any device of the layer presented, kept as X8R8G8B8 rows (with the gamma ramp
// applied in full screen) for screenshots, desktop capture and tests.
#include <cstdint>

// Copies the frame into `pixels` (rows of `pitch` bytes) when it is not null, and answers its
// size; false when nothing has been presented yet.
bool D3D9CopyPresentedFrame(void* pixels, int pitch, int* width, int* height);

void StorePresentedFrame(const std::uint32_t* pixels, int width, int height);
