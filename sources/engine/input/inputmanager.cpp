#include "engine/input/inputmanager.h"

#include "core/cluster/cluster.h"
#include "core/stream/stream.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/namemanager.h"
#include "core/system/string.h"
#include "engine/input/input.h"
#include "engine/input/inputcursor.h"
#include "engine/input/inputdriver.h"
#include "engine/input/inputmethods.h"
#include "engine/input/inputtypes.h"
#include "engine/localization/localization.h"
#include "engine/render/device.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"

#include <cstring>

TInputManager* g_pInputManager = nullptr;

namespace
{
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Input", "Input", &g_pInputManager, &TInputManager::Instance());

// The name the environment shows for an input: while the language is French, the keys Q and
// Z read as the A and W printed on its keyboards.
TName DisplayName(TInput* input)
{
    const TName& name = *input->GetName();
    const char* language = TLocalizationManager::Instance().GetCurrentLanguageName().GetText();
    if (std::strcmp(language, "Francaise") == 0 || std::strcmp(language, "Francais") == 0)
    {
        if (std::strcmp(name.GetText(), "Q") == 0)
            return TName("A", true);
        if (std::strcmp(name.GetText(), "Z") == 0)
            return TName("W", true);
    }
    return name;
}

// Takes an entry out of a list; the entries behind it move up, keeping their order.
template <class T, int N> void RemoveKeepingOrder(SArray<T*, N, 0>& list, T* entry)
{
    for (u32 i = 0; i < list.GetCount(); ++i)
        if (list[i] == entry)
        {
            for (u32 j = i + 1; j < list.GetCount(); ++j)
                list[j - 1] = list[j];
            list.SetCount(list.GetCount() - 1);
            return;
        }
}
} // namespace

TInputManager& TInputManager::Instance()
{
    static TInputManager s_Instance;
    return s_Instance;
}

TInputManager::TInputManager()
    : m_pCapture(nullptr), m_nBufferedUsers(0), m_PointerPosition(0.0f, 0.0f, 0.0f, 1.0f),
      m_pActiveCursor(nullptr)
{
    // Every frame, paused or not: the menus that stand the game clock still take input.
    m_nChannel = 0;
    m_nUpdateFlags &= ~MANAGER_UPDATE_SKIP_ZERO;
    RegisterArray(&InputActionDecl(), &m_aLoadedAction);
    RegisterArray(&InputCursorDecl(), &m_aCursor);
}

void TInputManager::CheckUnlocked(const char* function) const
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, "sources/engine/input/input", __LINE__, "manager system 'initialize' is locked");
}

// Actions.

TInputAction* TInputManager::CreateAction(const TName& name, u32 flags)
{
    CheckUnlocked("TInputManager::CreateAction");
    TName actionName = name;
    if (!*name.GetText())
        actionName.Set("$unknown", true);
    const i32 index = m_ActionNames.FindKey(actionName.GetId());
    if (index >= 0)
        return GetActionAt(index);
    if (m_ActionNames.IsFull())
    {
        TCommandManager::Instance().PrintError("'%s': too many actions (max %u)", actionName.GetText(),
                                               INPUT_ACTION_COUNT);
        return nullptr;
    }

    TInputAction* action = m_aAction.Add();
    *action = TInputAction();
    action->Name = actionName;
    action->nFlags = flags;
    m_ActionNames.Insert({actionName.GetId(), static_cast<u32>(m_aAction.GetCount() - 1)});
    if (g_pNameManager)
        g_pNameManager->AddKeyword(actionName);
    BindFromTable(action, static_cast<u32>(m_aAction.GetCount() - 1));
    return action;
}

TInputAction* TInputManager::FindAction(const TName& name)
{
    CheckUnlocked("TInputManager::FindAction");
    return GetActionAt(m_ActionNames.FindKey(name.GetId()));
}

i32 TInputManager::FindActionIndex(const TName& name)
{
    CheckUnlocked("TInputManager::FindActionIndex");
    return m_ActionNames.FindKey(name.GetId());
}

TInputAction* TInputManager::GetActionAt(i32 index) const
{
    if (index < 0 || static_cast<u32>(index) >= m_ActionNames.GetCount())
        return nullptr;
    const u32 place = m_ActionNames[static_cast<u32>(index)].value;
    return place < static_cast<u32>(m_aAction.GetCount()) ? m_aAction[static_cast<i32>(place)] : nullptr;
}

void TInputManager::BindAction(TInputAction* action, TInput* primary, TInput* secondary)
{
    action->Bind(primary, secondary);
    UpdateActionEnvironment(action);
}

void TInputManager::UpdateActionEnvironment()
{
    for (i32 i = 0; i < m_aAction.GetCount(); ++i)
        UpdateActionEnvironment(m_aAction[i]);
}

void TInputManager::UpdateActionEnvironment(const TInputAction* action)
{
    if (action->nFlags & INPUT_ACTION_NO_ENVIRONMENT)
        return;
    char name[INPUT_ACTION_NAME_SIZE + 8];
    FormatStringN(name, sizeof name, "action:%s", action->Name.GetText());
    const TName value = action->pPrimary ? DisplayName(action->pPrimary) : TName();
    TCommandManager::Instance().SetEnvironmentKeyword(TName(name, true), value);
}

// The binding table.

void TInputManager::BindFromTable(TInputAction* action, u32 hint)
{
    u32 entry = hint;
    if (entry >= m_aBinding.GetCount() || m_aBinding[entry].Name != action->Name)
    {
        entry = m_aBinding.GetCount();
        for (u32 i = 0; i < m_aBinding.GetCount(); ++i)
            if (m_aBinding[i].Name == action->Name)
            {
                entry = i;
                break;
            }
    }
    if (entry < m_aBinding.GetCount())
        BindAction(action, m_aBinding[entry].pPrimary, m_aBinding[entry].pSecondary);
}

void TInputManager::SaveBindings()
{
    u32 count = static_cast<u32>(m_aAction.GetCount());
    if (count > INPUT_ACTION_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TInputManager::SaveBindings(): error: ", "%u actions, only the first %u kept", count,
                    INPUT_ACTION_COUNT);
        count = INPUT_ACTION_COUNT;
    }
    m_aBinding.SetCount(count);
    m_aBindingName.SetCount(count);
    for (u32 i = 0; i < count; ++i)
    {
        m_aBinding[i] = *m_aAction[static_cast<i32>(i)];
        m_aBindingName[i].Format("%s", m_aAction[static_cast<i32>(i)]->Name.GetText());
    }
}

void TInputManager::RestoreBindings()
{
    if (m_aBinding.GetCount() == 0)
        return;
    for (i32 i = 0; i < m_aAction.GetCount(); ++i)
        BindFromTable(m_aAction[i], static_cast<u32>(i));
}

void TInputManager::WriteActions(TStream& stream) const
{
    for (i32 i = 0; i < m_aAction.GetCount(); ++i)
    {
        const TInputAction* action = m_aAction[i];
        if (!action->pPrimary)
            continue;
        char line[256];
        if (action->pSecondary)
            FormatStringN(line, sizeof line, "action.bind \"%s\" %s %s\n", action->Name.GetText(),
                          action->pPrimary->GetName()->GetText(), action->pSecondary->GetName()->GetText());
        else
            FormatStringN(line, sizeof line, "action.bind \"%s\" %s\n", action->Name.GetText(),
                          action->pPrimary->GetName()->GetText());
        stream.WriteText(line);
    }
}

// Inputs and drivers.

void TInputManager::RegisterInput(TInput* input)
{
    const TName& name = *input->GetName();
    if (m_Inputs.FindKey(name.GetId()) >= 0)
        return;
    if (m_Inputs.IsFull())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TInputManager::RegisterInput(): error: ",
                    "too many inputs (max %u), '%s' not registered", INPUT_INPUT_COUNT, name.GetText());
        return;
    }
    m_Inputs.Insert({name.GetId(), input});
}

TInput* TInputManager::FindInput(const TName& name)
{
    const i32 index = FindInputIndex(name);
    if (index < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TInputManager::FindInput(): error: ", "unable to find input '%s'", name.GetText());
        return nullptr;
    }
    return m_Inputs[static_cast<u32>(index)].value;
}

i32 TInputManager::FindInputIndex(const TName& name)
{
    CheckUnlocked("TInputManager::FindInputIndex");
    return m_Inputs.FindKey(name.GetId());
}

TInput* TInputManager::GetInputAt(i32 index) const
{
    return index >= 0 && static_cast<u32>(index) < m_Inputs.GetCount()
               ? m_Inputs[static_cast<u32>(index)].value
               : nullptr;
}

void TInputManager::AddDriver(TInputDriver* driver)
{
    if (m_aDriver.GetCount() >= INPUT_DRIVER_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TInputManager::AddDriver(): error: ", "too many drivers (max %u)", INPUT_DRIVER_COUNT);
        return;
    }
    m_aDriver.Add(driver);
}

void TInputManager::RemoveDriver(TInputDriver* driver)
{
    RemoveKeepingOrder(m_aDriver, driver);
}

void TInputManager::AddMethod(TInputMethods* listener)
{
    for (u32 i = 0; i < m_aMethod.GetCount(); ++i)
        if (m_aMethod[i] == listener)
            return;
    if (m_aMethod.GetCount() >= INPUT_METHOD_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TInputManager::AddMethod(): error: ", "too many listeners (max %u)", INPUT_METHOD_COUNT);
        return;
    }
    m_aMethod.Add(listener);
}

void TInputManager::RemoveMethod(TInputMethods* listener)
{
    RemoveKeepingOrder(m_aMethod, listener);
}

void TInputManager::ResetDrivers()
{
    for (u32 i = 0; i < m_aDriver.GetCount(); ++i)
        m_aDriver[i]->Reset();
}

// Events.

void TInputManager::OnInputEvent(const TInputEvent& event)
{
    TCommandManager::Instance().TriggerBinds({event.nModifiers, event.nCode, 0});
    for (u32 i = 0; i < m_aMethod.GetCount(); ++i)
        m_aMethod[i]->OnInputEvent(event);
    if (m_nBufferedUsers > 0)
        m_Ring.Push(event);
}

void TInputManager::OnDriverEvent(TInput* input)
{
    if (m_pCapture)
    {
        m_pCapture->OnCaptureInput(input);
        return;
    }
    for (u32 i = 0; i < m_aDriver.GetCount(); ++i)
        m_aDriver[i]->OnCapture(0);
}

void TInputManager::SetCapture(TInputMethods* object)
{
    m_pCapture = object;
    for (u32 i = 0; i < m_aDriver.GetCount(); ++i)
        m_aDriver[i]->OnCapture(object != nullptr);
}

// Focus.

void TInputManager::RegisterInputFocus(TInputFocus* holder, u32 layer)
{
    CheckUnlocked("TInputManager::RegisterInputFocus");
    if (layer > INPUT_FOCUS_NO_LAYER)
        layer = INPUT_FOCUS_NO_LAYER;
    if (holder->nLayer == layer)
        return;
    if (layer < INPUT_FOCUS_LAYER_COUNT && m_aFocus[layer].GetCount() >= INPUT_FOCUS_LAYER_SIZE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TInputManager::RegisterInputFocus(): error: ", "layer %u is full (max %u)", layer,
                    INPUT_FOCUS_LAYER_SIZE);
        return;
    }
    if (holder->nLayer < INPUT_FOCUS_LAYER_COUNT)
        RemoveKeepingOrder(m_aFocus[holder->nLayer], holder);
    holder->nLayer = layer;
    if (layer < INPUT_FOCUS_LAYER_COUNT)
        m_aFocus[layer].Add(holder);
}

bool TInputManager::IsFocusTakenBefore(const TInputFocus* holder)
{
    const u32 group = holder->nGroup % INPUT_FOCUS_GROUP_COUNT;
    for (u32 layer = 0; layer < holder->nLayer && layer < INPUT_FOCUS_LAYER_COUNT; ++layer)
        for (u32 i = 0; i < m_aFocus[layer].GetCount(); ++i)
        {
            TInputFocus* other = m_aFocus[layer][i];
            if (other->nGroup % INPUT_FOCUS_GROUP_COUNT == group && other->WantsInput() && other->ConsumesInput())
                return true;
        }
    return false;
}

void TInputManager::UpdateFocus(f32 step)
{
    bool blocked[INPUT_FOCUS_GROUP_COUNT] = {};
    for (u32 layer = 0; layer < INPUT_FOCUS_LAYER_COUNT; ++layer)
        for (u32 i = 0; i < m_aFocus[layer].GetCount(); ++i)
        {
            TInputFocus* holder = m_aFocus[layer][i];
            const u32 group = holder->nGroup % INPUT_FOCUS_GROUP_COUNT;
            holder->nActive = blocked[group] ? 0 : 1;
            if (blocked[group] || !holder->WantsInput())
            {
                if (holder->nHasFocus)
                {
                    holder->nHasFocus = 0;
                    holder->OnFocusLost();
                }
                continue;
            }
            if (!holder->nHasFocus)
            {
                holder->nHasFocus = 1;
                if (holder->OnFocusGain())
                    continue;
            }
            holder->UpdateFocus(step);
            if (holder->ConsumesInput())
                blocked[group] = true;
        }
}

// Buffered input.

i32 TInputManager::BufferedInputEnable()
{
    if (m_nBufferedUsers++ == 0)
    {
        ResetDrivers();
        m_Ring.Clear();
        TLog::Print(g_pSystemLog, LOG_INFO,
                    "TInputManager::BufferedInputEnable(): ", "Buffered input enabled");
    }
    return m_nBufferedUsers;
}

i32 TInputManager::BufferedInputDisable()
{
    if (m_nBufferedUsers == 0)
        return 0;
    if (--m_nBufferedUsers == 0)
    {
        m_Ring.Clear();
        TLog::Print(g_pSystemLog, LOG_INFO,
                    "TInputManager::BufferedInputDisable(): ", "Buffered input disabled");
    }
    return m_nBufferedUsers;
}

TInputEvent TInputManager::GetBufferedInput()
{
    TInputEvent event = {};
    if (m_nBufferedUsers > 0)
        m_Ring.Pop(event);
    return event;
}

// Pointer and cursors.

void TInputManager::SetPointerPosition(f32 x, f32 y)
{
    m_PointerPosition = TVector(x, y, 0.0f, 1.0f);
    if (m_pActiveCursor && (m_pActiveCursor->nFlags & INPUT_CURSOR_FOLLOWS_POINTER))
        m_pActiveCursor->Position = m_PointerPosition;
}

TInputCursor* TInputManager::FindCursor(const TName& name) const
{
    for (i32 i = 0; i < m_aCursor.GetCount(); ++i)
        if (m_aCursor[i]->Name == name)
            return m_aCursor[i];
    return nullptr;
}

void TInputManager::SetActiveCursor(TInputCursor* cursor)
{
    m_pActiveCursor = cursor;
    if (cursor)
        cursor->nFlags |= INPUT_CURSOR_FOLLOWS_POINTER;
}

// The manager.

i32 TInputManager::InitializeManager()
{
    i32 result = 0;
    for (u32 i = 0; i < m_aDriver.GetCount(); ++i)
        result |= m_aDriver[i]->InitializeDriver();
    return result;
}

void TInputManager::FinalizeManager()
{
    for (u32 i = 0; i < m_aDriver.GetCount(); ++i)
        m_aDriver[i]->FinalizeDriver();
}

void TInputManager::BeginManager()
{
    g_pResourceManager->AddMethod(this);
    g_pCluster->AddListener(this);
    // A program without a device (tools, tests) has no device events.
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(this);
}

void TInputManager::UpdateManager(f32 step)
{
    for (u32 i = 0; i < m_aDriver.GetCount(); ++i)
        m_aDriver[i]->UpdateDriver();
    for (u32 i = 0; i < m_aMethod.GetCount(); ++i)
        m_aMethod[i]->OnInputTick();
    UpdateFocus(step);
    for (i32 i = 0; i < m_aCursor.GetCount(); ++i)
        m_aCursor[i]->Move();
}

void TInputManager::OnClusterUnload()
{
    for (u32 layer = 0; layer < INPUT_FOCUS_LAYER_COUNT; ++layer)
        for (u32 i = m_aFocus[layer].GetCount(); i-- > 0;)
        {
            TInputFocus* holder = m_aFocus[layer][i];
            if (!holder->KeepOnClusterUnload())
            {
                RemoveKeepingOrder(m_aFocus[layer], holder);
                holder->nLayer = INPUT_FOCUS_NO_LAYER;
            }
        }
    m_pActiveCursor = nullptr;
}

void TInputManager::OnRepositoryLoad(const char*)
{
    // A load after one that brought no actions keeps the table it has.
    if (m_aAction.GetCount() > 0)
        SaveBindings();
}

void TInputManager::OnClusterLoad()
{
    RestoreBindings();
}

// The data block: the action name set {count, {name id, place}...}.

i32 TInputManager::GetArray(u32 typeId, void*& data, i32& count)
{
    if (typeId != INPUT_ACTION_TYPE_ID)
        return 0;
    data = m_aAction.GetCount() ? m_aAction.GetItems() : nullptr;
    count = m_aAction.GetCount();
    return 0;
}

i32 TInputManager::SetArray(u32 typeId, void* data, i32 count)
{
    if (typeId != INPUT_ACTION_TYPE_ID)
        return 0;
    // The loaded actions stay in the image; their input words meant inputs of another run.
    m_aAction.DeleteAll();
    m_ActionNames._SetCount(0);
    if (count <= 0)
        return 0;
    m_aAction.AttachForeign(m_aLoadedAction.GetData(), count);
    for (i32 i = 0; i < count; ++i)
    {
        TInputAction* action = m_aAction[i];
        action->pPrimary = nullptr;
        action->pSecondary = nullptr;
        if (m_ActionNames.IsFull())
            continue;
        m_ActionNames.Insert({action->Name.GetId(), static_cast<u32>(i)});
    }
    return 0;
}

i32 TInputManager::GetDataCount()
{
    return 1;
}

i32 TInputManager::GetDataSize()
{
    return 4 + 8 * static_cast<i32>(m_ActionNames.GetCount());
}

i32 TInputManager::GetData(i32 index, void*& data, i32& size)
{
    data = &m_ActionNames;
    size = GetDataSize();
    return index == 0 ? 0 : 1;
}

i32 TInputManager::SetData(i32 index, const void* data, i32 size)
{
    const char* const prefix = "TInputManager::SetData(): error: ";
    if (index != 0 || size < 4)
        return 1;
    u32 count;
    std::memcpy(&count, data, 4);
    if (count > INPUT_ACTION_COUNT || static_cast<u32>(size) != 4 + 8 * count)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "damaged action name set (%u names in %d bytes)", count,
                    size);
        return 2;
    }
    // Every name must lead to a live action, in the set's order.
    SSet<TInputActionKey, INPUT_ACTION_COUNT, u32, 0> names;
    names._SetCount(count);
    std::memcpy(names.GetData(), static_cast<const u8*>(data) + 4, 8 * count);
    for (u32 i = 0; i < count; ++i)
        if (names[i].value >= static_cast<u32>(m_aAction.GetCount()) ||
            (i > 0 && static_cast<i32>(names[i - 1].key) >= static_cast<i32>(names[i].key)))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "action name set out of step with the actions");
            return 2;
        }
    m_ActionNames = names;
    return 0;
}
