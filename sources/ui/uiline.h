#pragma once
// TUILine: a textured bar as wide as the item and as high as its texture.
#include "ui/uiitem.h"

class TTexture;

class TUILine : public TUIItem
{
public:
    i32 Draw() override;
    void ReleaseClusterData() override
    {
        UIReleaseTexture(m_pBar, m_BarName);
        TUIItem::ReleaseClusterData();
    }
    void RestoreClusterData() override
    {
        UIRestoreTexture(m_pBar, m_BarName);
        TUIItem::RestoreClusterData();
    }

    TTexture* m_pBar = nullptr;
    TName m_BarName;
};
