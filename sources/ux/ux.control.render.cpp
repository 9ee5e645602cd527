// UX::TControl: drawing the subtree once per frame through the canvas: culling and clipping
// against the device's scissor rectangle, the background and state images with a cross-fade
// during transitions, the render events, the class's own Draw and the children.
#include "ux/ux.control.h"

#include "core/math/vector.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"

#include <algorithm>
#include <cmath>

namespace UX
{
namespace
{
constexpr f32 kHalfPi = 1.5707964f;

void FlushCanvas()
{
    if (g_pCanvasManager)
        g_pCanvasManager->Flush();
}

bool Outside(const TRect& box, const TVector& clip)
{
    return box.x + box.width < clip.x || box.x > clip.z || box.y + box.height < clip.y || box.y > clip.w;
}

void DrawImage(const TImage& image, const TRect& box, const TStateBlock& computed, f32 alphaFactor)
{
    if (!image.pTexture)
        return;
    TColor tint = computed.Color;
    tint.a *= alphaFactor;
    image.Draw(box.x, box.y, box.width, box.height, computed.ScaleX, computed.ScaleY, tint);
}
} // namespace

void TControl::SetClip()
{
    TDeviceManager* device = g_pDeviceManager;
    FlushCanvas();
    f32 left = BoxRect.x;
    f32 top = BoxRect.y;
    f32 right = BoxRect.x + BoxRect.width;
    f32 bottom = BoxRect.y + BoxRect.height;
    if (pStyle)
    {
        const TInset& inset = pStyle->ScissorInset;
        const f32 sx = Computed.ScaleX;
        const f32 sy = Computed.ScaleY;
        if (inset.nFlags & SIDE_LEFT)
            left += std::max(0.0f, inset.left * sx);
        if (inset.nFlags & SIDE_RIGHT)
            right -= std::max(0.0f, inset.right * sx);
        if (inset.nFlags & SIDE_TOP)
            top += std::max(0.0f, inset.top * sy);
        if (inset.nFlags & SIDE_BOTTOM)
            bottom -= std::max(0.0f, inset.bottom * sy);
    }
    if (device->GetScissorTest())
    {
        const TVector enclosing = device->GetScissorRect();
        top = std::clamp(top, enclosing.y, enclosing.w);
        bottom = std::clamp(bottom, enclosing.y, enclosing.w);
    }
    device->SetScissorRect(static_cast<i32>(left), static_cast<i32>(top), static_cast<i32>(right),
                           static_cast<i32>(bottom));
    device->SetScissorTest(1);
}

void TControl::Render()
{
    if (!IsVisibleOnScreen() || !g_pDeviceManager)
        return;
    TDeviceManager* device = g_pDeviceManager;
    const u32 savedTest = device->GetScissorTest();
    const TVector savedRect = device->GetScissorRect();
    bool restore = false;
    if (savedTest)
    {
        if (!(nFlags & CONTROL_UNCLIPPED))
        {
            if (Outside(BoxRect, savedRect))
                return;
        }
        else
        {
            FlushCanvas();
            device->SetScissorTest(0);
            restore = true;
        }
    }
    auto clipAt = [&](u32 stage) {
        if ((nFlags & CONTROL_CLIPS) && nClipStage == stage)
        {
            SetClip();
            restore = true;
        }
    };

    clipAt(CLIP_BEFORE_ALL);
    aEvent[EVENT_BEFORE_RENDER].Invoke(this, nullptr);
    DrawImage(BackgroundImage, BoxRect, Computed, 1.0f);
    if (nTargetState == STATE_NONE)
        DrawImage(aTransitionImage[nState], BoxRect, Computed, 1.0f);
    else
    {
        const TImage& from = aTransitionImage[nState];
        const TImage& to = aTransitionImage[nTargetState];
        const TStateBlock* fromBlock = StyleBlock(nState);
        const TStateBlock* toBlock = StyleBlock(nTargetState);
        const bool sameColour =
            !fromBlock || !toBlock ||
            (fromBlock->Color.r == toBlock->Color.r && fromBlock->Color.g == toBlock->Color.g &&
             fromBlock->Color.b == toBlock->Color.b && fromBlock->Color.a == toBlock->Color.a);
        if (from == to && sameColour)
            DrawImage(from, BoxRect, Computed, 1.0f);
        else
        {
            const f32 r = fTransitionDuration > 0.0f
                              ? std::clamp(fTransitionRemaining / fTransitionDuration, 0.0f, 1.0f)
                              : 0.0f;
            const f32 angle = r * kHalfPi;
            DrawImage(from, BoxRect, Computed, std::sin(angle));
            DrawImage(to, BoxRect, Computed, std::cos(angle));
        }
    }
    clipAt(CLIP_BEFORE_RENDER_EVENT);
    aEvent[EVENT_RENDER].Invoke(this, nullptr);
    clipAt(CLIP_BEFORE_DRAW);
    Draw();
    clipAt(CLIP_BEFORE_CHILDREN);
    for (TControl* child = lChild.pFirst; child; child = child->pNext)
        child->Render();
    clipAt(CLIP_AFTER_CHILDREN);
    aEvent[EVENT_AFTER_RENDER].Invoke(this, nullptr);

    if (!restore)
        return;
    FlushCanvas();
    device->SetScissorRect(static_cast<i32>(savedRect.x), static_cast<i32>(savedRect.y),
                           static_cast<i32>(savedRect.z), static_cast<i32>(savedRect.w));
    device->SetScissorTest(savedTest);
}
} // namespace UX
