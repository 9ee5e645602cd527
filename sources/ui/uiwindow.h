#pragma once
// TUIWindow: a button drawn as a framed panel (the frame texture nine-sliced over the window)
// with an optional title bar drawn in its own tint; dialogs and popups.
#include "ui/uibutton.h"

class TUIWindow : public TUIButton
{
public:
    i32 Draw() override;

    TTexture* m_pFrame = nullptr;
    // The frame texture's slice borders, in its pixels.
    f32 m_fFrameBorder = 8.0f;
    // 0: no title bar.
    f32 m_fTitleHeight = 0.0f;
    TColor m_TitleColor{1.0f, 1.0f, 1.0f, 1.0f};
};
