#include "ux/ux.style.h"

#include "ux/ux.reflection.h"

#include <cstring>

namespace UX
{
TRect TInset::Apply(const TRect& rect, f32 scaleX, f32 scaleY) const
{
    TRect inner = rect;
    if (nFlags & SIDE_LEFT)
    {
        inner.x += left * scaleX;
        inner.width -= left * scaleX;
    }
    if (nFlags & SIDE_RIGHT)
        inner.width -= right * scaleX;
    if (nFlags & SIDE_TOP)
    {
        inner.y += top * scaleY;
        inner.height -= top * scaleY;
    }
    if (nFlags & SIDE_BOTTOM)
        inner.height -= bottom * scaleY;
    return inner;
}

TStateBlock TStateBlock::Default()
{
    TStateBlock block;
    std::memset(static_cast<void*>(&block), 0, sizeof block);
    block.Color = {1.0f, 1.0f, 1.0f, 1.0f};
    block.ScaleX = block.ScaleY = 1.0f;
    block.Image = DEFAULT_IMAGE;
    block.TextColor = {1.0f, 1.0f, 1.0f, 1.0f};
    block.TransitionTime = 0.1f;
    return block;
}

TTransitionStyle TTransitionStyle::Make(const TName& name)
{
    TTransitionStyle style;
    std::memset(static_cast<void*>(&style), 0, sizeof style);
    style.Name = name;
    for (TStateBlock& block : style.aTransition)
        block = TStateBlock::Default();
    return style;
}
} // namespace UX

namespace UX
{
const TClusterTypeDecl& TTransitionStyleDecl()
{
    static const TTransitionStyle s_Prototype = TTransitionStyle::Make(TName());
    static TClusterTypeDecl s_Decl(
        "UX::TTransitionStyle", TRANSITION_STYLE_TYPE_ID, sizeof(TTransitionStyle), &s_Prototype, 0,
        {UX_LINK(72, TEXTURE_TYPE_ID, 1, "aTransition[0]._Image.pTexture", "UX::TTransitionStyle"),
         UX_LINK(244, TEXTURE_TYPE_ID, 1, "aTransition[1]._Image.pTexture", "UX::TTransitionStyle"),
         UX_LINK(416, TEXTURE_TYPE_ID, 1, "aTransition[2]._Image.pTexture", "UX::TTransitionStyle"),
         UX_LINK(588, TEXTURE_TYPE_ID, 1, "aTransition[3]._Image.pTexture", "UX::TTransitionStyle"),
         UX_LINK(760, TEXTURE_TYPE_ID, 1, "aTransition[4]._Image.pTexture", "UX::TTransitionStyle"),
         UX_LINK(932, TEXTURE_TYPE_ID, 1, "aTransition[5]._Image.pTexture", "UX::TTransitionStyle"),
         UX_LINK(1056, GAME_SOUND_TYPE_ID, 1, "pSoundOnClick", "UX::TTransitionStyle")});
    return s_Decl;
}
} // namespace UX
