// The DirectInput layer over fake controllers: enumeration, the joystick data format, ranges,
// acquisition and the cooperative levels.
#include "platform/dinput/dinput.h"
#include "platform/dinput/fakejoystick.h"
#include "platform/dinput/joysticklist.h"
#include "platform/window/winuser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

class DirectInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        void* created = nullptr;
        ASSERT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &created, nullptr), DI_OK);
        m_pInput = static_cast<IDirectInput8A*>(created);
    }

    void TearDown() override
    {
        for (IDirectInputDevice8A* device : m_aDevice)
            device->Release();
        for (const auto& fake : m_aFake)
            TJoystickList::Get().Detach(fake.get());
        m_pInput->Release();
        if (m_hWindow)
            DestroyWindow(m_hWindow);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
        }
    }

    TFakeJoystick& Attach(const char* name, int axes = 6, int hats = 1, int buttons = 12)
    {
        auto fake = std::make_shared<TFakeJoystick>(name, (std::string("fake/") + name).c_str(), axes, hats, buttons);
        m_aFake.push_back(fake);
        TJoystickList::Get().Attach(fake);
        return *fake;
    }

    IDirectInputDevice8A* Create(const char* name)
    {
        IDirectInputDevice8A* device = nullptr;
        EXPECT_EQ(m_pInput->CreateDevice(TJoystickList::MakeInstanceGuid(std::string("fake/") + name), &device,
                                         nullptr),
                  DI_OK);
        if (device)
            m_aDevice.push_back(device);
        return device;
    }

    // A device read through the extended joystick format, acquired without a window.
    IDirectInputDevice8A* Acquired(const char* name)
    {
        IDirectInputDevice8A* device = Create(name);
        EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick2), DI_OK);
        EXPECT_EQ(device->Acquire(), DI_OK);
        return device;
    }

    static DIJOYSTATE2 State(IDirectInputDevice8A* device)
    {
        DIJOYSTATE2 state;
        std::memset(&state, 0x5A, sizeof state);
        EXPECT_EQ(device->Poll(), DI_OK);
        EXPECT_EQ(device->GetDeviceState(sizeof state, &state), DI_OK);
        return state;
    }

    static DIPROPRANGE Range(DWORD object, DWORD how, LONG min, LONG max)
    {
        return {{sizeof(DIPROPRANGE), sizeof(DIPROPHEADER), object, how}, min, max};
    }

    // A shown window: it is the active one.
    HWND Window()
    {
        static const ATOM atom = [] {
            WNDCLASSEXW windowClass = {};
            windowClass.cbSize = sizeof(windowClass);
            windowClass.lpfnWndProc = Procedure;
            windowClass.lpszClassName = u"dinputtest";
            return RegisterClassExW(&windowClass);
        }();
        EXPECT_NE(atom, 0);
        m_hWindow = CreateWindowExW(0, u"dinputtest", u"dinput", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                    nullptr, nullptr, nullptr);
        ShowWindow(m_hWindow, SW_SHOW);
        return m_hWindow;
    }

    IDirectInput8A* m_pInput = nullptr;
    std::vector<std::shared_ptr<TFakeJoystick>> m_aFake;
    std::vector<IDirectInputDevice8A*> m_aDevice;
    HWND m_hWindow = nullptr;
};

std::vector<std::string> s_aListed;

BOOL ListDevice(const DIDEVICEINSTANCEA* instance, void* stopAfter)
{
    s_aListed.push_back(instance->tszInstanceName);
    EXPECT_EQ(instance->dwSize, sizeof(DIDEVICEINSTANCEA));
    EXPECT_TRUE(SameGuid(instance->guidInstance,
                         TJoystickList::MakeInstanceGuid(std::string("fake/") + instance->tszInstanceName)));
    return s_aListed.size() == reinterpret_cast<std::size_t>(stopAfter) ? DIENUM_STOP : DIENUM_CONTINUE;
}

std::vector<DIDEVICEOBJECTINSTANCEA> s_aObjects;

BOOL ListObject(const DIDEVICEOBJECTINSTANCEA* object, void*)
{
    s_aObjects.push_back(*object);
    return DIENUM_CONTINUE;
}
} // namespace

TEST_F(DirectInputTest, OnlyTheVersionEightAnsiInterfaceIsMade)
{
    void* created = reinterpret_cast<void*>(1);
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8A, &created, nullptr), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, GUID_XAxis, &created, nullptr), DIERR_NOINTERFACE);
}

TEST_F(DirectInputTest, EnumerationListsAttachedControllersUntilTheCallbackStops)
{
    s_aListed.clear();
    EXPECT_EQ(m_pInput->EnumDevices(DI8DEVCLASS_GAMECTRL, ListDevice, nullptr, DIEDFL_ATTACHEDONLY), DI_OK);
    EXPECT_TRUE(s_aListed.empty()) << "without a display no controller of the machine is listed";

    Attach("first");
    Attach("second").attached = false;
    Attach("third");
    m_pInput->EnumDevices(DI8DEVCLASS_GAMECTRL, ListDevice, nullptr, DIEDFL_ATTACHEDONLY);
    EXPECT_EQ(s_aListed, (std::vector<std::string>{"first", "third"}));
    EXPECT_EQ(TJoystickList::Get().Refresh().size(), 2u) << "an unplugged controller leaves the list";

    s_aListed.clear();
    m_pInput->EnumDevices(DI8DEVCLASS_ALL, ListDevice, reinterpret_cast<void*>(1), DIEDFL_ATTACHEDONLY);
    EXPECT_EQ(s_aListed, (std::vector<std::string>{"first"}));
    s_aListed.clear();
    m_pInput->EnumDevices(DI8DEVCLASS_KEYBOARD, ListDevice, nullptr, DIEDFL_ATTACHEDONLY);
    EXPECT_TRUE(s_aListed.empty());

    IDirectInputDevice8A* device = reinterpret_cast<IDirectInputDevice8A*>(1);
    EXPECT_EQ(m_pInput->CreateDevice(TJoystickList::MakeInstanceGuid("fake/second"), &device, nullptr),
              DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);
}

TEST_F(DirectInputTest, InstanceGuidsFollowTheControllerAndProductGuidsItsIds)
{
    EXPECT_TRUE(SameGuid(TJoystickList::MakeInstanceGuid("030000005e0400008e02000014010000/12ab"),
                         TJoystickList::MakeInstanceGuid("030000005e0400008e02000014010000/12ab")));
    EXPECT_FALSE(SameGuid(TJoystickList::MakeInstanceGuid("030000005e0400008e02000014010000/12ab"),
                          TJoystickList::MakeInstanceGuid("030000005e0400008e02000014010000/12ac")));

    TFakeJoystick& pad = Attach("pad");
    pad.description.vendor = 0x045E;
    pad.description.product = 0x028E;
    DIDEVICEINSTANCEA info = {};
    IDirectInputDevice8A* device = Create("pad");
    EXPECT_EQ(device->GetDeviceInfo(&info), DIERR_INVALIDPARAM) << "the record's size is checked";
    info.dwSize = sizeof info;
    ASSERT_EQ(device->GetDeviceInfo(&info), DI_OK);
    EXPECT_EQ(info.guidProduct.Data1, 0x028E045Eu);
    EXPECT_EQ(std::memcmp(info.guidProduct.Data4 + 2, "PIDVID", 6), 0);
    EXPECT_STREQ(info.tszProductName, "pad");
}

TEST_F(DirectInputTest, TheExtendedFormatCarriesAxesSlidersHatsAndButtons)
{
    TFakeJoystick& stick = Attach("stick", 7, 2, 20);
    IDirectInputDevice8A* device = Acquired("stick");
    device->Unacquire();
    DIPROPRANGE range = Range(0, DIPH_DEVICE, -10000, 10000);
    ASSERT_EQ(device->SetProperty(DIPROP_RANGE, &range.diph), DI_OK);
    ASSERT_EQ(device->Acquire(), DI_OK);
    stick.reading.axes = {100, -200, 300, -400, 500, -600, 10000};
    stick.reading.hats = {JOYSTICK_HAT_CENTRED, 9000};
    stick.reading.buttons[0] = stick.reading.buttons[19] = true;

    const DIJOYSTATE2 state = State(device);
    EXPECT_EQ(state.lX, 100);
    EXPECT_EQ(state.lRz, -600);
    EXPECT_EQ(state.rglSlider[0], 10000) << "a seventh axis is the first slider";
    EXPECT_EQ(state.rglSlider[1], 0);
    EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);
    EXPECT_EQ(state.rgdwPOV[1], 9000u);
    EXPECT_EQ(state.rgdwPOV[2], 0xFFFFFFFFu) << "a hat the controller lacks reads centred";
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[1], 0);
    EXPECT_EQ(state.rgbButtons[19], 0x80);
    EXPECT_EQ(state.rgbButtons[20], 0);
    EXPECT_EQ(state.lVX, 0);

    DIJOYSTATE2 shorter;
    EXPECT_EQ(device->GetDeviceState(sizeof shorter - 4, &shorter), DIERR_INVALIDPARAM);
}

TEST_F(DirectInputTest, AxesAreScaledFromTheControllersRangeToTheirOwn)
{
    TFakeJoystick& stick = Attach("stick");
    stick.description.axisMin = -32768;
    stick.description.axisMax = 32767;
    stick.reading.axes = {-32768, 32767, 0, 16384, 0, 0};
    IDirectInputDevice8A* device = Create("stick");
    ASSERT_EQ(device->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    DIPROPRANGE x = Range(DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(0), DIPH_BYID, -10000, 10000);
    ASSERT_EQ(device->SetProperty(DIPROP_RANGE, &x.diph), DI_OK);
    DIPROPRANGE z = Range(offsetof(DIJOYSTATE2, lZ), DIPH_BYOFFSET, -10000, 10000);
    ASSERT_EQ(device->SetProperty(DIPROP_RANGE, &z.diph), DI_OK);
    DIPROPRANGE read = Range(DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(2), DIPH_BYID, 0, 0);
    ASSERT_EQ(device->GetProperty(DIPROP_RANGE, &read.diph), DI_OK);
    EXPECT_EQ(read.lMin, -10000);
    EXPECT_EQ(read.lMax, 10000);

    ASSERT_EQ(device->Acquire(), DI_OK);
    const DIJOYSTATE2 state = State(device);
    EXPECT_EQ(state.lX, -10000);
    EXPECT_EQ(state.lY, 65535) << "the default range is 0 to 65535";
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.lRx, 49152);

    DIPROPRANGE wrong = Range(0, DIPH_DEVICE, 5, 5);
    device->Unacquire();
    EXPECT_EQ(device->SetProperty(DIPROP_RANGE, &wrong.diph), DIERR_INVALIDPARAM);
    DIPROPRANGE button = Range(DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(0), DIPH_BYID, -1, 1);
    EXPECT_EQ(device->SetProperty(DIPROP_RANGE, &button.diph), DIERR_UNSUPPORTED);
    DIPROPRANGE missing = Range(DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(9), DIPH_BYID, -1, 1);
    EXPECT_EQ(device->SetProperty(DIPROP_RANGE, &missing.diph), DIERR_OBJECTNOTFOUND);
    device->Acquire();
    EXPECT_EQ(device->SetProperty(DIPROP_RANGE, &x.diph), DIERR_ACQUIRED);
}

TEST_F(DirectInputTest, ObjectsAreListedWithTheirTypesAndFormatOffsets)
{
    TFakeJoystick& wheel = Attach("wheel", 3, 1, 2);
    wheel.description.forceFeedbackAxes = 0x1;
    IDirectInputDevice8A* device = Create("wheel");
    device->SetDataFormat(&c_dfDIJoystick2);
    s_aObjects.clear();
    ASSERT_EQ(device->EnumObjects(ListObject, nullptr, DIDFT_ALL), DI_OK);
    ASSERT_EQ(s_aObjects.size(), 6u);
    EXPECT_TRUE(SameGuid(s_aObjects[0].guidType, GUID_XAxis));
    EXPECT_NE(s_aObjects[0].dwFFForceResolution, 0u);
    EXPECT_TRUE(SameGuid(s_aObjects[2].guidType, GUID_ZAxis));
    EXPECT_EQ(s_aObjects[2].dwFFForceResolution, 0u);
    EXPECT_EQ(s_aObjects[2].dwOfs, offsetof(DIJOYSTATE2, lZ));
    EXPECT_TRUE(SameGuid(s_aObjects[3].guidType, GUID_POV));
    EXPECT_EQ(s_aObjects[3].dwOfs, offsetof(DIJOYSTATE2, rgdwPOV));
    EXPECT_EQ(s_aObjects[5].dwType, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(1));
    EXPECT_EQ(s_aObjects[5].dwOfs, offsetof(DIJOYSTATE2, rgbButtons) + 1);

    s_aObjects.clear();
    device->EnumObjects(ListObject, nullptr, DIDFT_BUTTON);
    EXPECT_EQ(s_aObjects.size(), 2u);
}

TEST_F(DirectInputTest, FormatsAreCheckedWhole)
{
    Attach("stick", 2, 0, 4);
    IDirectInputDevice8A* device = Create("stick");
    DIDATAFORMAT format = c_dfDIJoystick2;
    format.dwObjSize = 12;
    EXPECT_EQ(device->SetDataFormat(&format), DIERR_INVALIDPARAM);
    const DIOBJECTDATAFORMAT outside[] = {{&GUID_XAxis, 8, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0}};
    format = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 8, 1, outside};
    EXPECT_EQ(device->SetDataFormat(&format), DIERR_INVALIDPARAM) << "an axis past the record's end";
    const DIOBJECTDATAFORMAT required[] = {{&GUID_ZAxis, 0, DIDFT_AXIS | DIDFT_ANYINSTANCE, 0}};
    format = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), 0, 4, 1, required};
    EXPECT_EQ(device->SetDataFormat(&format), DIERR_INVALIDPARAM) << "a required axis the controller lacks";
    EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM) << "no format, no acquisition";
}

TEST_F(DirectInputTest, OnlyAnAcquiredDeviceIsReadAndAnUnpluggedOneIsLost)
{
    TFakeJoystick& stick = Attach("stick");
    IDirectInputDevice8A* device = Create("stick");
    DIJOYSTATE2 state;
    device->SetDataFormat(&c_dfDIJoystick2);
    EXPECT_EQ(device->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(device->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_NOEFFECT);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIJoystick2), DIERR_ACQUIRED);
    EXPECT_EQ(device->Poll(), DI_OK);

    stick.attached = false;
    EXPECT_EQ(device->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(device->Poll(), DIERR_NOTACQUIRED) << "a lost device is no longer acquired";
    EXPECT_EQ(device->Acquire(), DIERR_INPUTLOST);
    stick.attached = true;
    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->Unacquire(), DI_OK);
    EXPECT_EQ(device->Unacquire(), DI_NOEFFECT);
}

TEST_F(DirectInputTest, CooperativeLevelsDecideWhoMayAcquire)
{
    Attach("stick");
    IDirectInputDevice8A* first = Create("stick");
    IDirectInputDevice8A* second = Create("stick");
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_INVALIDPARAM)
        << "exclusive access needs a window";

    const HWND window = Window();
    for (IDirectInputDevice8A* device : {first, second})
    {
        ASSERT_EQ(device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        device->SetDataFormat(&c_dfDIJoystick2);
    }
    ASSERT_EQ(GetFocus(), window);
    EXPECT_EQ(first->Acquire(), DI_OK);
    EXPECT_EQ(second->Acquire(), DIERR_OTHERAPPHASPRIO);
    first->Unacquire();
    EXPECT_EQ(second->Acquire(), DI_OK);

    // Another window takes the focus: the foreground device is lost.
    SetFocus(nullptr);
    EXPECT_EQ(second->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(second->Acquire(), DIERR_OTHERAPPHASPRIO);
    SetFocus(window);
    EXPECT_EQ(second->Acquire(), DI_OK);
}
