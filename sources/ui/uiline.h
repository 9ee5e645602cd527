#pragma once
// TUILine: a textured bar as wide as the item and as high as its texture.
#include "ui/uiitem.h"

class TTexture;

class TUILine : public TUIItem
{
public:
    i32 Draw() override;

    TTexture* m_pBar = nullptr;
};
