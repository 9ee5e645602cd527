#include "ui/uiitem.h"

#include "core/system/log.h"
#include "engine/input/inputmanager.h"
#include "engine/render/texture.h"
#include "ui/uimanager.h"
#include "ui/uistyle.h"

#include <algorithm>

TUIItem* CreateUIItem(const char* className)
{
    if (!g_pPluginManager)
        return nullptr;
    TPlugin* plugin = nullptr;
    g_pPluginManager->TryFindPlugin(plugin, TName(className), TName("TUIItem", true));
    return static_cast<TUIItem*>(plugin);
}

TUIItem::TUIItem()
    : m_nFlags(0), m_pParent(nullptr), m_Position(0.0f, 0.0f, 0.0f, 1.0f), m_Absolute(0.0f, 0.0f, 0.0f, 1.0f),
      m_Size(0.0f, 0.0f, 0.0f, 1.0f), m_fOpacity(1.0f), m_fEffectiveOpacity(1.0f), m_DesignSize(0, 0, 1, 1),
      m_VirtualSize(0, 0, 1, 1), m_nHotKeyCount(0), m_apHotKey{}, m_pStyle(nullptr), m_Placement{}, m_nTag(0)
{
}

TUIItem::~TUIItem()
{
    // Children first; nothing may point at a deleted item.
    for (TUIItem* child : m_aChildren)
    {
        child->m_pParent = nullptr;
        delete child;
    }
    m_aChildren.clear();
    if (g_pUIManager)
        g_pUIManager->ForgetItem(this);
}

bool TUIItem::IsVisible()
{
    return !(m_nFlags & UI_HIDDEN) && (!m_pParent || m_pParent->IsVisible());
}

TUIItem* TUIItem::CreateChild(const char* className, const char* name)
{
    TUIItem* item = CreateUIItem(className);
    if (!item)
        return nullptr;
    item->SetName(name);
    AddChild(item);
    return item;
}

void TUIItem::AddChild(TUIItem* child)
{
    if (child->m_pParent)
        child->m_pParent->RemoveChild(child);
    else if (g_pUIManager)
        g_pUIManager->DetachRoot(child);
    child->m_pParent = this;
    m_aChildren.push_back(child);
    // The child takes this item's open state, without fade.
    child->ChangeActivity(IsInactive(), false);
}

void TUIItem::RemoveChild(TUIItem* child)
{
    auto it = std::find(m_aChildren.begin(), m_aChildren.end(), child);
    if (it == m_aChildren.end())
        return;
    m_aChildren.erase(it);
    child->m_pParent = nullptr;
}

TUIItem* TUIItem::FindItem(const TName& name) const
{
    for (TUIItem* child : m_aChildren)
        if (child->m_Name == name)
            return child;
    for (TUIItem* child : m_aChildren)
        if (TUIItem* found = child->FindItem(name))
            return found;
    return nullptr;
}

bool TUIItem::IsInSubtreeOf(const TUIItem* ancestor) const
{
    for (const TUIItem* item = this; item; item = item->m_pParent)
        if (item == ancestor)
            return true;
    return false;
}

// Geometry.

void TUIItem::SetPosition(f32 x, f32 y, f32 z, f32 w)
{
    if (m_Position.x == x && m_Position.y == y && m_Position.z == z && m_Position.w == w)
        return;
    m_Position = TVector(x, y, z, w);
    OnMove();
}

void TUIItem::SetSize(f32 width, f32 height, f32 depth, f32 w)
{
    if (m_Size.x == width && m_Size.y == height && m_Size.z == depth && m_Size.w == w)
        return;
    m_Size = TVector(width, height, depth, w);
    OnResize();
    UpdateLayout();
}

void TUIItem::SetDesignSize(f32 width, f32 height, f32 factor, u32 flag)
{
    m_DesignSize = TVector(width, height, factor, 1.0f);
    m_nFlags |= UI_DESIGN_SIZE;
    m_nFlags = flag ? (m_nFlags | UI_DESIGN_FLAG) : (m_nFlags & ~UI_DESIGN_FLAG);
    f32 screenWidth, screenHeight;
    if (g_pUIManager)
    {
        g_pUIManager->GetScreenSize(screenWidth, screenHeight);
        FitToScreen(screenWidth, screenHeight);
    }
}

void TUIItem::FitToScreen(f32 screenWidth, f32 screenHeight)
{
    if (!(m_nFlags & UI_DESIGN_SIZE) || screenWidth <= 0.0f || screenHeight <= 0.0f)
        return;
    const f32 aspect = screenWidth / screenHeight;
    const f32 factor = m_DesignSize.z > 0.0f ? m_DesignSize.z : 1.0f;
    TVector size = aspect > factor ? TVector(m_DesignSize.y * aspect / factor, m_DesignSize.y, factor, 1.0f)
                                   : TVector(m_DesignSize.x, m_DesignSize.x / aspect * factor, factor, 1.0f);
    if (size.x == m_VirtualSize.x && size.y == m_VirtualSize.y && size.z == m_VirtualSize.z)
        return;
    m_VirtualSize = size;
    UpdateLayout();
}

void TUIItem::SetRule(u32 rule, u32 mode, f32 value)
{
    m_Placement.aMode[rule] = mode;
    m_Placement.aValue[rule] = value;
}

void TUIItem::SetInsets(f32 value)
{
    SetRule(UI_RULE_LEFT, UI_PLACE_NEAR, value);
    SetRule(UI_RULE_TOP, UI_PLACE_NEAR, value);
    SetRule(UI_RULE_RIGHT, UI_PLACE_FAR, value);
    SetRule(UI_RULE_BOTTOM, UI_PLACE_FAR, value);
}

void TUIItem::GetInnerSize(f32& width, f32& height) const
{
    width = m_Size.x;
    height = m_Size.y;
    if (m_pStyle && (m_pStyle->nFlags & UI_STYLE_INNER_MARGINS))
    {
        width -= m_pStyle->aInnerMargin[0] + m_pStyle->aInnerMargin[2];
        height -= m_pStyle->aInnerMargin[1] + m_pStyle->aInnerMargin[3];
    }
}

void TUIItem::UpdateLayout()
{
    f32 parentWidth, parentHeight;
    if (m_pParent)
        m_pParent->GetInnerSize(parentWidth, parentHeight);
    else if (m_nFlags & UI_DESIGN_SIZE)
    {
        parentWidth = m_VirtualSize.x;
        parentHeight = m_VirtualSize.y;
    }
    else if (g_pUIManager)
        g_pUIManager->GetScreenSize(parentWidth, parentHeight);
    else
        parentWidth = parentHeight = 0.0f;

    auto near = [](u32 mode, f32 value, f32 parent, f32 own, f32 keep) {
        switch (mode)
        {
        case UI_PLACE_FRACTION:
            return value * parent - own * 0.5f;
        case UI_PLACE_NEAR:
            return value;
        case UI_PLACE_FAR:
            return parent - own - value;
        default:
            return keep;
        }
    };
    const u32* mode = m_Placement.aMode;
    const f32* value = m_Placement.aValue;
    const f32 x = near(mode[UI_RULE_LEFT], value[UI_RULE_LEFT], parentWidth, m_Size.x, m_Position.x);
    const f32 y = near(mode[UI_RULE_TOP], value[UI_RULE_TOP], parentHeight, m_Size.y, m_Position.y);
    SetPosition(x, y, m_Position.z, m_Position.w);

    auto far = [](u32 mode, f32 value, f32 parent, f32 start, f32 own) {
        if (mode == UI_PLACE_NEAR)
            return value;
        if (mode == UI_PLACE_FAR)
            return parent - value;
        return start + own;
    };
    const f32 right = far(mode[UI_RULE_RIGHT], value[UI_RULE_RIGHT], parentWidth, x, m_Size.x);
    const f32 bottom = far(mode[UI_RULE_BOTTOM], value[UI_RULE_BOTTOM], parentHeight, y, m_Size.y);
    if (right - x != m_Size.x || bottom - y != m_Size.y)
    {
        // SetSize lays the item out again with the new size.
        SetSize(right - x, bottom - y, m_Size.z, m_Size.w);
        return;
    }
    for (size_t i = 0; i < m_aChildren.size(); ++i)
        m_aChildren[i]->UpdateLayout();
    OnLayout();
}

// State.

void TUIItem::SetVisible(bool visible)
{
    if (visible == !(m_nFlags & UI_HIDDEN))
        return;
    if (visible)
    {
        m_nFlags &= ~UI_HIDDEN;
        OnVisible.Fire(this);
        return;
    }
    m_nFlags |= UI_HIDDEN;
    OnHidden.Fire(this);
    if (m_nFlags & UI_HIGHLIGHTED)
    {
        m_nFlags &= ~UI_HIGHLIGHTED;
        OnUnhighlight.Fire(this);
    }
}

void TUIItem::SetHighlighted(bool highlighted)
{
    if (highlighted != ((m_nFlags & UI_HIGHLIGHTED) != 0))
    {
        m_nFlags ^= UI_HIGHLIGHTED;
        (highlighted ? OnHighlight : OnUnhighlight).Fire(this);
    }
    for (size_t i = 0; i < m_aChildren.size(); ++i)
        m_aChildren[i]->SetHighlighted(highlighted);
}

void TUIItem::SetChecked(bool checked)
{
    m_nFlags = checked ? (m_nFlags | UI_CHECKED) : (m_nFlags & ~UI_CHECKED);
}

bool TUIItem::HasVisibleChild() const
{
    for (TUIItem* child : m_aChildren)
        if (!(child->m_nFlags & UI_HIDDEN))
            return true;
    return false;
}

void TUIItem::Show(bool open, bool immediate)
{
    if (RequestShow(open, immediate))
        return;
    ChangeActivity(!open, true);
}

void TUIItem::ChangeActivity(bool closed, bool self)
{
    const bool wasActive = !IsInactive();
    const u32 bit = self ? UI_CLOSED : UI_ANCESTOR_CLOSED;
    m_nFlags = closed ? (m_nFlags | bit) : (m_nFlags & ~bit);
    const bool active = !IsInactive();
    if (active != wasActive && g_pUIManager)
    {
        if (active && (m_nFlags & UI_DEFAULT))
            g_pUIManager->m_pDefaultItem = this;
        if (!active && g_pUIManager->m_pDefaultItem == this)
            g_pUIManager->m_pDefaultItem = nullptr;
        if (m_nFlags & UI_MODAL)
        {
            if (self && active)
                g_pUIManager->PushModal(this);
            else if (!active)
                g_pUIManager->RemoveModal(this);
        }
    }
    if (active != wasActive)
        (active ? OnShow : OnHide).Fire(this);
    for (size_t i = 0; i < m_aChildren.size(); ++i)
        m_aChildren[i]->ChangeActivity(!active, false);
    if (active != wasActive)
        UpdateLayout();
}

void TUIItem::Click(u32& select)
{
    OnClick(select);
    if (OnClickList.IsEmpty())
        return;
    if (OnClickList.Fire(this))
        return;
    select = 0;
    if (!(m_nFlags & UI_SILENT) && g_pUIManager)
        g_pUIManager->PlayClick();
}

i32 TUIItem::AddAction(const char* name)
{
    TInputAction* action = TInputManager::Instance().FindAction(TName(name));
    if (!action)
        return 1;
    if (m_nHotKeyCount >= UI_HOT_KEY_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TUIItem::AddAction(): error: ", "'%s': more than %u hot keys on '%s'", name,
                    UI_HOT_KEY_COUNT, m_Name.GetText());
        return 1;
    }
    m_apHotKey[m_nHotKeyCount++] = action;
    return 0;
}

// Style.

void TUIItem::SetStyle(const char* name)
{
    // The manager logs a missing style.
    const TUIStyle* style = g_pUIManager ? g_pUIManager->__FindStyle(TName(name, true)) : nullptr;
    if (style)
        ApplyStyle(style);
}

void TUIItem::ApplyStyle(const TUIStyle* style)
{
    m_pStyle = style;
    if (!style)
        return;
    m_Caption.ApplyStyle(style, UI_STATE_NORMAL);
    const TUIIcon* icon = style->pIcon;
    if (icon && icon->pNormal && (m_Size.x == 0.0f || m_Size.y == 0.0f))
    {
        const i32 frames = icon->nFrameCount < 1 ? 1 : icon->nFrameCount;
        SetSize(static_cast<f32>(icon->pNormal->m_nWidth),
                static_cast<f32>(icon->pNormal->m_nHeight) / static_cast<f32>(frames));
    }
    else if (style->nFlags & UI_STYLE_FIXED_SIZE)
        SetSize(style->aFixedSize[0], style->aFixedSize[1], style->aFixedSize[2], 1.0f);
}

// Cluster data.

void TUIItem::ReleaseClusterData()
{
    if (m_pStyle)
        m_StyleName = m_pStyle->Name;
    m_pStyle = nullptr;
    for (TUIItem* child : m_aChildren)
        child->ReleaseClusterData();
}

void TUIItem::RestoreClusterData()
{
    if (m_StyleName.GetId() && g_pUIManager)
        m_pStyle = g_pUIManager->__FindStyle(m_StyleName);
    for (TUIItem* child : m_aChildren)
        child->RestoreClusterData();
}

// Drawing.

TUIRect TUIItem::GetAbsoluteRect() const
{
    return {m_Absolute.x, m_Absolute.y, m_Absolute.x + m_Size.x, m_Absolute.y + m_Size.y};
}

void TUIItem::Render(const TVector& origin, f32 parentOpacity, bool force)
{
    if (m_nFlags & UI_CLOSED)
    {
        if (!(m_nFlags & UI_FADING))
            return;
    }
    else if ((m_nFlags & UI_ANCESTOR_CLOSED) && !force)
        return;
    m_fEffectiveOpacity = GetOpacity() * parentOpacity;
    m_Absolute = TVector(origin.x + m_Position.x, origin.y + m_Position.y, origin.z + m_Position.z, 1.0f);
    OnBeforeDraw.Fire(this);
    if (Draw())
        return;
    OnDraw.Fire(this);
    TVector inner = m_Absolute;
    if (m_pStyle && (m_pStyle->nFlags & UI_STYLE_CHILD_OFFSET))
    {
        inner.x += m_pStyle->aChildOffset[0];
        inner.y += m_pStyle->aChildOffset[1];
        inner.z += m_pStyle->aChildOffset[2];
    }
    const bool forceChildren = force || (m_nFlags & UI_FADING);
    for (size_t i = 0; i < m_aChildren.size(); ++i)
        m_aChildren[i]->Render(inner, m_fEffectiveOpacity, forceChildren);
    DrawOver();
    OnAfterDraw.Fire(this);
}
