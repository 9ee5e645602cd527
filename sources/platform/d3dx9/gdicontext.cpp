#include "platform/d3dx9/gdicontext.h"

#include "platform/d3dx9/gdibitmap.h"
#include "platform/window/window.h"
#include "platform/window/winuser.h"

#include <algorithm>

namespace
{
// The size of a window's frame: the presented one, else the client area not yet presented.
bool WindowFrameSize(HWND window, int& width, int& height)
{
    if (D3D9CopyPresentedFrame(nullptr, 0, &width, &height))
        return true;
    RECT client;
    if (!window || !GetClientRect(window, &client))
        return false;
    width = client.right - client.left;
    height = client.bottom - client.top;
    return width > 0 && height > 0;
}
} // namespace

bool TGdiContext::Read(std::vector<std::uint32_t>& storage, TGdiPixels& view) const
{
    if (memory_)
    {
        if (!bitmap)
            return false;
        view = bitmap->View();
        return true;
    }
    int width = 0, height = 0;
    if (D3D9CopyPresentedFrame(nullptr, 0, &width, &height))
    {
        storage.resize(std::size_t(width) * height);
        // The frame may have changed size in between: the copy answers the size it made.
        if (!D3D9CopyPresentedFrame(nullptr, 0, &width, &height) || std::size_t(width) * height != storage.size())
            return false;
        D3D9CopyPresentedFrame(storage.data(), width * 4, nullptr, nullptr);
    }
    else if (WindowFrameSize(window_, width, height))
        storage.assign(std::size_t(width) * height, 0u);
    else
        return false;
    view = {reinterpret_cast<std::uint8_t*>(storage.data()), std::ptrdiff_t(width) * 4, width, height,
            {0, 0, width, height}};
    return true;
}

TGdiContext::TTarget::TTarget(TGdiContext& context)
{
    if (context.memory_)
    {
        if (context.bitmap)
            view_ = context.bitmap->View(), valid_ = true;
        Clip(context);
        return;
    }
    int width = 0, height = 0;
    // The screen itself is not drawn on.
    if (!context.window_ || !WindowFrameSize(context.window_, width, height))
        return;
    window_ = context.window_;
    frame_.emplace(width, height);
    view_ = {reinterpret_cast<std::uint8_t*>(frame_->Row(0)), std::ptrdiff_t(width) * 4, width, height,
             {0, 0, width, height}};
    valid_ = true;
    Clip(context);
}

void TGdiContext::TTarget::Clip(const TGdiContext& context)
{
    if (!context.clipped)
        return;
    RECT& b = view_.bounds;
    b = {std::max(b.left, context.clip.left), std::max(b.top, context.clip.top),
         std::min(b.right, context.clip.right), std::min(b.bottom, context.clip.bottom)};
}

TGdiContext::TTarget::~TTarget()
{
    if (frame_)
        WindowPresentPixels(window_, frame_->Pixels(), view_.width, view_.height, view_.width * 4);
}
