#pragma once
// TUIStacker: lines its open children up, vertically (at construction) or horizontally, each
// followed by the gap (so a trailing gap remains), with the gap as outer margin when asked; it
// takes the size of what it holds.
#include "ui/uiitem.h"

class TUIStacker : public TUIItem
{
public:
    void OnLayout() override;

    u32 m_nVertical = 1;
    f32 m_fGap = 0.0f;
    u32 m_nMargin = 0;
};
