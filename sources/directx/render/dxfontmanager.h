#pragma once
// TDxFontManager ("Font", back end "Dx"): at most 32 fonts kept in place in creation order and
// never removed, found through a sorted index of {face id, size} by bisection.
#include "core/system/templates/sarray.h"
#include "directx/render/dxfontdata.h"
#include "engine/render/devicemethods.h"
#include "engine/render/fontmanager.h"

constexpr i32 DX_FONT_CAPACITY = 32;

// Its fonts are resources and hear of device losses and resets as such; its device listener
// keeps the defaults.
class TDxFontManager : public TFontManager, public TDeviceMethods
{
public:
    // Registers its device listener.
    void BeginManager() override;
    // The fonts give back their device objects before the device goes; they load again on use.
    void FinalizeManager() override;
    i32 GetFontCount() override { return static_cast<i32>(m_aFont.GetCount()); }
    TFontData* GetFontAt(i32 index) override { return &m_aFont[static_cast<u32>(index)]; }
    TFontData* FindFont(const TName& name, i32 size) override;
    // A 33rd font is refused: null and a log line.
    TFontData* CreateFont(const TName& name, i32 size) override;

private:
    struct TIndexEntry
    {
        u32 aKey[3];
        i32 nFont;
    };
    // The first entry whose key is not below {name, size, 0} in byte order.
    i32 _LowerBound(const u32 key[3]) const;

    SArray<TDxFontData, DX_FONT_CAPACITY, 1> m_aFont;
    TIndexEntry m_aIndex[DX_FONT_CAPACITY] = {};
    i32 m_nIndexCount = 0;
};

extern TDxFontManager* g_pDxFontManager;
