#pragma once
// TUILabel: text with a second text block and an optional companion item placed beside it
// (a slider or check box of an options row), centred on the label's height.
#include "ui/uiitem.h"

class TUILabel : public TUIItem
{
public:
    void OnLayout() override;
    i32 Draw() override;

    TUIText m_Second;
    TUIItem* m_pCompanion = nullptr;
    f32 m_fCompanionOffset = 0.0f;
};
