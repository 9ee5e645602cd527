#include "uxdatawriter.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "directx/render/dxtextureformat.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/render/texturefont.h"
#include "engine/render/texturefontmanager.h"
#include "platform/d3dx9/fontfacecache.h"
#include "repositorywriter.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/ux.instance.h"
#include "ux/ux.manager.h"

#include <algorithm>
#include <cstring>

namespace
{
// The characters of the UX fonts: printable ASCII and the German letters.
std::vector<char16_t> FontCharacters()
{
    std::vector<char16_t> characters;
    for (char16_t c = 32; c < 127; ++c)
        characters.push_back(c);
    for (char16_t c : {u'Ä', u'Ö', u'Ü', u'ß', u'ä', u'ö', u'ü'})
        characters.push_back(c);
    return characters;
}

constexpr i32 kFontPageWidth = 256;

void NamedDescendants(UX::TControl* control, UX::TInstanceObject& object)
{
    for (UX::TControl* child = control->lChild.pFirst; child; child = child->pNext)
    {
        if (child->Name.IsValid() && object.nCount < static_cast<i32>(UX::INSTANCE_ENTRY_CAPACITY))
            object.aEntry[object.nCount++].Handle = g_pCluster->GetHandle(child);
        NamedDescendants(child, object);
    }
}
} // namespace

TUxDataWriter::TUxDataWriter(TRepositoryWriter& writer) : m_Writer(writer)
{
}

TUxDataWriter::~TUxDataWriter()
{
    for (UX::TControl* control : m_aControl)
        MemoryDelete(control);
}

TTexture* TUxDataWriter::AddTexture(const char* name, i32 width, i32 height, const std::vector<u32>& texels)
{
    TTexture* texture = g_pDxTextureManager->CreateTextureEntry(TName(name, true));
    texture->m_nWidth = width;
    texture->m_nHeight = height;
    texture->m_nDepth = 1;
    texture->m_nLevels = 1;
    texture->m_nType = TEXTURE_2D;
    texture->m_nFormat = static_cast<i32>(TEXTURE_FORMAT_A8R8G8B8);
    const u32 pitch = static_cast<u32>(width) * 4;
    texture->m_aLevel.Add({0, pitch * static_cast<u32>(height), pitch});
    m_Writer.AddBlock(texture, texels.data(), static_cast<u32>(texels.size() * 4));
    return texture;
}

TTextureFont* TUxDataWriter::AddFont(const char* name, const char* face, i32 pixels)
{
    std::shared_ptr<TFontFace> source = TFontFaceCache::Find(face, -pixels, 400);
    if (!source)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TUxDataWriter::AddFont(): error: ", "'%s': no font file", face);
        return nullptr;
    }
    const std::vector<char16_t> characters = FontCharacters();
    std::vector<TGlyphBitmap> bitmaps(characters.size());
    i32 cellWidth = 1;
    for (size_t i = 0; i < characters.size(); ++i)
    {
        source->Render(characters[i], bitmaps[i]);
        cellWidth = std::max({cellWidth, bitmaps[i].advance, std::max(bitmaps[i].left, 0) + bitmaps[i].width});
    }
    const i32 cellHeight = source->LineHeight();
    const i32 columns = kFontPageWidth / cellWidth;
    const i32 rows = (static_cast<i32>(characters.size()) + columns - 1) / columns;
    i32 pageHeight = 1;
    while (pageHeight < rows * cellHeight)
        pageHeight *= 2;

    // White texels whose alpha is the glyph's coverage, each glyph in its cell on its baseline.
    std::vector<u32> page(static_cast<size_t>(kFontPageWidth * pageHeight), 0x00FFFFFF);
    std::vector<TTextureFontGlyph> glyphs;
    for (size_t i = 0; i < characters.size(); ++i)
    {
        const TGlyphBitmap& bitmap = bitmaps[i];
        const i32 cellX = static_cast<i32>(i) % columns * cellWidth;
        const i32 cellY = static_cast<i32>(i) / columns * cellHeight;
        const i32 left = std::max(bitmap.left, 0);
        const i32 top = source->Ascent() - bitmap.top;
        for (i32 y = 0; y < bitmap.height; ++y)
            for (i32 x = 0; x < bitmap.width; ++x)
            {
                const i32 px = cellX + left + x;
                const i32 py = cellY + top + y;
                if (px < cellX + cellWidth && py >= cellY && py < cellY + cellHeight)
                    page[static_cast<size_t>(py * kFontPageWidth + px)] =
                        static_cast<u32>(bitmap.coverage[static_cast<size_t>(y * bitmap.width + x)]) << 24 |
                        0x00FFFFFF;
            }
        glyphs.push_back({characters[i], 0, static_cast<f32>(cellX) / kFontPageWidth,
                          static_cast<f32>(cellY) / static_cast<f32>(pageHeight),
                          static_cast<f32>(cellX + cellWidth) / kFontPageWidth,
                          static_cast<f32>(cellY + cellHeight) / static_cast<f32>(pageHeight), 0.0f,
                          static_cast<f32>(bitmap.advance), 0.0f});
    }
    auto font = std::make_unique<TTextureFont>();
    font->m_Name = TName(name, true);
    font->m_nLineHeight = cellHeight;
    font->m_fBaseline = -1.0f;
    font->m_fCellWidth = static_cast<f32>(cellWidth);
    font->m_fCellHeight = static_cast<f32>(cellHeight);
    font->m_nGlyphCount = static_cast<i32>(glyphs.size());
    m_Writer.AddBlock(font.get(), glyphs.data(), static_cast<u32>(glyphs.size() * sizeof(TTextureFontGlyph)));
    char pageName[256];
    FormatString256(pageName, "%s_page", name);
    TResource::LinkTo(font.get(), AddTexture(pageName, kFontPageWidth, pageHeight, page));
    g_pTextureFontManager->Fonts().Add(font.get());
    m_aFont.push_back(std::move(font));
    return m_aFont.back().get();
}

UX::TTransitionStyle* TUxDataWriter::AddStyle(const char* name)
{
    m_aStyle.push_back(std::make_unique<UX::TTransitionStyle>(UX::TTransitionStyle::Make(TName(name, true))));
    UX::TUXManager::Instance().Styles().Add(m_aStyle.back().get());
    return m_aStyle.back().get();
}

UX::TLayer* TUxDataWriter::AddLayer(const char* name)
{
    return AddControl<UX::TLayer>(name, nullptr);
}

void TUxDataWriter::AddFormToLayer(UX::TControl* form, UX::TLayer* layer)
{
    layer->AddChild(form);
    layer->aControl.Add(form);
    m_aFormListed.push_back(form);
}

void TUxDataWriter::AddInstanceObjects()
{
    UX::TUXManager& manager = UX::TUXManager::Instance();
    for (u32 i = 0; i < manager.GetInstanceCount(); ++i)
    {
        auto object = std::make_unique<UX::TInstanceObject>();
        *object = {};
        UX::TControlManagerTemplate<UX::TForm>& forms = UX::TForm::Manager();
        for (i32 f = 0; f < forms.GetCount(); ++f)
            if (forms.Get(f)->Name == manager.GetInstance(i)->GetClassName())
            {
                object->aEntry[object->nCount++].Handle = g_pCluster->GetHandle(forms.Get(f));
                NamedDescendants(forms.Get(f), *object);
                break;
            }
        manager.InstanceObjects().Add(object.get());
        m_aInstanceObject.push_back(std::move(object));
    }
}

i32 TUxDataWriter::AppendManagers(TClusterManager** managers, i32 count, bool withResources)
{
    // The form list: the forms of the layers, as handles the load resolves.
    UX::TFormList& list = UX::TUXManager::Instance().FormList();
    list = {};
    for (UX::TControl* form : m_aFormListed)
        list.aEntry[list.nCount++].Handle = g_pCluster->GetHandle(form);
    managers[count++] = &UX::TUXManager::Instance();
    UX::TUXManager& ux = UX::TUXManager::Instance();
    for (u32 m = 0; m < ux.GetControlManagerCount(); ++m)
        if (ux.GetControlManager(m)->GetCount() > 0)
            managers[count++] = ux.GetControlManager(m);
    if (withResources)
    {
        managers[count++] = g_pDxTextureManager;
        managers[count++] = g_pTextureFontManager;
    }
    return count;
}
