// TUXManager: registration, the loaded arrays and the form list, cluster loads and unloads with
// the checks of loaded controls, layers, focus, forms and localization; the console variables
// and commands of the UX library.
#include "ux/ux.manager.h"

#include "core/cluster/cluster.h"
#include "core/cluster/clusterloadhook.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "engine/input/inputmanager.h"
#include "engine/localization/localization.h"
#include "engine/render/device.h"
#include "engine/render/texturefontmanager.h"
#include "engine/render/texturemanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandarguments.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.controlmanager.h"
#include "ux/ux.instance.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace UX
{
TUXManager* g_pUXManager = nullptr;

namespace
{
constexpr const char* kSource = "sources/ux/ux.manager";

const i32 s_nRegistered =
    TManagerManager::RegisterManager("UX", "UX", &g_pUXManager, &TUXManager::Instance());

// The UX variables: only ux_show changes what happens; the others are kept for settings.
class TUxVariable : public TVariable
{
public:
    TUxVariable(const char* name, const char* help, i32 value) : TVariable(name, help, 0)
    {
        m_Value.SetInt(value);
    }
    void OnChange() override {}
};

TUxVariable s_ux_show("ux_show", "show ui", 1);
TUxVariable s_ux_show_border("ux_show_border", "show ui control borders", 0);
TUxVariable s_ux_show_attributes("ux_show_attributes", "show ui control attributes", 0);
TUxVariable s_ux_show_margin_padding("ux_show_margin_padding", "show ui control margins and padding", 0);
TUxVariable s_ux_show_scissor("ux_show_scissor", "show ui control scissor padding", 0);
TUxVariable s_ux_show_center("ux_show_center", "show ui control center", 0);
TUxVariable s_ux_show_focus("ux_show_focus", "show ui control focus", 0);

class TCommandux_update_localization : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 0))
            TUXManager::Instance().UpdateLocalization();
    }
};

// ux_form_show and ux_form_hide: a loaded form by its name.
class TCommandux_form : public TCommand
{
public:
    explicit TCommandux_form(bool show) : m_bShow(show) {}
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        const TName name = CommandArgument(instruction, 0);
        TControl* form = TUXManager::Instance().PrepareForm(name);
        if (!form)
        {
            TCommandManager::Instance().PrintError("'%s': undeclared form", name.GetText());
            return;
        }
        if (m_bShow)
            form->Show(0);
        else
            form->Hide(0);
    }

private:
    bool m_bShow;
};

TCommandux_update_localization s_Commandux_update_localization;
TCommandux_form s_Commandux_form_show(true);
TCommandux_form s_Commandux_form_hide(false);
const u32 s_nCommands = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("ux_update_localization", "update ux loca", "Rebuild UX localization texture",
                            &s_Commandux_update_localization, 0);
    manager.RegisterCommand("ux_form_show", "show ux form", "Show a loaded UX form by its name.",
                            &s_Commandux_form_show, 0);
    manager.RegisterCommand("ux_form_hide", "hide ux form", "Hide a loaded UX form by its name.",
                            &s_Commandux_form_hide, 0);
    return 0u;
}();

bool LessAddress(const void* a, const void* b)
{
    return reinterpret_cast<uintptr_t>(a) < reinterpret_cast<uintptr_t>(b);
}
} // namespace

bool TUXManager::IsShown()
{
    return s_ux_show.GetValue().ToInt() != 0;
}

TUXManager& TUXManager::Instance()
{
    static TUXManager s_Manager;
    return s_Manager;
}

TUXManager::TUXManager()
    : m_bRegistrationSuspended(false), m_pDefaultToolTip(nullptr), m_FormList(), m_pFocus(nullptr), m_pCapture(nullptr), m_pModalForm(nullptr),
      m_pPressed(nullptr), m_aTopForm(), m_Mouse(), m_nMouseResult(0), m_nDragState(0), m_apButton(),
      m_pShader(nullptr), m_nFontWarning(0), m_fReferenceWidth(UX_REFERENCE_WIDTH),
      m_fReferenceHeight(UX_REFERENCE_HEIGHT), m_pCursor(nullptr), m_pWhite(nullptr)
{
    // Every frame, paused or not.
    m_nChannel = 0;
    m_nUpdateFlags &= ~MANAGER_UPDATE_SKIP_ZERO;
    if (g_pCluster)
    {
        RegisterId(UX_MANAGER_ID);
        RegisterArray(&TTransitionStyleDecl(), &m_aStyle);
        RegisterArray(&TInstanceObject::Decl(), &m_aInstanceObject);
        RegisterArray(&TSimpleToolTip::Decl(), &m_aToolTip);
        SetClusterLoadHook(INSTANCE_OBJECT_TYPE_ID, [](void* object) {
            static_cast<TInstanceObject*>(object)->ForgetLoadedWords();
        });
        SetClusterLoadHook(SIMPLE_TOOL_TIP_TYPE_ID, [](void* object) {
            static_cast<TSimpleToolTip*>(object)->ForgetLoadedWords();
        });
        TToolTip::Decl();
        ImageDecl();
    }
}

TUXManager::~TUXManager()
{
    m_aControlManager.Free();
}

void TUXManager::BeginManager()
{
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
    g_pDeviceManager->AddMethod(this);
    TInputManager::Instance().AddMethod(this);
    TLocalizationManager::Instance().AddMethod(this);
    TInputManager::Instance().RegisterInputFocus(this, UX_FOCUS_LAYER);
}

void TUXManager::RegisterControlManager(TControlManager* manager)
{
    m_aControlManager.Add(manager);
}

TControlManager* TUXManager::FindControlManager(const TName& className) const
{
    for (i32 i = 0; i < m_aControlManager.GetCount(); ++i)
        if (m_aControlManager[i]->GetClassName() == className)
            return m_aControlManager[i];
    return nullptr;
}

template <class F> void TUXManager::ForEachControl(F visit) const
{
    for (i32 m = 0; m < m_aControlManager.GetCount(); ++m)
    {
        TControlManager* manager = m_aControlManager[m];
        const i32 count = manager->GetCount();
        for (i32 i = 0; i < count; ++i)
            visit(manager->GetInstance(i));
    }
}

void TUXManager::RegisterInstance(TInstance* instance)
{
    instance->SetRegistrationNumber(m_aInstance.GetCount());
    m_aInstance.Add(instance);
}

bool TUXManager::IsLoadedToolTip(const void* address) const
{
    for (i32 i = 0; i < m_aToolTip.GetCount(); ++i)
        if (m_aToolTip[i] == address)
            return true;
    return false;
}

i32 TUXManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId == INSTANCE_OBJECT_TYPE_ID)
    {
        // The objects take their screens at the cluster load. The registered screens past them
        // (a level without the demonstration form) stay unbound; more objects than screens name
        // screens this program lacks.
        if (count > m_aInstance.GetCount())
            __Abort("TUXManager::SetArray", kSource, __LINE__, "invalid instance count %d (should be %d)",
                    count, m_aInstance.GetCount());
        return 0;
    }
    if (typeId == SIMPLE_TOOL_TIP_TYPE_ID)
    {
        // Their links are checked at the cluster load, once they are fixed.
        m_pDefaultToolTip = m_aToolTip.GetCount() ? m_aToolTip[0] : nullptr;
        return 0;
    }
    return typeId == TRANSITION_STYLE_TYPE_ID ? 0 : 1;
}

i32 TUXManager::GetData(i32 index, void*& data, i32& size)
{
    if (index != 0)
        return 1;
    // The resolved pointers meant objects of this run.
    for (TFormListEntry& entry : m_FormList.aEntry)
        entry.pControl = nullptr;
    data = &m_FormList;
    size = sizeof(TFormList);
    return 0;
}

i32 TUXManager::SetData(i32 index, const void* data, i32 size)
{
    if (index != 0)
        return 1;
    if (size != static_cast<i32>(sizeof(TFormList)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TUXManager::SetData(): error: ", "a form list of %d bytes is refused (%d expected)",
                    size, static_cast<i32>(sizeof(TFormList)));
        return 1;
    }
    std::memcpy(&m_FormList, data, sizeof(TFormList));
    if (m_FormList.nCount < 0 || m_FormList.nCount > static_cast<i32>(FORM_LIST_CAPACITY))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TUXManager::SetData(): error: ", "%d forms in the form list: none kept",
                    m_FormList.nCount);
        m_FormList.nCount = 0;
    }
    for (TFormListEntry& entry : m_FormList.aEntry)
        entry.pControl = nullptr;
    return 0;
}

TControl* TUXManager::ResolveForm(u32 index)
{
    if (index >= static_cast<u32>(m_FormList.nCount))
        return nullptr;
    TFormListEntry& entry = m_FormList.aEntry[index];
    if (!entry.pControl && !entry.Handle.IsNull())
    {
        void* object = entry.Handle.GetObject();
        if (object && IsLoadedControl(object))
            entry.pControl = static_cast<TControl*>(object);
    }
    return entry.pControl;
}

TTransitionStyle* TUXManager::FindStyle(const TName& name) const
{
    for (i32 i = 0; i < m_aStyle.GetCount(); ++i)
        if (m_aStyle[i]->Name == name)
            return m_aStyle[i];
    return nullptr;
}

bool TUXManager::IsLoadedControl(const void* address) const
{
    const void* const* begin = m_aLoadedControl.GetData();
    const void* const* end = begin + m_aLoadedControl.GetCount();
    return std::binary_search(begin, end, address, LessAddress);
}

void TUXManager::OnClusterLoad()
{
    m_nMouseResult = 0;
    m_Mouse = {};
    m_nDragState = 0;
    m_aQueue.SetCount(0);
    m_aFrameEvent.SetCount(0);
    TForm::s_pActiveForm = nullptr;
    m_Requested = {};
    m_Bound = {};
    m_nFontWarning = 0;
    m_aPreparedForm.SetCount(0);
    m_pCursor = TInputManager::Instance().FindCursor(TName("Mouse", true));
    if (m_pCursor)
        TInputManager::Instance().SetActiveCursor(m_pCursor);
    CheckLoadedControls();
    for (i32 i = 0; i < m_aToolTip.GetCount(); ++i)
        m_aToolTip[i]->CheckLoadedLabel();
    ForEachControl([](TControl* control) {
        control->OnLayerHook();
        control->OnStyleHook();
    });
    InitializeInstances();
    RebuildLayers();
    TLayer* top = GetLayer(1);
    if (top && !top->aOverlay.GetCount())
        top->aOverlay.Add(&m_Fader);
    m_pWhite = g_pTextureManager ? g_pTextureManager->FindTexture(TName(WHITE_TEXTURE_NAME, true)) : nullptr;
    if (!m_pWhite && top)
        TLog::Print(g_pSystemLog, LOG_WARNING, "TUXManager::OnClusterLoad(): warning: ",
                    "'%s': no such texture: the fader and text boxes' selections draw nothing",
                    WHITE_TEXTURE_NAME);
    // The language chosen before the load: its image variants and font aliases.
    UpdateLocalization();
}

void TUXManager::CheckLoadedControls()
{
    m_aLoadedControl.SetCount(0);
    ForEachControl([this](TControl* control) { m_aLoadedControl.Add(control); });
    std::sort(m_aLoadedControl.GetData(), m_aLoadedControl.GetData() + m_aLoadedControl.GetCount(),
              LessAddress);
    for (i32 m = 0; m < m_aControlManager.GetCount(); ++m)
        m_aControlManager[m]->CheckLoaded();
    CheckLoadedTrees();
}

void TUXManager::CheckLoadedTrees()
{
    const i32 count = m_aLoadedControl.GetCount();
    auto index = [this](const TControl* control) {
        const void* const* begin = m_aLoadedControl.GetData();
        return static_cast<i32>(std::lower_bound(begin, begin + m_aLoadedControl.GetCount(),
                                                 static_cast<const void*>(control), LessAddress) -
                                begin);
    };
    auto cut = [](const TControl* control, const char* what) {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TUXManager::OnClusterLoad(): error: ", "'%s': %s cut",
                    control->GetNameText(), what);
    };
    auto control = [this](i32 i) { return static_cast<TControl*>(const_cast<void*>(m_aLoadedControl[i])); };

    // Links to anything but a loaded control.
    for (i32 i = 0; i < count; ++i)
    {
        TControl* c = control(i);
        TControl** links[] = {&c->pParent, &c->lChild.pFirst, &c->lChild.pLast, &c->pNext, &c->pPrev};
        for (TControl** link : links)
            if (*link && (*link == c || !IsLoadedControl(*link)))
            {
                cut(c, "a link to no control");
                *link = nullptr;
            }
    }
    // Each child list, from its first child on, as long as the links pair up.
    std::vector<u8> claimed(static_cast<size_t>(count), 0);
    for (i32 i = 0; i < count; ++i)
    {
        TControl* parent = control(i);
        i32 children = 0;
        TControl* previous = nullptr;
        TControl* child = parent->lChild.pFirst;
        while (child)
        {
            const i32 k = index(child);
            if (child->pParent != parent || claimed[static_cast<size_t>(k)] || child->pPrev != previous)
            {
                cut(parent, "a child list that does not pair up");
                break;
            }
            claimed[static_cast<size_t>(k)] = 1;
            ++children;
            previous = child;
            child = child->pNext;
        }
        if (previous)
            previous->pNext = nullptr;
        else
            parent->lChild.pFirst = nullptr;
        parent->lChild.pLast = previous;
        if (parent->nChildCount != children)
        {
            if (!child)
                cut(parent, "a child count that does not match");
            parent->nChildCount = children;
        }
    }
    for (i32 i = 0; i < count; ++i)
    {
        TControl* c = control(i);
        if (claimed[static_cast<size_t>(i)])
            continue;
        if (c->pParent)
            cut(c, "a parent link that does not pair up");
        c->pParent = nullptr;
        c->pNext = c->pPrev = nullptr;
    }
    // Cycles of parents: each walk up stops at a root, at a control known to reach one, or at a
    // control of its own walk, whose parent link is then cut.
    std::vector<u8> state(static_cast<size_t>(count), 0);
    std::vector<i32> walk;
    for (i32 i = 0; i < count; ++i)
    {
        walk.clear();
        TControl* c = control(i);
        while (c)
        {
            const size_t k = static_cast<size_t>(index(c));
            if (state[k] == 2)
                break;
            if (state[k] == 1)
            {
                cut(c, "a cycle of parents");
                c->pParent->RemoveChild(c);
                break;
            }
            state[k] = 1;
            walk.push_back(static_cast<i32>(k));
            c = c->pParent;
        }
        for (i32 k : walk)
            state[static_cast<size_t>(k)] = 2;
    }
}

void TUXManager::InitializeInstances()
{
    // The screens in their order, one for each loaded object; later screens stay unbound.
    for (i32 i = 0; i < m_aInstanceObject.GetCount() && i < m_aInstance.GetCount(); ++i)
    {
        TInstanceObject* object = m_aInstanceObject[i];
        object->pInstance = m_aInstance[i];
        object->pInstance->Initialize(*object);
        // Its tree is loaded: ux_form_show loads it no more.
        if (TControl* form = object->pInstance->GetForm())
            m_aPreparedForm.Add(form);
    }
}

void TUXManager::OnClusterUnload()
{
    for (i32 m = 0; m < m_aControlManager.GetCount(); ++m)
        m_aControlManager[m]->ReleaseLoaded();
    m_pFocus = m_pCapture = m_pModalForm = m_pPressed = nullptr;
    m_aModalForm.SetCount(0);
    m_aTopForm[0] = m_aTopForm[1] = nullptr;
    TForm::s_pActiveForm = nullptr;
    m_aPreparedForm.SetCount(0);
    m_aLoadedControl.SetCount(0);
    m_pDefaultToolTip = nullptr;
    m_pWhite = nullptr;
    for (i32 i = 0; i < m_aInstance.GetCount(); ++i)
        m_aInstance[i]->ForgetForm();
    m_pCursor = nullptr;
    m_pShader = nullptr;
    for (TFormListEntry& entry : m_FormList.aEntry)
        entry.pControl = nullptr;
}

void TUXManager::OnDeviceChange()
{
    RebuildLayers();
}

TLayer* TUXManager::GetLayer(u32 index) const
{
    TControlManagerTemplate<TLayer>& layers = TLayer::Manager();
    return index < static_cast<u32>(layers.GetCount()) ? layers.Get(static_cast<i32>(index)) : nullptr;
}

u32 TUXManager::GetLayerCount() const
{
    return static_cast<u32>(TLayer::Manager().GetCount());
}

void TUXManager::RebuildLayers()
{
    for (u32 i = 0; i < DRAWN_LAYER_COUNT; ++i)
        if (TLayer* layer = GetLayer(i))
            layer->Rebuild();
}

void TUXManager::SetFocus(TControl* control)
{
    if (control == m_pFocus)
        return;
    TControl* old = m_pFocus;
    m_pFocus = control;
    if (old)
        old->KillFocus();
    if (control)
        control->SetFocus();
}

void TUXManager::OpenModalForm(TControl* form)
{
    CloseModalForm(form);
    m_aModalForm.Add(form);
    m_pModalForm = form;
}

void TUXManager::CloseModalForm(TControl* form)
{
    i32 kept = 0;
    for (i32 i = 0; i < m_aModalForm.GetCount(); ++i)
        if (m_aModalForm[i] != form)
            m_aModalForm[kept++] = m_aModalForm[i];
    m_aModalForm.SetCount(kept);
    if (m_pModalForm == form)
        m_pModalForm = kept ? m_aModalForm[kept - 1] : nullptr;
}

bool TUXManager::IsOnTopForm(TControl* control)
{
    if (!control)
        return false;
    TControl* form = control->GetForm();
    if (!form->IsVisibleOnScreen())
        return false;
    return form == m_aTopForm[0] || form == m_aTopForm[1];
}

i32 TUXManager::ShowForm(const TName& name)
{
    for (i32 i = 0; i < m_aInstanceObject.GetCount(); ++i)
    {
        TInstanceObject* object = m_aInstanceObject[i];
        if (!object->pInstance || object->pInstance->GetClassName() != name)
            continue;
        TControl* form = object->GetControl(0);
        if (!form)
            return 1;
        form->Show(1);
        return 0;
    }
    return 1;
}

TControl* TUXManager::PrepareForm(const TName& name)
{
    TControlManagerTemplate<TForm>& forms = TForm::Manager();
    for (i32 i = 0; i < forms.GetCount(); ++i)
    {
        TForm* form = forms.Get(i);
        if (form->Name != name)
            continue;
        bool loaded = false;
        for (i32 k = 0; k < m_aPreparedForm.GetCount() && !loaded; ++k)
            loaded = m_aPreparedForm[k] == form;
        if (!loaded)
        {
            // As a combo box loads its drop-down: the form, then each child's tree.
            form->Load();
            for (TControl* child = form->lChild.pFirst; child; child = child->pNext)
                child->Load();
            m_aPreparedForm.Add(form);
        }
        return form;
    }
    return nullptr;
}

void TUXManager::OnLanguageChange(int)
{
    UpdateLocalization();
}

void TUXManager::UpdateLocalization()
{
    ForEachControl([](TControl* control) {
        control->BackgroundImage.ResolveLanguage();
        for (TImage& image : control->aTransitionImage)
            image.ResolveLanguage();
    });
    TLocalizationManager& localization = TLocalizationManager::Instance();
    if (localization.GetCurrentLanguage() >= 0 && g_pTextureFontManager)
        g_pTextureFontManager->LoadAliases(localization.GetCurrentLanguageName());
}
} // namespace UX
