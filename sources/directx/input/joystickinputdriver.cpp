#include "directx/input/joystickinputdriver.h"

#include "core/system/log.h"
#include "core/system/plugin.h"
#include "directx/input/joystickvariables.h"
#include "engine/input/inputmanager.h"
#include "engine/render/device.h"
#include "engine/system/command/commandmanager.h"

#include <cmath>
#include <cstring>

TJoystickInputDriver* g_pJoystickInputDriver = nullptr;

VESTAMOR_PLUGIN(TJoystickInputDriver, TInputDriver);

namespace
{
// The 40 inputs of a set; the fourth character becomes the set's digit.
const char* const s_aInputName[JOYSTICK_SET_SIZE] = {
    "Joy_Button1",      "Joy_Button2",       "Joy_Button3",        "Joy_Button4",       "Joy_Button5",
    "Joy_Button6",      "Joy_Button7",       "Joy_Button8",        "Joy_Button9",       "Joy_Button10",
    "Joy_Button11",     "Joy_Button12",      "Joy_Button13",       "Joy_Button14",      "Joy_Button15",
    "Joy_Button16",     "Joy_PosUp",         "Joy_PosDown",        "Joy_PosLeft",       "Joy_PosRight",
    "Joy_PosForward",   "Joy_PosBackward",   "Joy_RotateUp",       "Joy_RotateDown",    "Joy_RotateLeft",
    "Joy_RotateRight",  "Joy_RotateForward", "Joy_RotateBackward", "Joy_Slider0Up",     "Joy_Slider0Down",
    "Joy_Slider1Up",    "Joy_Slider1Down",   "Joy_Pov0Up",         "Joy_Pov0Down",      "Joy_Pov1Up",
    "Joy_Pov1Down",     "Joy_Pov2Up",        "Joy_Pov2Down",       "Joy_Pov3Up",        "Joy_Pov3Down",
};

enum : u32
{
    POS_UP = 16,
    POS_DOWN,
    POS_LEFT,
    POS_RIGHT,
    POS_FORWARD,
    POS_BACKWARD,
    ROTATE_UP,
    ROTATE_DOWN,
    ROTATE_LEFT,
    ROTATE_RIGHT,
    ROTATE_FORWARD,
    ROTATE_BACKWARD,
    SLIDER0_UP,
    SLIDER0_DOWN,
    SLIDER1_UP,
    SLIDER1_DOWN,
    POV0_UP,
    POV0_DOWN,
};

// The inputs each of the 12 values feeds: above 0 and below 0.
struct TValueInputs
{
    u32 nPositive;
    u32 nNegative;
};
const TValueInputs s_aValueInput[JOYSTICK_VALUE_COUNT] = {
    {POS_RIGHT, POS_LEFT},           {POS_DOWN, POS_UP},           {POS_FORWARD, POS_BACKWARD},
    {ROTATE_RIGHT, ROTATE_LEFT},     {ROTATE_UP, ROTATE_DOWN},     {ROTATE_FORWARD, ROTATE_BACKWARD},
    {SLIDER0_UP, SLIDER0_DOWN},      {SLIDER1_UP, SLIDER1_DOWN},   {POV0_UP, POV0_DOWN},
    {POV0_UP + 2, POV0_DOWN + 2},    {POV0_UP + 4, POV0_DOWN + 4}, {POV0_UP + 6, POV0_DOWN + 6},
};

// The input pairs an axis object of each type marks present.
struct TAxisPresence
{
    const GUID* pType;
    u32 aInput[4];
    u32 nCount;
};
const TAxisPresence s_aAxisPresence[] = {
    {&GUID_XAxis, {POS_LEFT, POS_RIGHT}, 2},
    {&GUID_YAxis, {POS_UP, POS_DOWN}, 2},
    {&GUID_ZAxis, {POS_FORWARD, POS_BACKWARD}, 2},
    {&GUID_RxAxis, {ROTATE_LEFT, ROTATE_RIGHT}, 2},
    {&GUID_RyAxis, {ROTATE_UP, ROTATE_DOWN}, 2},
    {&GUID_RzAxis, {ROTATE_FORWARD, ROTATE_BACKWARD}, 2},
    {&GUID_Slider, {SLIDER0_UP, SLIDER0_DOWN, SLIDER1_UP, SLIDER1_DOWN}, 4},
};

constexpr DWORD kHatCentred = 0xFFFFFFFFu;
// A hat angle within a quarter turn of up feeds its up input, of down its down input.
constexpr DWORD kQuarterTurn = 9000;
constexpr DWORD kHalfTurn = 18000;

const TName& DriverName()
{
    static const TName s_Name("Windows joystick input driver", true);
    return s_Name;
}

// What the object enumeration of one joystick needs.
struct TObjectContext
{
    TJoystick* pJoystick;
    u32 nHats;
};

BOOL MarkObject(const DIDEVICEOBJECTINSTANCEA* object, void* context)
{
    auto& enumeration = *static_cast<TObjectContext*>(context);
    TJoystick& joystick = *enumeration.pJoystick;
    const u8 presence = object->dwFFForceResolution ? JOYSTICK_FORCE_FEEDBACK : JOYSTICK_PRESENT;
    if (object->dwType & (DIDFT_RELAXIS | DIDFT_ABSAXIS))
    {
        DIPROPRANGE range = {{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), object->dwType, DIPH_BYID},
                             -JOYSTICK_RANGE,
                             JOYSTICK_RANGE};
        joystick.pDevice->SetProperty(DIPROP_RANGE, &range.diph);
        for (const TAxisPresence& axis : s_aAxisPresence)
            if (std::memcmp(axis.pType, &object->guidType, sizeof(GUID)) == 0)
                for (u32 i = 0; i < axis.nCount; ++i)
                    joystick.aPresence[axis.aInput[i]] = presence;
    }
    else if ((object->dwType & DIDFT_POV) && enumeration.nHats < JOYSTICK_VALUE_COUNT - JOYSTICK_FIRST_HAT)
    {
        // Hats fill the format's hat words in their order.
        const u32 up = POV0_UP + 2 * enumeration.nHats++;
        joystick.aPresence[up] = joystick.aPresence[up + 1] = presence;
    }
    return DIENUM_CONTINUE;
}
} // namespace

const TName* TJoystickInput::GetDriverName()
{
    return &DriverName();
}

u32* TJoystickInput::GetFlags()
{
    static u32 s_nFlags = 0;
    s_nFlags = 0;
    return &s_nFlags;
}

TJoystickInputDriver::TJoystickInputDriver()
    : m_pDirectInput(nullptr), m_fDeadZone(JOYSTICK_DEFAULT_THRESHOLD),
      m_fAcceleration(JOYSTICK_DEFAULT_ACCELERATION), m_fSensitivity(JOYSTICK_DEFAULT_SENSITIVITY), m_aLink(),
      m_aValue(), m_nCalibrate(0), m_aCalibration(), m_nLastCapture(0), m_aCaptureReference()
{
    g_pJoystickInputDriver = this;
    m_aInput.SetCount(JOYSTICK_INPUT_COUNT);
    TInputManager& manager = TInputManager::Instance();
    char name[32];
    for (u32 k = 0; k < JOYSTICK_SET_SIZE; ++k)
        for (u32 set = 0; set < JOYSTICK_COUNT; ++set)
        {
            std::snprintf(name, sizeof name, "%s", s_aInputName[k]);
            name[3] = static_cast<char>('0' + set);
            TJoystickInput& input = GetInput(set, k);
            input.Name.Set(name, true);
            manager.RegisterInput(&input);
        }
}

const TName* TJoystickInputDriver::GetDescription()
{
    return &DriverName();
}

// Enumeration.

i32 TJoystickInputDriver::InitializeDriver()
{
    if (!m_pDirectInput)
    {
        void* created = nullptr;
        if (FAILED(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &created, nullptr)))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TJoystickInputDriver::InitializeDriver(): error: ",
                        "unable to create direct input device");
            return 1;
        }
        m_pDirectInput = static_cast<IDirectInput8A*>(created);
    }
    ReleaseJoysticks();
    m_pDirectInput->EnumDevices(DI8DEVCLASS_GAMECTRL, EnumJoysticksCallback, this, DIEDFL_ATTACHEDONLY);
    return 0;
}

void TJoystickInputDriver::FinalizeDriver()
{
    ReleaseJoysticks();
    if (m_pDirectInput)
        m_pDirectInput->Release();
    m_pDirectInput = nullptr;
}

void TJoystickInputDriver::ReleaseJoysticks()
{
    for (u32 j = 0; j < m_aJoystick.GetCount(); ++j)
        if (IDirectInputDevice8A* device = m_aJoystick[j].pDevice)
        {
            device->Unacquire();
            device->Release();
            m_aJoystick[j].pDevice = nullptr;
        }
    m_aJoystick.SetCount(0);
}

BOOL TJoystickInputDriver::EnumJoysticksCallback(const DIDEVICEINSTANCEA* instance, void* driver)
{
    return static_cast<TJoystickInputDriver*>(driver)->AddJoystick(*instance);
}

BOOL TJoystickInputDriver::AddJoystick(const DIDEVICEINSTANCEA& instance)
{
    // The table holds four controllers: the rest are left unread.
    if (m_aJoystick.GetCount() == JOYSTICK_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "EnumJoysticksCallback(): error: ",
                    "too many joysticks (only %d supported)", JOYSTICK_COUNT);
        return DIENUM_STOP;
    }
    m_aJoystick.SetCount(m_aJoystick.GetCount() + 1);
    TJoystick& joystick = m_aJoystick[m_aJoystick.GetCount() - 1];
    joystick = TJoystick();
    m_pDirectInput->CreateDevice(instance.guidInstance, &joystick.pDevice, nullptr);
    if (!joystick.pDevice)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "EnumJoysticksCallback(): error: ", "unable to create joystick");
        m_aJoystick.SetCount(m_aJoystick.GetCount() - 1);
        return DIENUM_CONTINUE;
    }
    DIDEVICEINSTANCEA info = {};
    info.dwSize = sizeof info;
    joystick.pDevice->GetDeviceInfo(&info);
    joystick.InstanceName = info.tszInstanceName;
    joystick.ProductName = info.tszProductName;
    joystick.nDeviceId = CalculateCrc32(&info.guidInstance, sizeof(GUID), 0);
    joystick.ProductGuid = info.guidProduct;
    joystick.nSet = FindLinkIndex(joystick.nDeviceId);

    joystick.pDevice->SetDataFormat(&c_dfDIJoystick2);
    joystick.pDevice->SetCooperativeLevel(g_pDeviceManager->GetWindowHandle(), DISCL_EXCLUSIVE | DISCL_FOREGROUND);
    TObjectContext context = {&joystick, 0};
    joystick.pDevice->EnumObjects(MarkObject, &context, DIDFT_ALL);
    return DIENUM_CONTINUE;
}

// Links.

TJoystick* TJoystickInputDriver::FindJoystick(u32 id)
{
    for (u32 j = 0; j < m_aJoystick.GetCount(); ++j)
        if (m_aJoystick[j].nDeviceId == id)
            return &m_aJoystick[j];
    return nullptr;
}

void TJoystickInputDriver::LinkDeviceId(i32 index, u32 id, u32 move)
{
    if (index < 0 || index >= static_cast<i32>(JOYSTICK_COUNT))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TJoystickInputDriver::LinkDeviceId(): error: ",
                    "invalid link index %d (only %d devices supported)", index, JOYSTICK_COUNT);
        return;
    }
    JoystickDeviceVariable(static_cast<u32>(index)).StoreChanged(static_cast<i32>(id));
    if (move)
        MoveJoystick(id, index);
    m_aLink[index] = id;
}

void TJoystickInputDriver::MoveJoystick(u32 id, i32 index)
{
    TJoystick* joystick = FindJoystick(id);
    if (!joystick)
        return;
    // The old set's entry is freed only while it still names this id: in a swap it already
    // names the other controller.
    if (joystick->nSet >= 0 && joystick->nSet < static_cast<i32>(JOYSTICK_COUNT) && m_aLink[joystick->nSet] == id)
        m_aLink[joystick->nSet] = 0;
    joystick->nSet = index;
}

i32 TJoystickInputDriver::FindLinkIndex(u32 id)
{
    for (u32 set = 0; set < JOYSTICK_COUNT; ++set)
        if (m_aLink[set] == id)
            return static_cast<i32>(set);
    for (u32 set = 0; set < JOYSTICK_COUNT; ++set)
        if (m_aLink[set] == 0)
        {
            LinkDeviceId(static_cast<i32>(set), id, 0);
            return static_cast<i32>(set);
        }
    const u32 last = JOYSTICK_COUNT - 1;
    m_aLink[last] = id;
    JoystickDeviceVariable(last).StoreChanged(static_cast<i32>(id));
    return static_cast<i32>(last);
}

void TJoystickInputDriver::OnDeviceVariable(i32 index, i32 id)
{
    MoveJoystick(static_cast<u32>(id), index);
    m_aLink[index] = static_cast<u32>(id);
}

// The frame.

f32 TJoystickInputDriver::Curve(LONG raw) const
{
    const f32 v = static_cast<f32>(raw) * JOYSTICK_AXIS_SCALE;
    if (std::fabs(v) < m_fDeadZone)
        return 0.0f;
    return std::copysign(std::pow(std::fabs(v), m_fAcceleration), v) * m_fSensitivity;
}

void TJoystickInputDriver::ReadValues(const DIJOYSTATE2& state, const TJoystick& joystick, f32* values) const
{
    const LONG axes[JOYSTICK_FIRST_HAT] = {state.lX,  state.lY,  state.lZ,         state.lRx,
                                           state.lRy, state.lRz, state.rglSlider[0], state.rglSlider[1]};
    for (u32 k = 0; k < JOYSTICK_VALUE_COUNT; ++k)
    {
        const TValueInputs& inputs = s_aValueInput[k];
        if (!joystick.aPresence[inputs.nPositive < inputs.nNegative ? inputs.nPositive : inputs.nNegative])
            values[k] = 0.0f;
        else if (k < JOYSTICK_FIRST_HAT)
            values[k] = Curve(axes[k]);
        else
        {
            const DWORD angle = state.rgdwPOV[k - JOYSTICK_FIRST_HAT];
            if (angle == kHatCentred || (angle % kHalfTurn) == kQuarterTurn)
                values[k] = 0.0f;
            else
                values[k] = (angle % 36000 > kQuarterTurn && angle % 36000 < 3 * kQuarterTurn) ? -1.0f : 1.0f;
        }
    }
}

void TJoystickInputDriver::UpdateDriver()
{
    for (u32 j = 0; j < m_aJoystick.GetCount(); ++j)
    {
        TJoystick& joystick = m_aJoystick[j];
        if (!joystick.pDevice)
            continue;
        const HRESULT polled = joystick.pDevice->Poll();
        if (joystick.nSet < 0 || joystick.nSet >= static_cast<i32>(JOYSTICK_COUNT))
            continue;
        // One attempt per frame: a device that stays lost must not hold the frame.
        if (FAILED(polled))
        {
            joystick.pDevice->Acquire();
            continue;
        }
        DIJOYSTATE2 state;
        if (FAILED(joystick.pDevice->GetDeviceState(sizeof state, &state)))
            continue;

        const u32 set = static_cast<u32>(joystick.nSet);
        for (u32 b = 0; b < JOYSTICK_BUTTON_COUNT; ++b)
            GetInput(set, b).Set(state.rgbButtons[b] ? 1.0f : 0.0f);

        f32* values = m_aValue[j];
        ReadValues(state, joystick, values);
        for (u32 k = 0; k < JOYSTICK_VALUE_COUNT; ++k)
        {
            if (m_nCalibrate)
                m_aCalibration[j][k] = values[k];
            else
                values[k] -= m_aCalibration[j][k];
            const f32 value = values[k];
            GetInput(set, s_aValueInput[k].nPositive).Set(value >= 0.0f ? value : 0.0f);
            GetInput(set, s_aValueInput[k].nNegative).Set(value <= 0.0f ? -value : 0.0f);
        }
        if (m_nCapture)
            Capture(j, state);
    }
    m_nCalibrate = 0;
    m_nLastCapture = m_nCapture;
}

void TJoystickInputDriver::Capture(u32 j, const DIJOYSTATE2& state)
{
    TInputManager& manager = TInputManager::Instance();
    const u32 set = static_cast<u32>(m_aJoystick[j].nSet);
    if (!m_nLastCapture)
        std::memcpy(m_aCaptureReference[j], m_aValue[j], sizeof m_aValue[j]);
    for (u32 b = 0; b < JOYSTICK_BUTTON_COUNT; ++b)
        if (state.rgbButtons[b])
            manager.OnDriverEvent(&GetInput(set, b));
    for (u32 k = 0; k < JOYSTICK_VALUE_COUNT; ++k)
    {
        const f32 moved = m_aValue[j][k] - m_aCaptureReference[j][k];
        if (moved > JOYSTICK_CAPTURE_DISTANCE)
            manager.OnDriverEvent(&GetInput(set, s_aValueInput[k].nPositive));
        else if (moved < -JOYSTICK_CAPTURE_DISTANCE)
            manager.OnDriverEvent(&GetInput(set, s_aValueInput[k].nNegative));
    }
}

// Commands.

void TJoystickInputDriver::Calibrate()
{
    m_nCalibrate = 1;
    std::memset(m_aCalibration, 0, sizeof m_aCalibration);
}

void TJoystickInputDriver::Swap(i32 first, i32 second)
{
    TCommandManager& console = TCommandManager::Instance();
    const i32 count = static_cast<i32>(m_aJoystick.GetCount());
    if (first < 1 || first > count)
    {
        console.PrintError("invalid joystick 1 index %d (only %d joystick(s))", first, count);
        return;
    }
    if (second < 1 || second > count)
    {
        console.PrintError("invalid joystick 2 index %d (only %d joystick(s))", second, count);
        return;
    }
    const TJoystick& a = m_aJoystick[static_cast<u32>(first - 1)];
    const TJoystick& b = m_aJoystick[static_cast<u32>(second - 1)];
    const i32 setOfB = b.nSet;
    LinkDeviceId(a.nSet, b.nDeviceId, 1);
    LinkDeviceId(setOfB, a.nDeviceId, 1);
}

void TJoystickInputDriver::List()
{
    TCommandManager& console = TCommandManager::Instance();
    const u32 count = m_aJoystick.GetCount();
    for (u32 j = 0; j < count; ++j)
    {
        const TJoystick& joystick = m_aJoystick[j];
        const GUID& product = joystick.ProductGuid;
        console.Print("Joystick %d/%d", j + 1, count);
        console.Print("   name|200%s", joystick.InstanceName.GetText());
        console.Print("   product name|200%s", joystick.ProductName.GetText());
        console.Print("   instance id|200%08x", joystick.nDeviceId);
        console.Print("   product id|200%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", product.Data1, product.Data2,
                      product.Data3, product.Data4[0], product.Data4[1], product.Data4[2], product.Data4[3],
                      product.Data4[4], product.Data4[5], product.Data4[6], product.Data4[7]);
        console.Print("   input index|200%d", joystick.nSet);
        if (joystick.nSet < 0 || joystick.nSet >= static_cast<i32>(JOYSTICK_COUNT))
            continue;
        for (u32 k = 0; k < JOYSTICK_SET_SIZE; ++k)
            if (joystick.aPresence[k])
                console.Print("      %s|300%s", GetInput(static_cast<u32>(joystick.nSet), k).Name.GetText(),
                              joystick.aPresence[k] == JOYSTICK_FORCE_FEEDBACK ? "(ForceFeadback)" : "");
    }
}
