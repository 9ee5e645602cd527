#pragma once
// The last frame any device of the layer presented, kept as X8R8G8B8 rows (with the gamma ramp
// applied in full screen) for screenshots, desktop capture and tests.
#include <cstdint>
#include <mutex>

// Copies the frame into `pixels` (rows of `pitch` bytes) when it is not null, and answers its
// size; false when nothing has been presented yet.
bool D3D9CopyPresentedFrame(void* pixels, int pitch, int* width, int* height);

// The presenting device writes the new frame straight into the kept one: the frame is locked
// and sized while the writer lives, and its storage stays from one present to the next.
class TPresentedFrameWriter
{
public:
    TPresentedFrameWriter(int width, int height);
    TPresentedFrameWriter(const TPresentedFrameWriter&) = delete;
    TPresentedFrameWriter& operator=(const TPresentedFrameWriter&) = delete;

    std::uint32_t* Row(int y) { return pixels_ + std::size_t(y) * width_; }
    const std::uint32_t* Pixels() const { return pixels_; }

private:
    std::unique_lock<std::mutex> lock_;
    std::uint32_t* pixels_;
    int width_;
};
