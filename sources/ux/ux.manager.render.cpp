// TUXManager: drawing layers 0 and 1 through the canvas, and the font cache: the fonts asked
// for while one frame draws decide which font pages the next frame binds into "Shader_UX".
#include "ux/ux.manager.h"

#include "core/system/log.h"
#include "directx/render/dxshader.h"
#include "directx/render/dxshadermanager.h"
#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/texture.h"
#include "engine/render/texturefont.h"
#include "engine/render/texturefontmanager.h"
#include "ux/controls/ux.control.layer.h"

#include <algorithm>

namespace UX
{
namespace
{
const TName& UxShader()
{
    static const TName s_Name("Shader_UX", true);
    return s_Name;
}
} // namespace

void TUXManager::RenderManager()
{
    if (!IsShown() || !g_pDeviceManager || !g_pDeviceManager->IsRunning() ||
        !g_pDeviceManager->IsDeviceReady())
        return;
    BindFonts();
    for (u32 i = 0; i < DRAWN_LAYER_COUNT; ++i)
        if (TLayer* layer = GetLayer(i))
        {
            for (u32 f = 0; f < layer->aControl.GetCount(); ++f)
                layer->aControl[f]->Render();
            for (u32 o = 0; o < layer->aOverlay.GetCount(); ++o)
                layer->aOverlay[o]->Draw();
        }
    if (g_pCanvasManager)
        g_pCanvasManager->Flush();
    if (m_pCursor && TInputManager::Instance().DrawsCursor(this))
        m_pCursor->Draw();
}

i32 TUXManager::RequestFont(const TName& name)
{
    TTextureFont* font = g_pTextureFontManager ? g_pTextureFontManager->GetFont() : nullptr;
    const i32 requested = m_Requested.FindKey(name);
    if (requested >= 0)
        ++m_Requested[static_cast<u32>(requested)].value.nRequests;
    else if (m_Requested.IsFull())
    {
        // Drawn without the cache: once said is enough.
        if (!m_nFontWarning)
            TLog::Print(g_pSystemLog, LOG_WARNING, "TUXManager::RequestFont(): warning: ",
                        "'%s': more than %u fonts in a frame, drawn uncached", name.GetText(),
                        FONT_CACHE_CAPACITY);
        m_nFontWarning = 1;
        return -1;
    }
    else
        m_Requested.Insert({name, {font, 1, -1}});
    const i32 bound = m_Bound.FindKey(name);
    return bound >= 0 ? m_Bound[static_cast<u32>(bound)].value.nFirstPage : -1;
}

void TUXManager::BindFonts()
{
    m_Bound = {};
    if (!m_pShader && g_pDxShaderManager)
        m_pShader = g_pDxShaderManager->FindShader(UxShader());
    // The fonts asked for most come first; equal counts keep the order of their names.
    TMapKey<TName, TFontCache> order[FONT_CACHE_CAPACITY];
    const u32 count = m_Requested.GetCount();
    std::copy(m_Requested.GetData(), m_Requested.GetData() + count, order);
    std::stable_sort(order, order + count,
                     [](const auto& a, const auto& b) { return a.value.nRequests > b.value.nRequests; });
    u32 pages = 0;
    for (u32 i = 0; i < count && pages < FONT_PAGE_SLOTS; ++i)
    {
        TTextureFont* font = order[i].value.pFont;
        const u32 fontPages = font ? static_cast<u32>(font->aUses.GetCount()) : 0;
        if (!font || fontPages == 0 || pages + fontPages > FONT_PAGE_SLOTS)
            continue;
        m_Bound.Insert({order[i].key, {font, 0, static_cast<i32>(pages)}});
        for (u32 p = 0; p < fontPages; ++p)
        {
            auto* page = static_cast<TTexture*>(font->aUses[static_cast<i32>(p)].pResource);
            if (page)
                page->Require();
            if (m_pShader)
                m_pShader->SetTexture(FONT_FIRST_SLOT + pages + p, page);
        }
        pages += fontPages;
    }
    if (m_pShader)
        for (u32 slot = pages; slot < FONT_PAGE_SLOTS; ++slot)
            m_pShader->SetTexture(FONT_FIRST_SLOT + slot, nullptr);
    m_Requested = {};
}

void TUXManager::FillRect(f32 x0, f32 y0, f32 x1, f32 y1, const TColor& colour) const
{
    if (m_pWhite)
        DrawImagePart(TImage::Make(m_pWhite), x0, y0, x1, y1, 0.0f, 0.0f, 1.0f, 1.0f, colour.ToARGB());
}
} // namespace UX
