#include "ui/uistacker.h"

#include <algorithm>

VESTAMOR_UI_ITEM(TUIStacker);

namespace
{
// Resizing the stacker lays it out again, which would arrange it again from inside.
bool s_bArranging = false;
} // namespace

void TUIStacker::OnLayout()
{
    if (s_bArranging)
        return;
    s_bArranging = true;
    const f32 margin = m_nMargin ? m_fGap : 0.0f;
    // Along: the axis the children follow each other on; across: the other.
    f32 along = 2.0f * margin;
    f32 across = 0.0f;
    for (TUIItem* child : m_aChildren)
    {
        if (child->IsInactive())
            continue;
        along += (m_nVertical ? child->m_Size.y : child->m_Size.x) + m_fGap;
        across = std::max(across, m_nVertical ? child->m_Size.x : child->m_Size.y);
    }
    across += 2.0f * margin;
    const f32 width = m_nVertical ? across : along;
    const f32 height = m_nVertical ? along : across;
    if (width != m_Size.x || height != m_Size.y)
    {
        m_Size = TVector(width, height, m_Size.z, m_Size.w);
        OnResize();
        for (TUIItem* child : m_aChildren)
            child->UpdateLayout();
    }
    f32 at = margin;
    for (TUIItem* child : m_aChildren)
    {
        if (child->IsInactive())
            continue;
        if (m_nVertical)
        {
            child->SetPosition(margin, at, child->m_Position.z, child->m_Position.w);
            at += child->m_Size.y + m_fGap;
        }
        else
        {
            child->SetPosition(at, (m_Size.y - child->m_Size.y) * 0.5f + margin, child->m_Position.z,
                               child->m_Position.w);
            at += child->m_Size.x + m_fGap;
        }
    }
    s_bArranging = false;
}
