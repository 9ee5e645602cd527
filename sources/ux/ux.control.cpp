// UX::TControl: construction, the tree and its lookups, and the checks of loaded records.
#include "ux/ux.control.h"

#include "core/system/log.h"
#include "core/system/string.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace UX
{
namespace
{
const TName& FormClass()
{
    static const TName s_Name("TForm", true);
    return s_Name;
}

constexpr i32 kWrapNext = -2;
constexpr i32 kWrapPrev = 200000;

// The highest tab index of the focusable controls below root (root included), transparent
// containers and their subtrees left out, the control skip apart.
i32 HighestTabIndex(const TControl* root, const TControl* skip)
{
    if (root->nFlags & CONTROL_TRANSPARENT)
        return 0;
    i32 highest = 0;
    if (root != skip && (root->nFlags & CONTROL_FOCUSABLE))
        highest = root->nTabIndex;
    for (const TControl* child = root->lChild.pFirst; child; child = child->pNext)
        highest = std::max(highest, HighestTabIndex(child, skip));
    return highest;
}

bool IsTabStop(const TControl* control)
{
    if (!control->IsVisibleOnScreen() || !control->IsEnabledAll() || !(control->nFlags & CONTROL_FOCUSABLE))
        return false;
    return !((control->nFlags & CONTROL_TRANSPARENT) && control->nTabIndex < 1);
}

// The tab stop below root whose index is nearest above (next) or below (previous) the given.
void SearchTabStop(TControl* root, i32 tabIndex, bool next, TControl*& best)
{
    if (IsTabStop(root))
    {
        const i32 index = root->nTabIndex;
        if (next ? index > tabIndex && (!best || index < best->nTabIndex)
                 : index < tabIndex && (!best || index > best->nTabIndex))
            best = root;
    }
    for (TControl* child = root->lChild.pFirst; child; child = child->pNext)
        SearchTabStop(child, tabIndex, next, best);
}

bool Finite(f32 value)
{
    return std::isfinite(value);
}
} // namespace

const TClusterTypeDecl& TControl::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TControl", CLUSTER_TYPE_UNBOUND, sizeof(TControl),
                                   &UxPrototype<TControl>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControl::TControl()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(void*), 0, sizeof(TControl) - sizeof(void*));
    nClipStage = CLIP_BEFORE_CHILDREN;
    nFlags = CONTROL_DEFAULT_FLAGS;
    for (TImage& image : aTransitionImage)
        image = DEFAULT_IMAGE;
    nState = STATE_NORMAL;
    nTargetState = STATE_NONE;
    Base = TStateBlock::Default();
    Computed = TStateBlock::Default();
    nEdgeFlags = SIDE_LEFT | SIDE_TOP;
    BackgroundImage = DEFAULT_IMAGE;
}

TControl::~TControl()
{
    Text.FreeLiteral();
}

const char* TControl::GetNameText() const
{
    const char* text = Name.GetText();
    return text[0] || !Name.IsValid() ? text : StringFormat("0x%08x", Name.GetId());
}

void TControl::AddChild(TControl* child)
{
    if (!child || child->pParent == this || child == this)
        return;
    if (child->pParent)
        child->pParent->RemoveChild(child);
    child->pPrev = lChild.pLast;
    child->pNext = nullptr;
    if (lChild.pLast)
        lChild.pLast->pNext = child;
    else
        lChild.pFirst = child;
    lChild.pLast = child;
    child->pParent = this;
    ++nChildCount;
    if (nTabIndex == 0 && (child->nFlags & CONTROL_FOCUSABLE) && !(child->nFlags & CONTROL_TRANSPARENT))
        child->nTabIndex = HighestTabIndex(child->GetForm(), child) + 1;
}

void TControl::RemoveChild(TControl* child)
{
    if (!child || child->pParent != this)
        return;
    if (child->pPrev)
        child->pPrev->pNext = child->pNext;
    else
        lChild.pFirst = child->pNext;
    if (child->pNext)
        child->pNext->pPrev = child->pPrev;
    else
        lChild.pLast = child->pPrev;
    child->pParent = nullptr;
    child->pNext = child->pPrev = nullptr;
    --nChildCount;
}

TControl* TControl::FindChild(const TName& name)
{
    if (Name == name)
        return this;
    for (TControl* child = lChild.pFirst; child; child = child->pNext)
        if (TControl* found = child->FindChild(name))
            return found;
    return nullptr;
}

bool TControl::IsDescendantOf(const TControl* control) const
{
    if (!control)
        return false;
    for (const TControl* c = this; c; c = c->pParent)
        if (c == control)
            return true;
    return false;
}

TControl* TControl::GetForm()
{
    TControl* c = this;
    while (!c->IsClass(FormClass()) && c->pParent)
        c = c->pParent;
    return c;
}

TControl* TControl::FindNextTabStop(i32 tabIndex)
{
    TControl* best = nullptr;
    SearchTabStop(this, tabIndex, true, best);
    if (!best)
        SearchTabStop(this, kWrapNext, true, best);
    return best;
}

TControl* TControl::FindPrevTabStop(i32 tabIndex)
{
    TControl* best = nullptr;
    SearchTabStop(this, tabIndex, false, best);
    if (!best)
        SearchTabStop(this, kWrapPrev, false, best);
    return best;
}

void TControl::ForgetLoadedWords()
{
    Text.ForgetLiteral();
    for (TEvent& event : aEvent)
        event.Forget();
    // The state blocks' images hold no links: their texture words are the writing run's
    // (nothing draws them).
    Base.Image.pTexture = nullptr;
    Computed.Image.pTexture = nullptr;
}

void TControl::ReleaseLoaded()
{
    Text.FreeLiteral();
    for (TEvent& event : aEvent)
        event.Clear();
}

void TControl::CheckLoadedValues()
{
    auto reset = [this](const char* what) {
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ", "'%s': %s reset",
                    GetNameText(), what);
    };
    if (nClipStage >= CLIP_STAGE_COUNT)
    {
        reset("clip stage");
        nClipStage = CLIP_BEFORE_CHILDREN;
    }
    if (nState >= STATE_COUNT || nTargetState > STATE_NONE)
    {
        reset("state");
        nState = STATE_NORMAL;
        nTargetState = STATE_NONE;
    }
    if (!Finite(fTransitionDuration) || !Finite(fTransitionRemaining) || fTransitionDuration < 0.0f ||
        fTransitionRemaining < 0.0f)
    {
        reset("transition time");
        fTransitionDuration = fTransitionRemaining = 0.0f;
    }
    if (nAspectMode >= ASPECT_MODE_COUNT)
    {
        reset("aspect mode");
        nAspectMode = 0;
    }
    if (nActionBindingCount < 0 || nActionBindingCount > static_cast<i32>(ACTION_BINDING_COUNT))
    {
        reset("action binding count");
        nActionBindingCount = 0;
    }
    for (i32 i = 0; i < nActionBindingCount; ++i)
        if (aActionBinding[i].nScope >= SCOPE_COUNT)
        {
            reset("action binding scope");
            nActionBindingCount = 0;
        }
    if (pToolTip && !g_pUXManager->IsLoadedToolTip(pToolTip))
    {
        reset("tool tip");
        pToolTip = nullptr;
    }
    // Run-time marks of the run that saved the record.
    nFlags &=
        ~(CONTROL_FOCUSED | CONTROL_CONTAINS_FOCUS | CONTROL_PRESSED | CONTROL_HOVERED | CONTROL_PRESS_BEGAN |
          CONTROL_DESCENDANT_HOVERED | CONTROL_HOVER_MARK | CONTROL_UNDER_MOUSE | CONTROL_ACTIVE);
}

bool TControl::CheckLoadedPart(TControl*& part, const char* what, const TName* className)
{
    if (part && (!g_pUXManager->IsLoadedControl(part) || (className && !part->IsClass(*className))))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ",
                    "'%s': its %s is no loaded control of its kind: cut", GetNameText(), what);
        part = nullptr;
    }
    if (part)
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ",
                "'%s': no %s: its work is skipped", GetNameText(), what);
    return false;
}

u32 TControl::LoadedCount(u32 count, u32 capacity, const char* what) const
{
    if (count <= capacity)
        return count;
    TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ",
                "'%s': %s count %u above %u: cut", GetNameText(), what, count, capacity);
    return capacity;
}

i32 TControl::LoadedInRange(i32 value, i32 minimum, i32 maximum, const char* what) const
{
    const i32 clamped = std::clamp(value, minimum, maximum);
    if (clamped != value)
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ",
                    "'%s': %s %d outside %d .. %d: %d kept", GetNameText(), what, value, minimum, maximum, clamped);
    return clamped;
}
} // namespace UX
