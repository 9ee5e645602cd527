#include "ux/controls/ux.tooltip.h"

#include "core/system/log.h"
#include "engine/render/device.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"
#include "ux/ux.text.h"

#include <algorithm>

#include <cstring>

namespace UX
{
const TClusterTypeDecl& TToolTip::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TToolTip", TOOL_TIP_TYPE_ID, sizeof(TToolTip),
                                   &UxPrototype<TToolTip>(), UX_VIRTUAL_TABLE_WORDS);
    return s_Decl;
}

const TClusterTypeDecl& TSimpleToolTip::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TSimpleToolTip", SIMPLE_TOOL_TIP_TYPE_ID, sizeof(TSimpleToolTip),
                                   &UxPrototype<TSimpleToolTip>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_LINK(36, UX_ANY_TYPE, 1, "pLabel", "UX::TSimpleToolTip")});
    return s_Decl;
}

TToolTip::TToolTip()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(void*), 0, sizeof(TToolTip) - sizeof(void*));
    ShowDelay = 0.5f;
    Enabled = 1;
}

TSimpleToolTip::TSimpleToolTip() : pLabel(nullptr), Owner(nullptr), Placement(0) {}

namespace
{
// The label around the owner's text: its width and height beyond the text's width.
constexpr f32 kLabelPadding = 20.0f;
constexpr f32 kLabelHeight = 30.0f;
// Owners taller than this (in layout units) have the tip beside the mouse.
constexpr f32 kTallOwner = 200.0f;
constexpr f32 kMouseOffsetX = 10.0f;
constexpr f32 kMouseOffsetY = 20.0f;
// Owners lower than this (in layout units) are passed over when the tip moves up.
constexpr f32 kLowOwner = 50.0f;

enum EPlacement : u32
{
    PLACEMENT_LEFT,
    PLACEMENT_CENTRE
};

// A countdown that runs while above 0: true when it ends.
bool CountDown(f32& timer, f32 step)
{
    if (timer <= 0.0f)
        return false;
    timer -= step;
    if (timer > 0.0f)
        return false;
    timer = 0.0f;
    return true;
}

// The label's layer, which lists it while it is shown, over every form.
TLayer* LabelLayer(TControl* label)
{
    return label && label->pParent && label->pParent->IsClass(TLayer::Class()) ? static_cast<TLayer*>(label->pParent)
                                                                                : nullptr;
}
} // namespace

void TSimpleToolTip::ForgetLoadedWords()
{
    Owner = nullptr;
    Shown = 0;
    ShowTimer = HideTimer = 0.0f;
}

void TSimpleToolTip::CheckLoadedLabel()
{
    if (pLabel && (!g_pUXManager->IsLoadedControl(pLabel) || !pLabel->IsClass(TLabel::Class())))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TUXManager::OnClusterLoad(): error: ",
                    "a tool tip's label is no loaded label: cut");
        pLabel = nullptr;
    }
    if (!pLabel)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TUXManager::OnClusterLoad(): error: ",
                    "a tool tip has no label: it shows nothing");
}

void TSimpleToolTip::Update(f32 step)
{
    if (!Enabled)
        return;
    if (CountDown(HideTimer, step))
        Hide();
    if (CountDown(ShowTimer, step))
        Show();
}

void TSimpleToolTip::Show()
{
    Shown = 1;
    if (pLabel)
    {
        pLabel->Show(2);
        if (TLayer* layer = LabelLayer(pLabel))
            layer->BringToFront(pLabel);
    }
    if (Duration > 0.0f)
        HideTimer = Duration;
}

void TSimpleToolTip::Hide()
{
    Shown = 0;
    if (pLabel)
    {
        pLabel->Hide(1);
        if (TLayer* layer = LabelLayer(pLabel))
            layer->Remove(pLabel);
    }
    ShowTimer = HideTimer = 0.0f;
}

void TSimpleToolTip::OnControlGone(TControl* control, TMouse*)
{
    if (!control || control != Owner)
        return;
    Hide();
    Owner = nullptr;
}

void TSimpleToolTip::Open(TControl* owner, TMouse* mouse)
{
    if (Owner && Owner != owner)
        Hide();
    Owner = owner;
    if (!owner || !pLabel)
        return;
    // The owner's own text (not a label's caption) in the label, sized around it.
    pLabel->SetText(owner->TControl::Text);
    const TStateBlock* block = pLabel->StyleBlock(STATE_NORMAL);
    const f32 textWidth = block && owner->TControl::Text.HasText()
                              ? MeasureTextWidth(*block, owner->TControl::Text.GetText())
                              : 0.0f;
    pLabel->SetSize(textWidth + kLabelPadding, kLabelHeight);
    pLabel->UpdateLayout(0);

    const TRect& area = owner->Computed.Rect;
    const f32 sx = owner->Computed.ScaleX;
    const f32 sy = owner->Computed.ScaleY;
    const f32 lw = pLabel->Computed.Rect.width;
    const f32 lh = pLabel->Computed.Rect.height;
    f32 x = 0.0f;
    f32 y = 0.0f;
    if (sy > 0.0f && area.height / sy > kTallOwner && mouse)
    {
        x = mouse->x + kMouseOffsetX;
        y = mouse->y + kMouseOffsetY;
    }
    else
    {
        if (Placement == PLACEMENT_LEFT)
            x = area.x;
        else if (Placement == PLACEMENT_CENTRE)
            x = area.x + area.width * 0.5f - lw * 0.5f;
        y = area.y + area.height;
    }
    x += sx * OffsetX;
    y += sy * OffsetY;
    // Kept on the back buffer.
    const f32 width = g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferWidth()) : 0.0f;
    const f32 height = g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()) : 0.0f;
    if (x + lw > width)
        x = width - lw;
    x = std::max(x, 0.0f);
    if (y + lh > height)
    {
        y = height - lh;
        if (sy * kLowOwner > area.height)
            y -= area.height;
    }
    y = std::max(y, 0.0f);
    const f32 lsx = pLabel->Computed.ScaleX;
    const f32 lsy = pLabel->Computed.ScaleY;
    pLabel->SetPosition(lsx > 0.0f ? x / lsx : x, lsy > 0.0f ? y / lsy : y);
    if (ShowDelay > 0.0f)
        ShowTimer = ShowDelay;
    else
        Show();
}
} // namespace UX
