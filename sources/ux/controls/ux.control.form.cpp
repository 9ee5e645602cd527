#include "ux/controls/ux.control.form.h"

#include "core/system/log.h"
#include "engine/render/device.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cstdint>

namespace UX
{
namespace
{
TControlManagerTemplate<TForm> s_Manager("TForm");
} // namespace

TForm* TForm::s_pActiveForm = nullptr;

const TClusterTypeDecl& TForm::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TForm", FORM_TYPE_ID, sizeof(TForm), &UxPrototype<TForm>(),
                                   UX_VIRTUAL_TABLE_WORDS, {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControlManagerTemplate<TForm>& TForm::Manager()
{
    return s_Manager;
}

const TName& TForm::Class()
{
    static const TName s_Name("TForm", true);
    return s_Name;
}

const TName& TForm::TabNext()
{
    static const TName s_Name("TabNext", true);
    return s_Name;
}

const TName& TForm::TabPrev()
{
    static const TName s_Name("TabPrev", true);
    return s_Name;
}

TForm::TForm()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags &= ~CONTROL_CAPTURES;
}

void TForm::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    LayerIndex = static_cast<u32>(LoadedInRange(static_cast<i32>(std::min<u32>(LayerIndex, INT32_MAX)), 0,
                                                 static_cast<i32>(DRAWN_LAYER_COUNT) - 1, "layer index"));
    Dragging = 0;
}

TLayer* TForm::GetLayer() const
{
    return g_pUXManager ? g_pUXManager->GetLayer(LayerIndex) : nullptr;
}

void TForm::AddToLayer()
{
    if (TLayer* layer = GetLayer())
        layer->Add(this);
}

void TForm::OnLayerHook()
{
    AddToLayer();
    AddActionBinding(TabNext(), "Tab", SCOPE_TOP_FORM);
    AddActionBinding(TabPrev(), "shift+Tab", SCOPE_TOP_FORM);
}

void TForm::OnShow()
{
    AddToLayer();
    TControl* modal = g_pUXManager->GetModalForm();
    if (FormFlags & FORM_MODAL)
    {
        if (modal && modal != this)
            TLog::Print(g_pSystemLog, LOG_WARNING, "UX::TForm::OnShow(): warning: ",
                        "'%s' another modal window already opened ('%s')", GetNameText(), modal->GetNameText());
        g_pUXManager->OpenModalForm(this);
    }
    Activate();
    if (modal && modal != this && (FormFlags & FORM_CHILD_OF_MODAL))
    {
        // It keeps its place on screen, now inside the modal form (and at its scale).
        const f32 dx = Computed.Rect.x - modal->ContentRect.x;
        const f32 dy = Computed.Rect.y - modal->ContentRect.y;
        if (TLayer* layer = GetLayer())
            layer->Remove(this);
        modal->AddChild(this);
        nEdgeFlags = SIDE_LEFT | SIDE_TOP;
        UpdateLayout(0);
        SetPosition(Computed.ScaleX > 0.0f ? dx / Computed.ScaleX : 0.0f,
                    Computed.ScaleY > 0.0f ? dy / Computed.ScaleY : 0.0f);
        UpdateLayout(1);
    }
}

void TForm::OnHide()
{
    if (FormFlags & FORM_MODAL)
    {
        if (g_pUXManager->GetModalForm() != this)
            TLog::Print(g_pSystemLog, LOG_WARNING, "UX::TForm::OnHide(): warning: ", "'%s' another modal window to control",
                        GetNameText());
        g_pUXManager->CloseModalForm(this);
    }
    Deactivate(0);
    Dragging = 0;
    if ((FormFlags & FORM_CHILD_OF_MODAL) && pParent && !pParent->IsClass(TLayer::Class()))
    {
        pParent->RemoveChild(this);
        // Back to its layer, where its next show finds it.
        if (TLayer* layer = GetLayer())
            layer->AddChild(this);
    }
    if (TLayer* layer = GetLayer())
        layer->Remove(this);
}

void TForm::OnActivate()
{
    if (s_pActiveForm && s_pActiveForm != this)
        s_pActiveForm->Deactivate(0);
    if (TLayer* layer = GetLayer(); layer && pParent == layer)
        layer->BringToFront(this);
    s_pActiveForm = this;
}

void TForm::OnDeactivate()
{
    s_pActiveForm = nullptr;
}

TControl* TForm::FocusInside() const
{
    TControl* focus = g_pUXManager->GetFocus();
    return focus && focus->IsDescendantOf(this) ? focus : nullptr;
}

void TForm::Update(TMouse* mouse, f32, u32)
{
    if (Dragging && mouse)
    {
        const f32 sx = Computed.ScaleX > 0.0f ? Computed.ScaleX : 1.0f;
        const f32 sy = Computed.ScaleY > 0.0f ? Computed.ScaleY : 1.0f;
        const f32 width = g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()) : 0.0f;
        const f32 height = g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()) : 0.0f;
        const f32 x = DragOriginX + (mouse->x - DragOriginX) / sx - GrabX;
        const f32 y = DragOriginY + (mouse->y - DragOriginY) / sy - GrabY;
        SetPosition(std::clamp(x, 0.0f, std::max(0.0f, (width - Computed.Rect.width) / sx)),
                    std::clamp(y, 0.0f, std::max(0.0f, (height - Computed.Rect.height) / sy)));
        return;
    }
    if (!(nFlags & CONTROL_ACTIVE) || !(FormFlags & FORM_FOCUS_FIRST) || FocusInside())
        return;
    if (TControl* first = FindNextTabStop(-1))
        first->SetFocus();
}

void TForm::OnMouseUp(TMouse*)
{
    Dragging = 0;
    OnRefresh();
}

void TForm::OnMouseDown(TMouse* mouse)
{
    if (!mouse)
        return;
    if (mouse->nButtons & BUTTON_LEFT_PRESSED)
        Activate();
    if (!(FormFlags & FORM_DRAGGABLE))
        return;
    const f32 sx = Computed.ScaleX > 0.0f ? Computed.ScaleX : 1.0f;
    const f32 sy = Computed.ScaleY > 0.0f ? Computed.ScaleY : 1.0f;
    // Dragged, the form is placed by its left and top edges where it lies now.
    if (nEdgeFlags != (SIDE_LEFT | SIDE_TOP))
    {
        nEdgeFlags = SIDE_LEFT | SIDE_TOP;
        SetPosition(Computed.Rect.x / sx, Computed.Rect.y / sy);
    }
    Dragging = 1;
    DragOriginX = mouse->x;
    DragOriginY = mouse->y;
    GrabX = mouse->x - Computed.Rect.x / sx;
    GrabY = mouse->y - Computed.Rect.y / sy;
}

void TForm::OnMouseLeave(TMouse*)
{
    if ((FormFlags & FORM_DROP_FOCUS_ON_LEAVE) && FocusInside())
        g_pUXManager->SetFocus(nullptr);
}

i32 TForm::OnAction(TControl*, const TName& action)
{
    if (!IsVisibleOnScreen())
        return 0;
    const bool next = action == TabNext();
    if (!next && action != TabPrev())
        return 0;
    TControl* focus = g_pUXManager->GetFocus();
    TControl* stop = nullptr;
    if (!focus)
        stop = next ? FindNextTabStop(-1) : FindPrevTabStop(FORM_LAST_TAB_STOP);
    else if (focus->IsDescendantOf(this))
        stop = next ? FindNextTabStop(focus->nTabIndex) : FindPrevTabStop(focus->nTabIndex);
    if (stop)
        stop->SetFocus();
    return 0;
}
} // namespace UX
