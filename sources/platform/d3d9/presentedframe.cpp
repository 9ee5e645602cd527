#include "platform/d3d9/presentedframe.h"

#include <cstring>
#include <vector>

namespace
{
struct TFrame
{
    std::mutex mutex;
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
};

TFrame& Frame()
{
    static TFrame frame;
    return frame;
}
} // namespace

bool D3D9CopyPresentedFrame(void* pixels, int pitch, int* width, int* height)
{
    TFrame& frame = Frame();
    std::lock_guard<std::mutex> lock(frame.mutex);
    if (frame.width == 0)
        return false;
    if (width)
        *width = frame.width;
    if (height)
        *height = frame.height;
    if (pixels)
    {
        for (int y = 0; y < frame.height; ++y)
            std::memcpy(static_cast<std::uint8_t*>(pixels) + y * pitch,
                        &frame.pixels[size_t(y) * frame.width], size_t(frame.width) * 4);
    }
    return true;
}

TPresentedFrameWriter::TPresentedFrameWriter(int width, int height)
    : lock_(Frame().mutex), pixels_(nullptr), width_(width)
{
    TFrame& frame = Frame();
    // resize keeps the storage when the size stays, as it does from frame to frame.
    frame.pixels.resize(size_t(width) * height);
    frame.width = width;
    frame.height = height;
    pixels_ = frame.pixels.data();
}
