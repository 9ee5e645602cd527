// UX::TControl: the geometry setters and the layout, which scales the control's rectangle in
// reference units by its own and its parent's scale pair, applies its aspect mode and its edge
// anchors against the parent's content rectangle, and derives the box and content rectangles.
#include "ux/ux.control.h"

#include "engine/render/device.h"
#include "ux/ux.manager.h"

#include <algorithm>
#include <cmath>

namespace UX
{
namespace
{
// Scale pairs that would divide by zero or come out unusable (a zero size or scale) keep the
// scale they had.
bool Usable(f32 value)
{
    return std::isfinite(value) && value != 0.0f;
}

void ApplyAspectMode(u32 mode, f32& sx, f32& sy, const TRect& parent, const TRect& own)
{
    if (mode == 0 || !Usable(sy))
        return;
    const f32 a = sx / sy;
    f32 x = sx;
    f32 y = sy;
    switch (mode)
    {
    case 1:
        x = parent.width * INV_REFERENCE_WIDTH;
        y = x * a;
        break;
    case 2:
        y = parent.height * INV_REFERENCE_HEIGHT;
        x = y / a;
        break;
    case 3:
        x = y = std::min(parent.width * INV_REFERENCE_WIDTH, parent.height * INV_REFERENCE_HEIGHT);
        break;
    case 4:
        x = parent.width / own.width;
        y = x * a;
        break;
    case 5:
        y = parent.height / own.height;
        x = y / a;
        break;
    case 6:
        x = y = std::max(parent.width / own.width, parent.height / own.height);
        break;
    case 7: {
        const f32 reference = g_pUXManager ? g_pUXManager->GetReferenceWidth() : UX_REFERENCE_WIDTH;
        const f32 screen =
            g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()) : reference;
        if (!(reference > screen) || !Usable(reference))
            return;
        x = y = parent.width / reference;
        y *= a;
        break;
    }
    default:
        return;
    }
    if (Usable(x) && Usable(y))
    {
        sx = x;
        sy = y;
    }
}

// One axis of the edge anchors: position and length from the near and far edge distances.
void AnchorAxis(u32 flags, u32 nearFlag, u32 farFlag, u32 centreFlag, f32 nearEdge, f32 farEdge, f32 scale,
                f32 parentStart, f32 parentLength, f32& position, f32& length)
{
    if (flags & centreFlag)
        position = nearEdge * parentLength + parentStart - length * 0.5f;
    else if ((flags & nearFlag) && (flags & farFlag))
    {
        position = nearEdge * scale + parentStart;
        length = farEdge * scale + parentLength + parentStart - position;
    }
    else if (flags & farFlag)
        position = farEdge * scale + parentLength + parentStart - length;
    else if (flags & nearFlag)
        position = nearEdge * scale + parentStart;
}

TColor Multiply(const TColor& a, const TColor& b)
{
    return {a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a};
}

f32 NaturalSize(f32 value, u16 natural, const TImage& image)
{
    return value == -1.0f && image.pTexture ? static_cast<f32>(natural) : value;
}
} // namespace

void TControl::SetLeft(f32 value)
{
    fLeft = value;
    nEdgeFlags |= SIDE_LEFT;
}

void TControl::SetRight(f32 value)
{
    fRight = value;
    nEdgeFlags |= SIDE_RIGHT;
}

void TControl::SetTop(f32 value)
{
    fTop = value;
    nEdgeFlags |= SIDE_TOP;
}

void TControl::SetBottom(f32 value)
{
    fBottom = value;
    nEdgeFlags |= SIDE_BOTTOM;
}

void TControl::SetPosition(f32 x, f32 y)
{
    Base.Rect.x = x;
    Base.Rect.y = y;
    nFlags |= CONTROL_POSITION_SET;
    if (nEdgeFlags & SIDE_LEFT)
        fLeft = x;
    if (nEdgeFlags & SIDE_TOP)
        fTop = y;
}

void TControl::SetSize(f32 width, f32 height)
{
    const TImage& normal = aTransitionImage[STATE_NORMAL];
    Base.Rect.width = NaturalSize(width, normal.TexWidth, normal);
    Base.Rect.height = NaturalSize(height, normal.TexHeight, normal);
    nFlags |= CONTROL_SIZE_SET;
}

void TControl::SetWidth(f32 width)
{
    const TImage& normal = aTransitionImage[STATE_NORMAL];
    Base.Rect.width = NaturalSize(width, normal.TexWidth, normal);
    nFlags |= CONTROL_SIZE_SET;
}

void TControl::SetRect(f32 x, f32 y, f32 width, f32 height)
{
    const f32 sx = Usable(Computed.ScaleX) ? Computed.ScaleX : 1.0f;
    const f32 sy = Usable(Computed.ScaleY) ? Computed.ScaleY : 1.0f;
    SetRectKeepNatural({x / sx, y / sy, width / sx, height / sy}, 1);
}

void TControl::SetRectKeepNatural(const TRect& rect, u32 applyEdges)
{
    const TImage& normal = aTransitionImage[STATE_NORMAL];
    Base.Rect = {rect.x, rect.y, NaturalSize(rect.width, normal.TexWidth, normal),
                 NaturalSize(rect.height, normal.TexHeight, normal)};
    nFlags |= CONTROL_LAYOUT_NEEDED;
    if (!applyEdges)
        return;
    if (nEdgeFlags & SIDE_LEFT)
        fLeft = Base.Rect.x;
    if (nEdgeFlags & SIDE_TOP)
        fTop = Base.Rect.y;
    if (nEdgeFlags & SIDE_RIGHT)
        fRight = Base.Rect.x + Base.Rect.width;
    if (nEdgeFlags & SIDE_BOTTOM)
        fBottom = Base.Rect.y + Base.Rect.height;
}

void TControl::Align(f32 fx, f32 fy)
{
    if (pParent)
        pParent->UpdateLayout(0);
    UpdateLayout(0);
    if (!pParent || !Usable(Computed.ScaleX) || !Usable(Computed.ScaleY))
        return;
    const f32 x = std::round((pParent->ContentRect.width - Computed.Rect.width) / Computed.ScaleX * fx);
    const f32 y = std::round((pParent->ContentRect.height - Computed.Rect.height) / Computed.ScaleY * fy);
    SetPosition(x, y);
}

void TControl::AlignVertically(f32 fy)
{
    if (pParent)
        pParent->UpdateLayout(0);
    UpdateLayout(0);
    if (!pParent || !Usable(Computed.ScaleY))
        return;
    SetPosition(Base.Rect.x,
                std::round((pParent->ContentRect.height - Computed.Rect.height) / Computed.ScaleY * fy));
}

void TControl::SetBackgroundImage(const TImage* image, u32 sizeToImage)
{
    BackgroundImage = image ? *image : DEFAULT_IMAGE;
    if (image && sizeToImage && image->pTexture)
        SetSize(image->SourceWidth(), image->SourceHeight());
}

void TControl::UpdateLayout(u32 children)
{
    if (!pParent)
    {
        // A root's values are pixels.
        Computed = Base;
        BoxRect = Computed.Margin.Apply(Computed.Rect, Computed.ScaleX, Computed.ScaleY);
        ContentRect = Computed.Padding.Apply(BoxRect, Computed.ScaleX, Computed.ScaleY);
    }
    else
    {
        TUpdateSizeArgs args{pParent->ContentRect, pParent->Computed.ScaleX, pParent->Computed.ScaleY};
        aEvent[EVENT_UPDATE_SIZE].Invoke(this, &args);
        // Recomputed from the base block in every case, so that a second layout in one frame
        // does not multiply the colours by the parent's again.
        UpdateTransition(0.0f, 0);
        if (!(nFlags & CONTROL_ABSOLUTE))
        {
            f32 sx = Computed.ScaleX * args.ScaleX;
            f32 sy = Computed.ScaleY * args.ScaleY;
            ApplyAspectMode(nAspectMode, sx, sy, args.Parent, Computed.Rect);
            Computed.ScaleX = sx;
            Computed.ScaleY = sy;
            TRect& r = Computed.Rect;
            r = {r.x * sx + args.Parent.x, r.y * sy + args.Parent.y, r.width * sx, r.height * sy};
            AnchorAxis(nEdgeFlags, SIDE_LEFT, SIDE_RIGHT, EDGE_CENTRE_HORIZONTALLY, fLeft, fRight, sx,
                       args.Parent.x, args.Parent.width, r.x, r.width);
            AnchorAxis(nEdgeFlags, SIDE_TOP, SIDE_BOTTOM, EDGE_CENTRE_VERTICALLY, fTop, fBottom, sy,
                       args.Parent.y, args.Parent.height, r.y, r.height);
        }
        Computed.Color = Multiply(Computed.Color, pParent->Computed.Color);
        Computed.TextColor = Multiply(Computed.TextColor, pParent->Computed.Color);
        BoxRect = Computed.Margin.Apply(Computed.Rect, Computed.ScaleX, Computed.ScaleY);
        ContentRect = Computed.Padding.Apply(BoxRect, Computed.ScaleX, Computed.ScaleY);
    }
    if (!children)
        return;
    for (TControl* child = lChild.pFirst; child; child = child->pNext)
        child->UpdateLayout(1);
}
} // namespace UX
