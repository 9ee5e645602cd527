#pragma once
// TUIWindow: a button drawn as a framed panel (the frame texture nine-sliced over the window)
// with an optional title bar drawn in its own tint; dialogs and popups.
#include "ui/uibutton.h"

class TUIWindow : public TUIButton
{
public:
    i32 Draw() override;
    void ReleaseClusterData() override
    {
        UIReleaseTexture(m_pFrame, m_FrameName);
        TUIButton::ReleaseClusterData();
    }
    void RestoreClusterData() override
    {
        UIRestoreTexture(m_pFrame, m_FrameName);
        TUIButton::RestoreClusterData();
    }

    TTexture* m_pFrame = nullptr;
    TName m_FrameName;
    // The frame texture's slice borders, in its pixels.
    f32 m_fFrameBorder = 8.0f;
    // 0: no title bar.
    f32 m_fTitleHeight = 0.0f;
    TColor m_TitleColor{1.0f, 1.0f, 1.0f, 1.0f};
};
