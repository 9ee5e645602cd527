#include "ui/uiicon.h"

#include "core/system/log.h"
#include "engine/render/texture.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

namespace
{
enum EIconFault : u32
{
    FAULT_SLICING,
    FAULT_FRAME,
    FAULT_BORDERS,
    FAULT_TEXTURE_SIZE
};

// Stored data is drawn every frame: each fault of an icon is told once.
void Fault(const TUIIcon& icon, EIconFault fault, const char* format, i32 value)
{
    static std::set<std::pair<u32, u32>> s_Told;
    if (!s_Told.insert({icon.Name.GetId(), fault}).second)
        return;
    char message[160];
    std::snprintf(message, sizeof message, format, value);
    TLog::Print(g_pSystemLog, LOG_ERROR, "TUIIcon::Draw(): error: ", "'%s': %s", icon.Name.GetText(),
                message);
}
} // namespace

i32 TUIIcon::GetFrame(u32 state) const
{
    const i32 frame = state < UI_STATE_COUNT ? aFrame[state] : -1;
    return frame >= 0 ? frame : aFrame[UI_STATE_NORMAL];
}

f32 TUIIcon::GetEntryFrameHeight() const
{
    if (!pNormal)
        return 0.0f;
    i32 highest = 0;
    for (i32 frame : aFrame)
        highest = std::max(highest, frame);
    return static_cast<f32>(pNormal->m_nHeight) / static_cast<f32>(highest + 1);
}

TTexture* TUIIcon::Resolve(u32 state, f32& top, f32& bottom) const
{
    top = 0.0f;
    bottom = 1.0f;
    if (nFrameCount < 1)
    {
        switch (state)
        {
        case UI_STATE_NORMAL:
            return pNormal;
        case UI_STATE_OVER:
            return pMouseOver;
        case UI_STATE_DOWN:
            return pDown;
        case UI_STATE_DISABLED:
            return pDisabled;
        default:
            return nullptr;
        }
    }
    const i32 frame = GetFrame(state);
    if (frame < 0 || !pNormal)
        return nullptr;
    if (frame >= nFrameCount)
    {
        Fault(*this, FAULT_FRAME, "frame %d beyond the frame count", frame);
        return nullptr;
    }
    top = static_cast<f32>(frame) / static_cast<f32>(nFrameCount);
    bottom = static_cast<f32>(frame + 1) / static_cast<f32>(nFrameCount);
    return pNormal;
}

void TUIIcon::Draw(const TUIRect& rect, u32 state, u32 argb, const TUIRect* clip, f32 scale) const
{
    if (nSlicing < UI_SLICE_PLAIN || nSlicing > UI_SLICE_NINE)
    {
        Fault(*this, FAULT_SLICING, "slicing mode %d unknown", nSlicing);
        return;
    }
    f32 top, bottom;
    TTexture* texture = Resolve(state, top, bottom);
    if (!texture)
        return;
    const i32 frames = nFrameCount < 1 ? 1 : nFrameCount;
    if (texture->m_nWidth <= 0 || texture->m_nHeight < frames)
    {
        Fault(*this, FAULT_TEXTURE_SIZE, "texture of height %d cannot hold its frames", texture->m_nHeight);
        return;
    }
    const f32 width = static_cast<f32>(texture->m_nWidth);
    const f32 height = static_cast<f32>(texture->m_nHeight) / static_cast<f32>(frames);
    const bool bordersFit =
        aBorder[0] >= 0.0f && aBorder[1] >= 0.0f && aBorder[2] >= 0.0f && aBorder[3] >= 0.0f &&
        (nSlicing == UI_SLICE_PLAIN || (aBorder[0] + aBorder[2] <= width &&
                                        (nSlicing == UI_SLICE_THREE || aBorder[1] + aBorder[3] <= height)));
    if (!bordersFit)
    {
        Fault(*this, FAULT_BORDERS, "borders wider than the texture (%d pixels)", texture->m_nWidth);
        return;
    }
    const TUISliceSource source{width, height, top, bottom, aBorder, scale};
    switch (nSlicing)
    {
    case UI_SLICE_PLAIN:
        UIDrawPlain(rect, source, argb, texture, clip);
        break;
    case UI_SLICE_THREE:
        UIDrawThreeSlice(rect, source, argb, texture, clip);
        break;
    default:
        UIDrawNineSlice(rect, source, argb, texture, clip);
        break;
    }
}
