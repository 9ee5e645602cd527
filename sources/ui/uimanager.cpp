#include "ui/uimanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/texturemanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "ui/uiedit.h"
#include "ui/uiitem.h"
#include "ui/uimenu.h"
#include "ui/uisounds.h"

#include <algorithm>
#include <cmath>

TUIManager* g_pUIManager = nullptr;

const char* const UI_ACTION_NAMES[UI_ACTION_COUNT] = {
    "menuup",  "menudown", "menuleft",    "menuright",  "menuselect", "menuselect2", "menuback",
    "tabnext", "tabprev",  "nextcontrol", "helptoggle", "scrollup",   "scrolldown"};

namespace
{
TUIManager s_UIManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("UI", "UI", &g_pUIManager, &s_UIManager);

f32 Distance(const TVector& a, const TVector& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

template <class T> void Forget(T*& pointer, const TUIItem* item)
{
    if (pointer && static_cast<const TUIItem*>(pointer) == item)
        pointer = nullptr;
}
} // namespace

TUIManager::TUIManager() : m_Input{}, m_DefaultFont("ui_sans", true)
{
    m_nChannel = 0;
    m_nUpdateFlags &= ~MANAGER_UPDATE_SKIP_ZERO;
    m_Input.fScaleX = m_Input.fScaleY = 1.0f;
    if (g_pCluster)
    {
        RegisterArray(&UIIconDecl(), &m_aIcon);
        RegisterArray(&UIStyleDecl(), &m_aStyle);
    }
}

TUIManager::~TUIManager()
{
    // The views never own the records.
    m_aIcon.Free();
    m_aStyle.Free();
}

i32 TUIManager::GetArray(u32 typeId, void*&, i32&)
{
    return typeId == UI_ICON_TYPE_ID || typeId == UI_STYLE_TYPE_ID ? 0 : 1;
}

i32 TUIManager::SetArray(u32 typeId, void*, i32)
{
    return typeId == UI_ICON_TYPE_ID || typeId == UI_STYLE_TYPE_ID ? 0 : 1;
}

void TUIManager::BeginManager()
{
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(static_cast<TDeviceMethods*>(this));
    if (g_pCluster)
        g_pCluster->AddListener(static_cast<TClusterMethods*>(this));
    if (g_pResourceManager)
        g_pResourceManager->AddMethod(static_cast<TResourceMethods*>(this));
    TInputManager::Instance().RegisterInputFocus(static_cast<TInputFocus*>(this), UI_FOCUS_LAYER);
}

void TUIManager::OnClusterLoad()
{
    TInputManager& input = TInputManager::Instance();
    m_pCursor = input.FindCursor(TName("Mouse", true));
    if (m_pCursor)
        input.SetActiveCursor(m_pCursor);
    m_nInputReady = m_pCursor ? 1 : 0;
    for (u32 i = 0; i < UI_ACTION_COUNT; ++i)
    {
        m_apAction[i] = input.FindAction(TName(UI_ACTION_NAMES[i], true));
        if (!m_apAction[i])
            m_nInputReady = 0;
    }
    // The new data may lack other records: each is told once again.
    m_aToldMissing.clear();
    m_pWhite = g_pTextureManager ? g_pTextureManager->FindTexture(TName("ui.white", true)) : nullptr;
    for (size_t i = 0; i < m_aRoot.size(); ++i)
        m_aRoot[i]->RestoreClusterData();
}

void TUIManager::OnClusterUnload()
{
    m_pCursor = nullptr;
    m_nInputReady = 0;
    std::fill(std::begin(m_apAction), std::end(m_apAction), nullptr);
    m_pWhite = nullptr;
    for (size_t i = 0; i < m_aRoot.size(); ++i)
        m_aRoot[i]->ReleaseClusterData();
}

void TUIManager::GetScreenSize(f32& width, f32& height) const
{
    width = height = 0.0f;
    if (g_pDeviceManager)
    {
        width = static_cast<f32>(g_pDeviceManager->GetVideoWidth());
        height = static_cast<f32>(g_pDeviceManager->GetVideoHeight());
    }
    if ((width <= 0.0f || height <= 0.0f) && g_pCanvasManager)
    {
        width = g_pCanvasManager->GetApertureWidth();
        height = g_pCanvasManager->GetApertureHeight();
    }
}

void TUIManager::OnDeviceChange()
{
    f32 width, height;
    GetScreenSize(width, height);
    for (size_t i = 0; i < m_aRoot.size(); ++i)
    {
        m_aRoot[i]->FitToScreen(width, height);
        m_aRoot[i]->UpdateLayout();
    }
}

// Items.

TUIItem* TUIManager::CreateItem(const char* className, const char* name, f32 width, f32 height)
{
    TUIItem* item = CreateUIItem(className);
    if (!item)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TUIManager::CreateItem(): error: ", "'%s': no such item class",
                    className);
        return nullptr;
    }
    item->SetName(name);
    if (item->m_Size.x != width || item->m_Size.y != height)
        item->SetSize(width, height, 0.0f, 1.0f);
    m_aRoot.push_back(item);
    return item;
}

void TUIManager::DetachRoot(TUIItem* item)
{
    auto it = std::find(m_aRoot.begin(), m_aRoot.end(), item);
    if (it != m_aRoot.end())
        m_aRoot.erase(it);
}

void TUIManager::ForgetItem(TUIItem* item)
{
    DetachRoot(item);
    RemoveModal(item);
    Forget(m_pDefaultItem, item);
    Forget(m_pActiveMenu, item);
    Forget(m_pEditItem, item);
    Forget(m_pCaptured, item);
    Forget(m_pDragged, item);
    Forget(m_pTooltip, item);
    Forget(m_pTooltipOwner, item);
    Forget(m_Input.pModal, item);
    Forget(m_Input.pHotKeyItem, item);
}

void TUIManager::FinalizeManager()
{
    std::vector<TUIItem*> roots;
    roots.swap(m_aRoot);
    for (TUIItem* root : roots)
        delete root;
    m_aModal.clear();
    m_pCaptured = m_pDragged = nullptr;
    m_nHotKeyUsed = 0;
    m_pTooltip = m_pTooltipOwner = nullptr;
    m_pDefaultItem = nullptr;
    m_pActiveMenu = nullptr;
    m_fHoverTime = 0.0f;
    m_HoverPosition = TVector(0, 0, 0, 0);
    m_fTime = 0.0f;
}

// Records.

const TUIIcon* TUIManager::__FindIcon(const TName& name) const
{
    for (i32 i = 0; i < m_aIcon.GetCount(); ++i)
        if (m_aIcon[i]->Name == name)
            return m_aIcon[i];
    if (m_aToldMissing.insert(name.GetId()).second)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TUIManager::__FindIcon(): error: ", "%s: undefined icon",
                    name.GetText());
    return nullptr;
}

const TUIStyle* TUIManager::__FindStyle(const TName& name) const
{
    for (i32 i = 0; i < m_aStyle.GetCount(); ++i)
        if (m_aStyle[i]->Name == name)
            return m_aStyle[i];
    if (m_aToldMissing.insert(name.GetId()).second)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TUIManager::__FindStyle(): error: ", "'%s': undefined style",
                    name.GetText());
    return nullptr;
}

// Modal windows.

bool TUIManager::PushModal(TUIItem* item)
{
    if (std::find(m_aModal.begin(), m_aModal.end(), item) != m_aModal.end())
        return true;
    if (m_aModal.size() >= UI_MODAL_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TUIManager::PushModal(): error: ", "'%s': more than %u modal windows open",
                    item->GetName().GetText(), UI_MODAL_CAPACITY);
        return false;
    }
    m_aModal.push_back(item);
    return true;
}

void TUIManager::RemoveModal(TUIItem* item)
{
    // A window closed below the top would otherwise block all input once it became the top.
    auto it = std::find(m_aModal.begin(), m_aModal.end(), item);
    if (it != m_aModal.end())
        m_aModal.erase(it);
}

// Actions and sounds.

bool TUIManager::IsActionPressed(EUIAction action) const
{
    return m_apAction[action] && m_apAction[action]->IsPressed();
}

bool TUIManager::IsConsoleShown()
{
    return m_ConsoleShow.GetValue().ToInt() != 0;
}

void TUIManager::PlayClick()
{
    if (m_nClickPlayed)
        return;
    m_nClickPlayed = 1;
    UIPlayButtonClick();
}

void TUIManager::PlayMenuSelect()
{
    if (m_nMenuSelectPlayed)
        return;
    m_nMenuSelectPlayed = 1;
    UIPlayMenuSelect();
}

// Tooltips.

void TUIManager::ShowTooltip(TUIItem* item, const TName& text)
{
    if (!m_pTooltip)
        return;
    m_pTooltipOwner = item;
    m_TooltipAnchor = m_Pointer;
    TUIText& caption = m_pTooltip->m_Caption;
    caption.SetText(text.GetText());
    const TTextBox size = caption.Measure(-1.0f);
    const f32 width = size.fWidth + 2.0f * caption.HorizontalMargin() + 5.0f;
    const f32 height = size.fHeight + 2.0f * caption.VerticalMargin() + 10.0f;
    // In the units of the root being processed.
    f32 screenWidth, screenHeight;
    GetScreenSize(screenWidth, screenHeight);
    screenWidth *= m_Input.fScaleX;
    screenHeight *= m_Input.fScaleY;
    f32 x = m_Input.Pointer.x + UI_TOOLTIP_OFFSET;
    f32 y = m_Input.Pointer.y + UI_TOOLTIP_OFFSET;
    x = std::min(x, screenWidth - UI_TOOLTIP_OFFSET - width);
    y = std::min(y, screenHeight - UI_TOOLTIP_OFFSET - height);
    m_pTooltip->SetPosition(x, y);
    m_pTooltip->SetSize(width, height);
    m_pTooltip->Show(true, false);
}

void TUIManager::CloseTooltip()
{
    if (m_pTooltip && m_pTooltipOwner)
        m_pTooltip->Show(false, false);
    m_pTooltipOwner = nullptr;
}

void TUIManager::UpdateTooltip(f32 step)
{
    if (!m_pTooltip || !m_pCursor)
        return;
    if (!m_pTooltipOwner)
    {
        if (Distance(m_Pointer, m_HoverPosition) >= UI_TOOLTIP_REST)
        {
            m_fHoverTime = 0.0f;
            m_HoverPosition = m_Pointer;
        }
        else
            m_fHoverTime += step;
        return;
    }
    if (m_pTooltipOwner->IsInactive() || !m_pTooltipOwner->IsVisible() ||
        Distance(m_Pointer, m_TooltipAnchor) > UI_TOOLTIP_CLOSE)
    {
        m_fHoverTime = 0.0f;
        m_HoverPosition = m_Pointer;
        CloseTooltip();
    }
}

// The frame.

void TUIManager::UpdateManager(f32)
{
    UpdateFrame(g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f);
}

void TUIManager::UpdateFrame(f32 step)
{
    m_nClickPlayed = 0;
    m_nMenuSelectPlayed = 0;
    const TInputAction* select = m_apAction[UI_ACTION_MENU_SELECT];
    const TInputAction* select2 = m_apAction[UI_ACTION_MENU_SELECT2];
    if (!(select && select->IsDown()) && !(select2 && select2->IsDown()))
        m_nSelectLatch = 0;
    m_fTime += step;

    m_nPointerPressed = m_nPointerHeld = 0;
    if (m_pCursor && !m_pCursor->IsHidden())
    {
        m_Pointer = m_pCursor->Position;
        const TInputAction* button = m_pCursor->pAction[0];
        m_nPointerPressed = button && button->IsPressed() ? 1 : 0;
        m_nPointerHeld = button && button->IsDown() ? 1 : 0;
    }
    UpdateTooltip(step);

    if (!m_nPointerHeld)
        m_pCaptured = nullptr;
    m_nHotKeyUsed = 0;
    if (m_pDefaultItem && m_pDefaultItem->IsInactive())
        m_pDefaultItem = nullptr;

    m_Input.fStep = step;
    // A modal item fading out blocks nothing more.
    m_Input.pModal = nullptr;
    for (auto it = m_aModal.rbegin(); it != m_aModal.rend() && !m_Input.pModal; ++it)
        if (((*it)->m_nFlags & (UI_CLOSED | UI_FADING)) != UI_FADING)
            m_Input.pModal = *it;
    m_Input.bAncestorsOpening = true;
    m_Input.pHotKeyItem = m_pDefaultItem && m_pDefaultItem->IsVisible() && !m_pDefaultItem->IsInactive()
                              ? m_pDefaultItem
                              : nullptr;
    m_Input.nSelect = m_pCaptured ? 0 : m_nPointerPressed;
    m_nPointerOverBlocking = 0;
    if (!m_nPointerHeld)
        m_pDragged = nullptr;

    f32 screenWidth, screenHeight;
    GetScreenSize(screenWidth, screenHeight);
    // A root created by a listener is processed from the next frame on.
    const size_t roots = m_aRoot.size();
    for (size_t i = 0; i < roots && i < m_aRoot.size(); ++i)
    {
        TUIItem* root = m_aRoot[i];
        m_Input.fScaleX = m_Input.fScaleY = 1.0f;
        if ((root->m_nFlags & UI_DESIGN_SIZE) && screenWidth > 0.0f && screenHeight > 0.0f)
        {
            m_Input.fScaleX = root->m_VirtualSize.x / screenWidth;
            m_Input.fScaleY = root->m_VirtualSize.y / screenHeight;
        }
        m_Input.Pointer = TVector(m_Pointer.x * m_Input.fScaleX, m_Pointer.y * m_Input.fScaleY, 0.0f, 1.0f);
        ProcessItem(root);
    }
    if (!m_nPointerOverBlocking)
        m_nFocusWord = 0;
}

void TUIManager::ProcessItem(TUIItem* item)
{
    TUIInputContext& context = m_Input;
    // An item fading in (closed until its fade ends) takes input as what it shows: an open one.
    const bool ancestorsOpening = context.bAncestorsOpening;
    auto closedForInput = [item, ancestorsOpening] {
        const bool opening = (item->m_nFlags & (UI_CLOSED | UI_FADING)) == (UI_CLOSED | UI_FADING);
        return ((item->m_nFlags & UI_CLOSED) && !opening) ||
               ((item->m_nFlags & UI_ANCESTOR_CLOSED) && !ancestorsOpening);
    };
    const bool inactive = closedForInput();
    if (inactive && !(item->m_nFlags & UI_INPUT_WHILE_CLOSED))
        return;
    // Where the item lies: as drawing places it.
    if (const TUIItem* parent = item->m_pParent)
    {
        TVector origin = parent->m_Absolute;
        if (parent->m_pStyle && (parent->m_pStyle->nFlags & UI_STYLE_CHILD_OFFSET))
        {
            origin.x += parent->m_pStyle->aChildOffset[0];
            origin.y += parent->m_pStyle->aChildOffset[1];
        }
        item->m_Absolute = TVector(origin.x + item->m_Position.x, origin.y + item->m_Position.y, 0.0f, 1.0f);
    }
    else
        item->m_Absolute = TVector(item->m_Position.x, item->m_Position.y, 0.0f, 1.0f);

    // Entry.
    if (m_pCaptured)
        context.nSelect = item == m_pCaptured ? 1 : 0;
    if (item->m_nFlags & UI_SWALLOWS_SELECT)
    {
        if (m_nPointerHeld)
            context.nSelect = 1;
        else
            item->m_nFlags &= ~UI_SWALLOWS_SELECT;
    }
    const bool liftsModal = context.pModal == item;
    if (liftsModal)
        context.pModal = nullptr;
    const bool liftsHotKeys = context.pHotKeyItem == item;
    if (liftsHotKeys)
        context.pHotKeyItem = nullptr;

    // Hover.
    const bool visible = item->IsVisible();
    bool inside = false;
    if (!context.pModal && visible)
    {
        const TUIRect rect = item->GetAbsoluteRect();
        inside = context.Pointer.x >= rect.fLeft && context.Pointer.x <= rect.fRight &&
                 context.Pointer.y >= rect.fTop && context.Pointer.y <= rect.fBottom;
    }
    const bool wasInside = (item->m_nFlags & UI_POINTER_INSIDE) != 0;
    if (inside)
    {
        item->m_nFlags |= UI_POINTER_INSIDE;
        if (item->m_nFlags & UI_BLOCKS_POINTER)
            m_nPointerOverBlocking = 1;
    }
    else
        item->m_nFlags &= ~UI_POINTER_INSIDE;
    if (inside != wasInside)
        (inside ? item->OnPointerEnter : item->OnPointerLeave).Fire(item);
    if (inside && m_fHoverTime > UI_TOOLTIP_DELAY && item->m_Tooltip.GetId() && !m_pTooltipOwner)
        ShowTooltip(item, item->m_Tooltip);

    // The item's own input, its children, then its input after them.
    u32 blocked = 0;
    u32& select = context.pModal ? blocked : context.nSelect;
    item->HandleInputBefore(context.fStep, inside, select);
    item->OnInputBefore.Fire(item);
    context.bAncestorsOpening = !inactive;
    for (size_t i = 0; i < item->m_aChildren.size(); ++i)
        ProcessItem(item->m_aChildren[i]);
    context.bAncestorsOpening = ancestorsOpening;
    u32& after = context.pModal ? blocked : context.nSelect;
    blocked = 0;
    item->HandleInput(context.fStep, inside, after);
    item->OnInput.Fire(item);

    const bool open = !closedForInput();
    // Capture and dragging.
    if (visible && open && after && (item->m_nFlags & (UI_CAPTURES | UI_DRAGGABLE)) && !m_pCaptured && inside)
    {
        m_pCaptured = item;
        if (item->m_nFlags & UI_DRAGGABLE)
        {
            m_pDragged = item;
            m_DragPointer = m_Pointer;
            m_DragPosition = item->m_Position;
        }
    }
    if (item == m_pDragged && item == m_pCaptured && open)
    {
        const f32 x = std::max(0.0f, m_DragPosition.x + (m_Pointer.x - m_DragPointer.x) * context.fScaleX);
        const f32 y = std::max(0.0f, m_DragPosition.y + (m_Pointer.y - m_DragPointer.y) * context.fScaleY);
        if (x != item->m_Position.x || y != item->m_Position.y)
            item->SetPosition(x, y, item->m_Position.z, item->m_Position.w);
    }

    // Click, else hot keys.
    bool clicked = false;
    if (visible && open && ((inside && after) || item == m_pCaptured) &&
        !(item->m_nFlags & UI_IGNORES_SELECT))
    {
        item->Click(after);
        clicked = true;
    }
    const bool hotKeysAllowed = !context.pHotKeyItem || (item->m_nFlags & UI_HOT_KEYS_ALWAYS);
    if (!clicked && visible && open && !context.pModal && hotKeysAllowed && !m_nSelectLatch &&
        !m_nHotKeyUsed && !m_pEditItem && item->GetHotKeyCount() && !IsConsoleShown() &&
        !TInputManager::Instance().IsBufferedInputOn())
        for (u32 i = 0; i < item->GetHotKeyCount(); ++i)
            if (item->GetHotKey(i)->IsPressed())
            {
                m_nHotKeyUsed = 1;
                item->Click(after);
                break;
            }

    // Exit.
    if (m_pCaptured)
        context.nSelect = 0;
    if (item->m_nFlags & UI_SWALLOWS_SELECT)
        context.nSelect = 0;
    if (liftsModal)
        context.pModal = item;
    if (liftsHotKeys)
        context.pHotKeyItem = item;
}

void TUIManager::RenderManager()
{
    if (!g_pDeviceManager || !g_pDeviceManager->IsRunning() || !g_pCanvasManager)
        return;
    f32 screenWidth, screenHeight;
    GetScreenSize(screenWidth, screenHeight);
    for (size_t i = 0; i < m_aRoot.size(); ++i)
    {
        TUIItem* root = m_aRoot[i];
        m_fPixelSize = 1.0f;
        if (root->m_nFlags & UI_DESIGN_SIZE)
        {
            g_pCanvasManager->SetApertureSize(root->m_VirtualSize.x, root->m_VirtualSize.y, 0);
            if (screenHeight > 0.0f)
                m_fPixelSize = root->m_VirtualSize.y / screenHeight;
        }
        else
            g_pCanvasManager->SetApertureToDevice();
        // A root drawn scaled is filtered: point sampling would drop whole rows of its text
        // and images. Drawn one to one it keeps its exact texels.
        g_pCanvasManager->SetFiltered(m_fPixelSize != 1.0f ? 1 : 0);
        root->Render(TVector(0.0f, 0.0f, 0.0f, 1.0f), 1.0f, false);
        g_pCanvasManager->Flush();
        g_pCanvasManager->SetFiltered(0);
    }
    g_pCanvasManager->SetApertureToDevice();
    if (m_pCursor && TInputManager::Instance().DrawsCursor(this))
        m_pCursor->Draw();
}
