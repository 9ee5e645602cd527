#include "ux/controls/ux.control.layer.h"

#include "core/system/log.h"
#include "engine/render/device.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"

#include <algorithm>

namespace UX
{
namespace
{
TControlManagerTemplate<TLayer> s_Manager("TLayer");
} // namespace

const TClusterTypeDecl& TLayer::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TLayer", LAYER_TYPE_ID, sizeof(TLayer), &UxPrototype<TLayer>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"),
         UX_LINK(1324, UX_ANY_TYPE, LAYER_CONTROL_CAPACITY, "aControl", "UX::TLayer")});
    return s_Decl;
}

TControlManagerTemplate<TLayer>& TLayer::Manager()
{
    return s_Manager;
}

const TName& TLayer::Class()
{
    static const TName s_Name("TLayer", true);
    return s_Name;
}

TLayer::TLayer()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags = (nFlags | CONTROL_IGNORES_MOUSE) & ~CONTROL_FOCUSABLE;
}

void TLayer::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    std::fill_n(aOverlay.GetData(), LAYER_OVERLAY_CAPACITY, nullptr);
    aOverlay.SetCount(0);
}

void TLayer::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    u32 count = aControl.GetCount();
    if (count > LAYER_CONTROL_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "UX::TLayer::CheckLoadedValues(): error: ", "'%s': %u forms, %u kept", GetNameText(),
                    count, LAYER_CONTROL_CAPACITY);
        count = LAYER_CONTROL_CAPACITY;
    }
    // Entries that are no loaded control are dropped, the later ones moving down.
    u32 kept = 0;
    for (u32 i = 0; i < count; ++i)
    {
        TControl* form = aControl.GetData()[i];
        if (form && g_pUXManager->IsLoadedControl(form))
            aControl.GetData()[kept++] = form;
        else
            TLog::Print(g_pSystemLog, LOG_ERROR,
                        "UX::TLayer::CheckLoadedValues(): error: ", "'%s': entry %u is no control",
                        GetNameText(), i);
    }
    aControl.SetCount(kept);
}

bool TLayer::Holds(const TControl* form) const
{
    for (u32 i = 0; i < aControl.GetCount(); ++i)
        if (aControl[i] == form)
            return true;
    return false;
}

void TLayer::Add(TControl* form)
{
    if (!form || !form->IsVisibleOnScreen())
        return;
    if (!Holds(form))
    {
        if (aControl.GetCount() == LAYER_CONTROL_CAPACITY)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TLayer::Add(): error: ",
                        "'%s': the layer holds %u forms: '%s' refused", GetNameText(), LAYER_CONTROL_CAPACITY,
                        form->GetNameText());
            return;
        }
        aControl.Add(form);
    }
    // The last child is drawn on top; a child already in place stays where it is.
    if (form->pParent == this)
        RemoveChild(form);
    AddChild(form);
}

void TLayer::Remove(TControl* form)
{
    u32 kept = 0;
    for (u32 i = 0; i < aControl.GetCount(); ++i)
        if (aControl[i] != form)
            aControl[kept++] = aControl[i];
    aControl.SetCount(kept);
}

void TLayer::BringToFront(TControl* form)
{
    if (!form || !form->IsVisibleOnScreen())
        return;
    Remove(form);
    Add(form);
}

void TLayer::Rebuild()
{
    u32 kept = 0;
    for (u32 i = 0; i < aControl.GetCount(); ++i)
        if (aControl[i]->IsVisibleOnScreen())
            aControl[kept++] = aControl[i];
    aControl.SetCount(kept);
    if (!g_pDeviceManager)
        return;
    Base.Rect = {0.0f, 0.0f, static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()),
                 static_cast<f32>(g_pDeviceManager->GetBackBufferHeight())};
    UpdateLayout(1);
}
} // namespace UX
