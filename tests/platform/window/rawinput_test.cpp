// SDL events, synthesised, through the translator: raw-input records and messages as the
// raw-input driver and the window procedure read them.
#include "platform/window/sdleventtranslator.h"
#include "windowfixture.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace
{
class RawInputTest : public WindowFixture
{
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        // Shown first, the window is the active one and has the keyboard focus.
        ShowWindow(window_, SW_SHOW);
        ValidateRect(window_, nullptr);
    }

    // An SDL event of `type`, filled in by `fill`, through the translator.
    template <class TFill> void Send(Uint32 type, TFill fill)
    {
        SDL_Event event = {};
        event.type = type;
        fill(event);
        translator_.Translate(event, window_);
    }

    void Key(SDL_Scancode scancode, bool down, SDL_Keycode sym = SDLK_UNKNOWN)
    {
        Send(down ? SDL_KEYDOWN : SDL_KEYUP, [&](SDL_Event& e) {
            e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym = {scancode, sym, 0, 0};
        });
    }

    void Motion(int x, int y, int dx, int dy)
    {
        Send(SDL_MOUSEMOTION, [&](SDL_Event& e) { e.motion.x = x, e.motion.y = y, e.motion.xrel = dx, e.motion.yrel = dy; });
    }

    void WindowEvent(SDL_WindowEventID id, int data1 = 0, int data2 = 0)
    {
        Send(SDL_WINDOWEVENT, [&](SDL_Event& e) { e.window.event = id, e.window.data1 = data1, e.window.data2 = data2; });
    }

    // Reads a WM_INPUT record the way the raw-input driver does: the size, then the record.
    static RAWINPUT Read(const MSG& message)
    {
        EXPECT_EQ(message.message, WM_INPUT);
        const HRAWINPUT handle = reinterpret_cast<HRAWINPUT>(message.lParam);
        UINT size = 0;
        EXPECT_EQ(GetRawInputData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)), 0u);
        RAWINPUT record = {};
        EXPECT_EQ(GetRawInputData(handle, RID_INPUT, &record, &size, sizeof(RAWINPUTHEADER)), size);
        EXPECT_EQ(record.header.dwSize, size);
        return record;
    }

    // Each keyboard record as "raw" make code, flags, virtual key and message; each mouse record
    // as "raw" flags, button flags and data, motion; each other message as message, wParam and
    // lParam.
    std::vector<std::string> Trace()
    {
        std::vector<std::string> lines;
        for (const MSG& message : Drain())
        {
            char line[64];
            if (message.message != WM_INPUT)
                std::snprintf(line, sizeof line, "%04X %02X %08X", message.message, unsigned(message.wParam),
                              unsigned(message.lParam));
            else if (const RAWINPUT record = Read(message); record.header.dwType == RIM_TYPEKEYBOARD)
            {
                EXPECT_EQ(record.header.dwSize, 32u);
                const RAWKEYBOARD& k = record.data.keyboard;
                std::snprintf(line, sizeof line, "raw %02X %X %02X %04X", k.MakeCode, k.Flags, k.VKey, k.Message);
            }
            else
            {
                EXPECT_EQ(record.header.dwType, RIM_TYPEMOUSE);
                EXPECT_EQ(record.header.dwSize, 40u);
                const RAWMOUSE& m = record.data.mouse;
                std::snprintf(line, sizeof line, "raw %X %X %d %d %d", m.usFlags, m.usButtonFlags,
                              short(m.usButtonData), int(m.lLastX), int(m.lLastY));
            }
            EXPECT_TRUE(message.message != WM_INPUT || message.wParam == RIM_INPUT);
            lines.push_back(line);
        }
        return lines;
    }

    TSdlEventTranslator translator_;
};

TEST_F(RawInputTest, KeysBecomeRecordsThenKeyMessages)
{
    struct TKey
    {
        SDL_Scancode scancode;
        bool down;
        SDL_Keycode sym = SDLK_UNKNOWN;
    };
    const struct
    {
        const char* name;
        std::vector<TKey> keys;
        std::vector<std::string> trace;
    } cases[] = {
        {"press, repeat, release", {{SDL_SCANCODE_A, true}, {SDL_SCANCODE_A, true}, {SDL_SCANCODE_A, false}},
         {"raw 1E 0 41 0100", "0100 41 001E0001", "raw 1E 0 41 0100", "0100 41 401E0001", "raw 1E 1 41 0101",
          "0101 41 C01E0001"}},
        {"extended keys: E0 and bit 24; Enter also types a carriage return",
         {{SDL_SCANCODE_RIGHT, true}, {SDL_SCANCODE_KP_ENTER, true}, {SDL_SCANCODE_RETURN, true}},
         {"raw 4D 2 27 0100", "0100 27 014D0001", "raw 1C 2 0D 0100", "0100 0D 011C0001", "0102 0D 011C0001",
          "raw 1C 0 0D 0100", "0100 0D 001C0001", "0102 0D 001C0001"}},
        {"Pause and Print Screen send their PC sequences",
         {{SDL_SCANCODE_PAUSE, true}, {SDL_SCANCODE_PRINTSCREEN, true}, {SDL_SCANCODE_PRINTSCREEN, false}},
         {"raw 1D 4 13 0100", "raw 45 0 FF 0100", "0100 13 00450001", "raw 2A 2 FF 0100", "raw 37 2 2C 0100",
          "0100 2C 01370001", "raw 37 3 2C 0101", "raw 2A 3 FF 0101", "0101 2C C1370001"}},
        {"AltGr is the left Ctrl with the right Alt, not a system key",
         {{SDL_SCANCODE_RALT, true, SDLK_MODE}, {SDL_SCANCODE_Q, true}, {SDL_SCANCODE_RALT, false, SDLK_MODE}},
         {"raw 1D 0 11 0100", "0100 11 001D0001", "raw 38 2 12 0100", "0100 12 01380001", "raw 10 0 51 0100",
          "0100 51 00100001", "raw 38 3 12 0101", "0101 12 C1380001", "raw 1D 1 11 0101", "0101 11 C01D0001"}},
        {"Ctrl with Alt is not a system key; F10 alone is; Alt's own press has the context bit",
         {{SDL_SCANCODE_LALT, true}, {SDL_SCANCODE_F4, true}, {SDL_SCANCODE_LCTRL, true}, {SDL_SCANCODE_W, true},
          {SDL_SCANCODE_LCTRL, false}, {SDL_SCANCODE_LALT, false}, {SDL_SCANCODE_F10, true}},
         {"raw 38 0 12 0104", "0104 12 20380001", "raw 3E 0 73 0104", "0104 73 203E0001", "raw 1D 0 11 0100",
          "0100 11 001D0001", "raw 11 0 57 0100", "0100 57 00110001", "raw 1D 1 11 0105", "0105 11 E01D0001",
          "raw 38 1 12 0105", "0105 12 E0380001", "raw 44 0 79 0104", "0104 79 00440001"}},
        {"control keys type control characters, a plain C only through text input",
         {{SDL_SCANCODE_BACKSPACE, true}, {SDL_SCANCODE_LCTRL, true}, {SDL_SCANCODE_C, true},
          {SDL_SCANCODE_LCTRL, false}, {SDL_SCANCODE_C, true}},
         {"raw 0E 0 08 0100", "0100 08 000E0001", "0102 08 000E0001", "raw 1D 0 11 0100", "0100 11 001D0001",
          "raw 2E 0 43 0100", "0100 43 002E0001", "0102 03 002E0001", "raw 1D 1 11 0101", "0101 11 C01D0001",
          "raw 2E 0 43 0100", "0100 43 402E0001"}},
        {"a right Alt that is plain Alt sends no Ctrl", {{SDL_SCANCODE_RALT, true}}, {"raw 38 2 12 0104", "0104 12 21380001"}},
    };
    RegisterRawInput(0);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (const TKey& key : c.keys)
            Key(key.scancode, key.down, key.sym);
        EXPECT_EQ(Trace(), c.trace);
    }
}

TEST_F(RawInputTest, TextBecomesUtf16CharactersWithTheKeyParameter)
{
    Key(SDL_SCANCODE_E, true);
    // e acute, euro sign, a face outside the BMP; then a broken sequence
    for (const char* text : {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xFF"})
        Send(SDL_TEXTINPUT, [&](SDL_Event& e) { std::strncpy(e.text.text, text, sizeof(e.text.text) - 1); });
    const std::vector<MSG> messages = Drain();
    ASSERT_EQ(messages.size(), 6u);
    const WPARAM expected[] = {0xE9, 0x20AC, 0xD83D, 0xDE00, 0xFFFD};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(messages[1 + i].message, WM_CHAR);
        EXPECT_EQ(messages[1 + i].wParam, expected[i]);
        EXPECT_EQ(messages[1 + i].lParam, messages[0].lParam);
    }
}

TEST_F(RawInputTest, MouseEventsBecomeRecordsThenMouseMessages)
{
    const auto button = [&](Uint8 which) {
        for (bool down : {true, false})
            Send(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP,
                 [&](SDL_Event& e) { e.button.button = which, e.button.x = 10, e.button.y = 20; });
    };
    const auto wheel = [&](int notches, SDL_MouseWheelDirection direction) {
        Send(SDL_MOUSEWHEEL, [&](SDL_Event& e) { e.wheel.y = notches, e.wheel.direction = direction; });
    };
    const struct
    {
        const char* name;
        std::function<void()> send;
        std::vector<std::string> trace;
    } cases[] = {
        {"motion is relative, its message signed", [&] { Motion(-5, 30, -7, 12); }, {"raw 0 0 0 -7 12", "0200 00 001EFFFB"}},
        {"left button", [&] { button(SDL_BUTTON_LEFT); },
         {"raw 0 1 0 0 0", "0201 01 0014000A", "raw 0 2 0 0 0", "0202 00 0014000A"}},
        {"right button", [&] { button(SDL_BUTTON_RIGHT); },
         {"raw 0 4 0 0 0", "0204 02 0014000A", "raw 0 8 0 0 0", "0205 00 0014000A"}},
        {"middle button", [&] { button(SDL_BUTTON_MIDDLE); },
         {"raw 0 10 0 0 0", "0207 10 0014000A", "raw 0 20 0 0 0", "0208 00 0014000A"}},
        {"first side button", [&] { button(SDL_BUTTON_X1); },
         {"raw 0 40 0 0 0", "020B 10020 0014000A", "raw 0 80 0 0 0", "020C 10000 0014000A"}},
        {"second side button", [&] { button(SDL_BUTTON_X2); },
         {"raw 0 100 0 0 0", "020B 20040 0014000A", "raw 0 200 0 0 0", "020C 20000 0014000A"}},
        {"wheel notches are wheel deltas, flipped ones turned round; no motion, no message",
         [&] {
             wheel(1, SDL_MOUSEWHEEL_NORMAL);
             wheel(2, SDL_MOUSEWHEEL_FLIPPED);
             wheel(0, SDL_MOUSEWHEEL_NORMAL);
         },
         {"raw 0 400 120 0 0", "020A 780000 00650044", "raw 0 400 -240 0 0", "020A FF100000 00650044"}},
    };
    RegisterRawInput(0);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        c.send();
        EXPECT_EQ(Trace(), c.trace);
    }
}

TEST_F(RawInputTest, BackgroundInputNeedsTheInputSink)
{
    const RAWINPUTDEVICE mouse = {1, 2, 0, window_};
    const RAWINPUTDEVICE keyboard = {1, 6, RIDEV_INPUTSINK | RIDEV_NOHOTKEYS, window_};
    ASSERT_TRUE(RegisterRawInputDevices(&mouse, 1, sizeof(RAWINPUTDEVICE)));
    ASSERT_TRUE(RegisterRawInputDevices(&keyboard, 1, sizeof(RAWINPUTDEVICE)));
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Drain();
    EXPECT_EQ(GetFocus(), nullptr);

    Motion(1, 1, 1, 1);
    Key(SDL_SCANCODE_A, false);
    const std::vector<MSG> messages = Drain();
    ASSERT_EQ(messages.size(), 2u)
        << "the mouse motion of the background is dropped; no focus, no key message";
    EXPECT_EQ(messages[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(messages[1].message, WM_INPUT);
    EXPECT_EQ(messages[1].wParam, RIM_INPUTSINK);
    EXPECT_EQ(Read(messages[1]).header.wParam, RIM_INPUTSINK);
}

TEST_F(RawInputTest, RegistrationIsCheckedAsAWhole)
{
    const RAWINPUTDEVICE sinkWithoutWindow[] = {{1, 2, 0, window_}, {1, 6, RIDEV_INPUTSINK, nullptr}};
    EXPECT_FALSE(RegisterRawInputDevices(sinkWithoutWindow, 2, sizeof(RAWINPUTDEVICE)));
    Key(SDL_SCANCODE_A, true);
    Motion(0, 0, 1, 1);
    for (const MSG& message : Drain())
        EXPECT_NE(message.message, WM_INPUT) << "nothing of a refused call is registered";

    const RAWINPUTDEVICE good = {1, 2, 0, window_};
    EXPECT_FALSE(RegisterRawInputDevices(&good, 1, sizeof(RAWINPUTDEVICE) + 4));
    EXPECT_FALSE(RegisterRawInputDevices(nullptr, 1, sizeof(RAWINPUTDEVICE)));
    const RAWINPUTDEVICE unknownWindow = {1, 2, 0, reinterpret_cast<HWND>(0x1234)};
    EXPECT_FALSE(RegisterRawInputDevices(&unknownWindow, 1, sizeof(RAWINPUTDEVICE)));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << "a refusal leaves its reason";
}

TEST_F(RawInputTest, RecordsAreReadWithChecks)
{
    RegisterRawInput(0);
    Key(SDL_SCANCODE_A, true);
    const std::vector<MSG> messages = Drain();
    ASSERT_FALSE(messages.empty());
    const HRAWINPUT handle = reinterpret_cast<HRAWINPUT>(messages[0].lParam);
    const UINT failed = static_cast<UINT>(-1);

    RAWINPUT record;
    UINT size = 8;
    EXPECT_EQ(GetRawInputData(handle, RID_INPUT, &record, &size, sizeof(RAWINPUTHEADER)), failed);
    EXPECT_EQ(size, 32u) << "a short buffer learns the size";
    EXPECT_EQ(GetRawInputData(handle, RID_INPUT, &record, &size, 12), failed);
    EXPECT_EQ(GetRawInputData(nullptr, RID_INPUT, &record, &size, sizeof(RAWINPUTHEADER)), failed);
    EXPECT_EQ(GetRawInputData(handle, RID_HEADER, &record, &size, sizeof(RAWINPUTHEADER)), 16u);
    EXPECT_EQ(record.header.hDevice, [] {
        RAWINPUTDEVICELIST list[64];
        UINT count = 64;
        const UINT listed = GetRawInputDeviceList(list, &count, sizeof(RAWINPUTDEVICELIST));
        for (UINT i = 0; i < listed; ++i)
            if (list[i].dwType == RIM_TYPEKEYBOARD)
                return list[i].hDevice;
        return HANDLE{};
    }());
    EXPECT_EQ(DefRawInputProc(nullptr, 1, sizeof(RAWINPUTHEADER)), 0);
    EXPECT_EQ(DefRawInputProc(nullptr, 1, 8), -1);

    // A handle stays readable only while its record has not been overwritten.
    for (int i = 0; i < 1100; ++i)
    {
        Key(SDL_SCANCODE_B, i % 2 == 0);
        Drain();
    }
    size = sizeof(record);
    EXPECT_EQ(GetRawInputData(handle, RID_INPUT, &record, &size, sizeof(RAWINPUTHEADER)), failed);
}

TEST_F(RawInputTest, DeviceListHoldsOneKeyboardAndOneMouse)
{
    UINT count = 0;
    EXPECT_EQ(GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)), 0u);
    EXPECT_EQ(count, 2u);
    RAWINPUTDEVICELIST list[64];
    count = 1;
    EXPECT_EQ(GetRawInputDeviceList(list, &count, sizeof(RAWINPUTDEVICELIST)), static_cast<UINT>(-1));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    count = 64;
    ASSERT_EQ(GetRawInputDeviceList(list, &count, sizeof(RAWINPUTDEVICELIST)), 2u);
    EXPECT_NE(list[0].dwType, list[1].dwType);
    EXPECT_EQ(GetRawInputDeviceList(list, &count, 4), static_cast<UINT>(-1));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // Every mouse record names the one listed mouse.
    RegisterRawInput(0);
    Motion(0, 0, 1, 0);
    const HANDLE mouse = list[0].dwType == RIM_TYPEMOUSE ? list[0].hDevice : list[1].hDevice;
    EXPECT_EQ(Read(Drain()[0]).header.hDevice, mouse);
}

TEST_F(RawInputTest, WindowEventsBecomeActivationSizeAndCloseMessages)
{
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(Drain().empty()) << "already active";
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(Trace(),
              (std::vector<std::string>{"0006 00 00000000", "001C 00 00000000", "001C 01 00000000", "0006 01 00000000"}));
    EXPECT_EQ(GetFocus(), window_);

    WindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(ClientSize(window_).first, 0) << "a minimised window has no client area";
    WindowEvent(SDL_WINDOWEVENT_RESTORED);
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 700);
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 700);
    WindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    // Minimising deactivates; the resized window waits for paint.
    EXPECT_EQ(Trace(), (std::vector<std::string>{"0005 01 00000000", "0006 10000 00000000", "001C 00 00000000",
                                                 "0005 00 03200500", "0005 00 02BC0400", "0005 02 02BC0400",
                                                 "0010 00 00000000", "000F 00 00000000"}));
    EXPECT_EQ(ClientSize(window_), (std::pair<LONG, LONG>(1024, 700)));
}
} // namespace
