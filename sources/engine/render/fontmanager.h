#pragma once
// TFontManager ("Font"): owns every screen font, found by face name and pixel height, and the
// user colours the upper-case markup codes ("^A" ...) select.
#include "core/system/name.h"
#include "engine/render/font.h"
#include "engine/system/manager.h"

class TFontManager : public TManager
{
public:
    virtual i32 GetFontCount() = 0;
    virtual TFontData* GetFontAt(i32 index) = 0;
    // Null when there is none of that face and size.
    virtual TFontData* FindFont(const TName& name, i32 size) = 0;
    // The existing font, else a new one, made on first use.
    virtual TFontData* CreateFont(const TName& name, i32 size) = 0;

    TFont GetFont(const TName& name, i32 size);
    // Out of range: white, and a log line naming the code letter.
    TColor GetUserColor(i32 index) const;
    void SetUserColors(i32 count, const TColor* colors);

protected:
    i32 m_nUserColorCount = 0;
    const TColor* m_pUserColors = nullptr;
};

extern TFontManager* g_pFontManager;
