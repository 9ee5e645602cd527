#include "ui/uilabel.h"

VESTAMOR_UI_ITEM(TUILabel);

void TUILabel::OnLayout()
{
    if (m_pCompanion)
        m_pCompanion->SetPosition(m_fCompanionOffset, (m_Size.y - m_pCompanion->m_Size.y + 1.0f) * 0.5f);
}

i32 TUILabel::Draw()
{
    const TUIRect rect = GetAbsoluteRect();
    m_Caption.Draw(rect, m_fEffectiveOpacity);
    m_Second.Draw(rect, m_fEffectiveOpacity);
    return 0;
}
