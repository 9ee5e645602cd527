#include "uxdatawriter.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxtexturemanager.h"
#include "engine/render/texturefont.h"
#include "engine/render/texturefontmanager.h"
#include "fontraster.h"
#include "repositorywriter.h"
#include "uxrecords.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.instance.h"
#include "ux/ux.manager.h"

#include <cstdio>
#include <cstring>

namespace
{
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
    if (texels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    {
        std::fprintf(stderr, "uxwriter: '%s': %zu texels for %d x %d: not written\n", name, texels.size(), width,
                     height);
        return nullptr;
    }
    return AddTextureRecord(m_Writer, name, width, height, texels);
}

TTextureFont* TUxDataWriter::AddFont(const char* name, const char* file, i32 pixels)
{
    TRasterFont raster;
    if (!RasteriseFont(file, pixels, Latin1AndEuro(), raster))
        return nullptr;
    m_aFont.push_back(std::make_unique<TTextureFont>());
    AddTextureFont(m_Writer, *m_aFont.back(), name, raster);
    return m_aFont.back().get();
}

UX::TTransitionStyle* TUxDataWriter::AddStyle(const char* name)
{
    m_aStyle.push_back(std::make_unique<UX::TTransitionStyle>(UX::TTransitionStyle::Make(TName(name, true))));
    UX::TUXManager::Instance().Styles().Add(m_aStyle.back().get());
    return m_aStyle.back().get();
}

UX::TTransitionStyle* TUxDataWriter::AddTextStyle(const char* name, f32 size, u32 layout, const TColor& colour)
{
    UX::TTransitionStyle* style = AddStyle(name);
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = style->aTransition[state];
        block.Font = TName(UX_FONT_NAME, true);
        block.TextScale = size;
        block.TextSetting = layout;
        block.TextColor = colour;
        block.TransitionTime = 0.15f;
    }
    style->aTransition[UX::STATE_HIDDEN].TextColor.a = 0.0f;
    style->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;
    return style;
}

UX::TLayer* TUxDataWriter::AddLayer(const char* name)
{
    return AddControl<UX::TLayer>(name, nullptr);
}

void TUxDataWriter::AddFormToLayer(UX::TControl* form, UX::TLayer* layer, bool listed)
{
    layer->AddChild(form);
    layer->aControl.Add(form);
    if (listed)
        m_aFormListed.push_back(form);
}

UX::TSimpleToolTip* TUxDataWriter::AddToolTip()
{
    m_aToolTip.push_back(std::make_unique<UX::TSimpleToolTip>());
    UX::TUXManager::Instance().ToolTips().Add(m_aToolTip.back().get());
    return m_aToolTip.back().get();
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
