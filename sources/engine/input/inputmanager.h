#pragma once
// TInputManager ("Input"): between the input drivers and the rest of the system. It keeps the
// inputs of the drivers by name, the named actions bound to them (and a binding table from
// which actions are bound again after a cluster load), eight layers of focus holders updated
// each frame, listeners of raw events, the capture of the next input, the buffered events for
// text entry, the pointer position and the cursors. Every input event triggers the command
// binds of its key, and every action publishes the name of its input as the environment value
// "action:<name>".
#include "core/cluster/clustermethods.h"
#include "core/math/vector.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputevent.h"
#include "engine/input/inputeventring.h"
#include "engine/input/inputfocus.h"
#include "engine/render/devicemethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

class TInput;
class TInputCursor;
class TInputDriver;
class TInputMethods;
class TStream;

constexpr u32 INPUT_ACTION_COUNT = 512;
constexpr u32 INPUT_INPUT_COUNT = 512;
constexpr u32 INPUT_ACTION_NAME_SIZE = 64;
constexpr u32 INPUT_ACTION_STEP = 1024;
constexpr u32 INPUT_DRIVER_COUNT = 16;
constexpr u32 INPUT_METHOD_COUNT = 16;
constexpr u32 INPUT_FOCUS_LAYER_SIZE = 32;
// The ray of GetPointerRay is this long.
constexpr f32 INPUT_POINTER_RAY_LENGTH = 1000.0f;

typedef TMapKey<u32, u32> TInputActionKey;
typedef TMapKey<u32, TInput*> TInputKeyEntry;

class TInputManager : public TManager, public TClusterMethods, public TResourceMethods, public TDeviceMethods
{
public:
    static TInputManager& Instance();

    // Actions. CreateAction returns the action of the name or creates it (bound from the
    // binding table when it names it); null when all 512 exist. Finding and creating are fatal
    // while the manager system is locked (before Initialize and after Finalize).
    TInputAction* CreateAction(const TName& name, u32 flags);
    TInputAction* FindAction(const TName& name);
    i32 FindActionIndex(const TName& name);
    u32 GetActionCount() const { return static_cast<u32>(m_aAction.GetCount()); }
    // In creation order.
    TInputAction* GetAction(u32 index) const { return m_aAction[static_cast<i32>(index)]; }
    // The action at a place of the name set; null out of range.
    TInputAction* GetActionAt(i32 index) const;
    // Binds the action (a lone second input becomes the primary) and publishes its input.
    void BindAction(TInputAction* action, TInput* primary, TInput* secondary);
    // Sets "action:<name>" of every action, or of one, to its input's display name.
    void UpdateActionEnvironment();
    void UpdateActionEnvironment(const TInputAction* action);

    // Inputs, registered by the drivers under their names.
    void RegisterInput(TInput* input);
    // Null, with a log line, when there is none.
    TInput* FindInput(const TName& name);
    i32 FindInputIndex(const TName& name);
    u32 GetInputCount() const { return m_Inputs.GetCount(); }
    // By place in the name set (sorted by name id); null out of range.
    TInput* GetInputAt(i32 index) const;

    void AddDriver(TInputDriver* driver);
    void RemoveDriver(TInputDriver* driver);
    void AddMethod(TInputMethods* listener);
    void RemoveMethod(TInputMethods* listener);

    // Events from the drivers.
    void OnInputEvent(const TInputEvent& event);
    // The input of a device event: to the capturing object, if any.
    void OnDriverEvent(TInput* input);
    // The object that takes the next input (null: none); every driver is told.
    void SetCapture(TInputMethods* object);
    TInputMethods* GetCapture() const { return m_pCapture; }

    // Moves a holder to layer 0-7, or out of its layer with INPUT_FOCUS_NO_LAYER.
    void RegisterInputFocus(TInputFocus* holder, u32 layer);
    // Whether a holder of an earlier layer and the same group wants input now: the typed keys are
    // its, not the holder's (a text box behind the open console).
    bool IsFocusTakenBefore(const TInputFocus* holder);

    // A counted switch; both return the new count.
    i32 BufferedInputEnable();
    i32 BufferedInputDisable();
    // The oldest buffered event, or an empty one.
    TInputEvent GetBufferedInput();
    // Someone takes typed text (an edit, a text box or the console has buffered input on).
    bool IsBufferedInputOn() const { return m_nBufferedUsers > 0; }
    // Buffered input is on and an event waits.
    bool HasBufferedInput() const { return m_nBufferedUsers > 0 && m_Ring.GetCount() > 0; }

    void SetPointerPosition(f32 x, f32 y);
    const TVector& GetPointerPosition() const { return m_PointerPosition; }
    TInputCursor* FindCursor(const TName& name) const;
    void SetActiveCursor(TInputCursor* cursor);
    TInputCursor* GetActiveCursor() const { return m_pActiveCursor; }
    // The one manager that draws the active cursor while it claims it (the cursor is drawn once a
    // frame, over what that manager draws); none: every manager that draws it may.
    void SetCursorDrawer(const void* drawer) { m_pCursorDrawer = drawer; }
    const void* GetCursorDrawer() const { return m_pCursorDrawer; }
    bool DrawsCursor(const void* drawer) const { return !m_pCursorDrawer || m_pCursorDrawer == drawer; }
    // The cluster's cursor list (the data writers add their cursors here).
    DArray<TInputCursor*>& Cursors() { return m_aCursor; }

    // The binding table: rebuilt from the live actions, and the live actions bound from it.
    void SaveBindings();
    void RestoreBindings();
    u32 GetBindingCount() const { return m_aBinding.GetCount(); }
    // One "action.bind" line per action that has inputs (the settings script).
    void WriteActions(TStream& stream) const;
    // Tells every driver to reset (device activation).
    void ResetDrivers();

    i32 InitializeManager() override;
    void FinalizeManager() override;
    void BeginManager() override;
    void UpdateManager(f32 step) override;
    void OnClusterUnload() override;
    void OnClusterLoad() override;
    // A repository load replaces the actions: their binds go into the binding table first, so
    // that the loaded actions of the same names are bound again.
    void OnRepositoryLoad(const char* name) override;
    // The drivers start again from a clean state.
    void OnDeviceActivate() override { ResetDrivers(); }

    // The cluster's array of stored type 23 is the live action list: saved from it, and
    // replaced by the loaded actions (unbound until the binding table binds them again).
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    // The data block: the action name set.
    i32 GetDataCount() override;
    i32 GetDataSize() override;
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

private:
    TInputManager();
    void CheckUnlocked(const char* function) const;
    void UpdateFocus(f32 step);
    void BindFromTable(TInputAction* action, u32 hint);

    SArray<TInputAction, INPUT_ACTION_COUNT, 0> m_aBinding;
    SArray<SString<INPUT_ACTION_NAME_SIZE>, INPUT_ACTION_COUNT, 1> m_aBindingName;
    MArray<TInputAction, 0, INPUT_ACTION_STEP> m_aAction;
    // The pointer table the cluster fills with loaded actions, which m_aAction then uses.
    DArray<TInputAction*> m_aLoadedAction;
    SSet<TInputActionKey, INPUT_ACTION_COUNT, u32, 0> m_ActionNames;
    SArray<TInputDriver*, INPUT_DRIVER_COUNT, 0> m_aDriver;
    SSet<TInputKeyEntry, INPUT_INPUT_COUNT, u32, 0> m_Inputs;
    SArray<TInputMethods*, INPUT_METHOD_COUNT, 0> m_aMethod;
    TInputMethods* m_pCapture;
    i32 m_nBufferedUsers;
    TInputEventRing m_Ring;
    SArray<TInputFocus*, INPUT_FOCUS_LAYER_SIZE, 0> m_aFocus[INPUT_FOCUS_LAYER_COUNT];
    TVector m_PointerPosition;
    DArray<TInputCursor*> m_aCursor;
    TInputCursor* m_pActiveCursor;
    const void* m_pCursorDrawer = nullptr;
};

extern TInputManager* g_pInputManager;
