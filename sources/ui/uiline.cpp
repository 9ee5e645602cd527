#include "ui/uiline.h"

#include "engine/render/texture.h"

VESTAMOR_UI_ITEM(TUILine);

i32 TUILine::Draw()
{
    if (!m_pBar)
        return 0;
    const TUIRect rect = {m_Absolute.x, m_Absolute.y, m_Absolute.x + m_Size.x,
                          m_Absolute.y + static_cast<f32>(m_pBar->m_nHeight)};
    UIDrawRect(rect, UIColor(1.0f, 1.0f, 1.0f, m_fEffectiveOpacity), m_pBar);
    return 0;
}
