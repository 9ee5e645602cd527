// The keyboard and mouse driver fed with synthetic raw-input records and window messages
// through the device window, as the main loop's pump delivers them.
#include "directx/input/wininputdriver.h"
#include "inputfixture.h"
#include "engine/render/device.h"
#include "platform/window/sdleventtranslator.h"
#include "platform/window/windowsystem.h"


namespace
{
class WinInputTest : public InputTest
{
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        Frame();
    }

    static TWinInputDriver& Win() { return Driver<TWinInputDriver>("TWinInputDriver"); }
    static void Frame() { Win().UpdateDriver(); }

    static RAWINPUT KeyRecord(USHORT makeCode, USHORT flags)
    {
        RAWINPUT record = {};
        record.header.dwType = RIM_TYPEKEYBOARD;
        record.data.keyboard.MakeCode = makeCode;
        record.data.keyboard.Flags = flags;
        return record;
    }
    static void Key(USHORT makeCode, bool down, USHORT flags = 0)
    {
        TWindowSystem::Get().PostRawInput(KeyRecord(makeCode, static_cast<USHORT>(flags | (down ? 0 : RI_KEY_BREAK))));
        Pump();
    }
    // A record that arrives while another application is in the foreground.
    static void BackgroundKey(USHORT makeCode, bool down)
    {
        TWindowSystem::Get().PostRawInput(KeyRecord(makeCode, down ? RI_KEY_MAKE : RI_KEY_BREAK));
        MSG message;
        ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_INPUT, WM_INPUT, PM_REMOVE));
        Win().OnDeviceMessage(WM_INPUT, RIM_INPUTSINK, message.lParam);
    }
    static void Mouse(LONG dx, LONG dy, USHORT buttons = 0, i16 wheel = 0)
    {
        RAWINPUT record = {};
        record.header.dwType = RIM_TYPEMOUSE;
        record.data.mouse.usFlags = MOUSE_MOVE_RELATIVE;
        record.data.mouse.lLastX = dx;
        record.data.mouse.lLastY = dy;
        record.data.mouse.usButtonFlags = static_cast<USHORT>(buttons | (wheel ? RI_MOUSE_WHEEL : 0));
        record.data.mouse.usButtonData = static_cast<USHORT>(wheel);
        TWindowSystem::Get().PostRawInput(record);
        Pump();
    }
    static void Message(UINT message, WPARAM wParam, LPARAM lParam)
    {
        PostMessageW(g_pDeviceManager->GetWindowHandle(), message, wParam, lParam);
        Pump();
    }
    static LPARAM KeyParameter(u32 scanCode, bool extended = false)
    {
        return static_cast<LPARAM>(1u | (scanCode << 16) | (extended ? 1u << 24 : 0u));
    }
    static bool Edges(const char* name, bool pressed, bool released)
    {
        return Input(name).WasPressed() == pressed && Input(name).WasReleased() == released;
    }
};
} // namespace

// Each frame of a script: the records before it ('+' down, '-' up, in order), then what the
// frame shows: P pressed (1 and a press edge), R released (0 and a release edge), H held (1, no
// edge), U up (0, no edge). A tap shorter than a frame is a press in the next frame and a release
// in the one after; a held key let go and pressed again within a frame is a release, then a press.
TEST_F(WinInputTest, KeysAndButtonsChangeOncePerFrameByTheEdgeRule)
{
    const struct
    {
        const char* name;
        USHORT makeCode;
        std::vector<std::pair<const char*, char>> frames;
    } cases[] = {
        {"A", 0x1E, {{"+", 'P'}, {"+", 'H'}, {"-", 'R'}, {"", 'U'}}}, // a repeat of a held key is no new press
        {"S", 0x1F, {{"-+", 'P'}, {"-", 'R'}}},                        // a release of a key that is up
        {"D", 0x20, {{"+-", 'P'}, {"", 'R'}, {"", 'U'}}},
        {"F", 0x21, {{"+-+-", 'P'}, {"", 'R'}, {"+-+", 'P'}, {"", 'H'}, {"++", 'H'}, {"-+", 'R'}, {"", 'P'}, {"-", 'R'}}},
        {"mbRightButton", 0, {{"+-", 'P'}, {"", 'R'}, {"", 'U'}}},
    };
    for (const auto& c : cases)
        for (size_t f = 0; f < c.frames.size(); ++f)
        {
            SCOPED_TRACE(testing::Message() << c.name << " frame " << f);
            for (const char* record = c.frames[f].first; *record; ++record)
                if (c.makeCode)
                    Key(c.makeCode, *record == '+');
                else
                    Mouse(0, 0, *record == '+' ? RI_MOUSE_RIGHT_BUTTON_DOWN : RI_MOUSE_RIGHT_BUTTON_UP);
            if (f == 0 && c.makeCode)
            {
                EXPECT_EQ(Value(c.name), 0.0f) << "raw keys wait for the frame";
            }
            Frame();
            const char shown = c.frames[f].second;
            EXPECT_EQ(Value(c.name), shown == 'P' || shown == 'H' ? 1.0f : 0.0f);
            EXPECT_TRUE(Edges(c.name, shown == 'P', shown == 'R'));
            if (!c.makeCode)
            {
                EXPECT_TRUE(Edges("mbRightButton_0", shown == 'P', shown == 'R'));
            }
        }
}

// The road of a real keyboard: SDL's key-down and key-up, through the window layer's
// translator and message queue, both before one frame.
TEST_F(WinInputTest, AKeyTappedThroughTheWindowIsPressedInTheNextFrameAndBackgroundPressesAreIgnored)
{
    TSdlEventTranslator translator;
    for (bool down : {true, false})
    {
        SDL_Event event = {};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = SDL_SCANCODE_SPACE;
        translator.Translate(event, g_pDeviceManager->GetWindowHandle());
    }
    Pump();
    Frame();
    EXPECT_EQ(Value("Space"), 1.0f);
    EXPECT_TRUE(Edges("Space", true, false));
    Frame();
    EXPECT_EQ(Value("Space"), 0.0f);
    EXPECT_TRUE(Edges("Space", false, true));
    BackgroundKey(0x39, true);
    Frame();
    EXPECT_EQ(Value("Space"), 0.0f);

    Key(0x39, true);
    Frame();
    BackgroundKey(0x39, false);
    Frame();
    EXPECT_EQ(Value("Space"), 0.0f);
    EXPECT_TRUE(Edges("Space", false, true));
}

TEST_F(WinInputTest, ExtendedCodesNameTheirOwnInputsStayInsideTheTableAndAFrameTakesSixtyFour)
{
    Key(0x1D, true, RI_KEY_E0);
    Key(0xC5, true, RI_KEY_E0);
    Key(0x33, true);
    Frame();
    EXPECT_EQ(Value("RCtrl"), 1.0f);
    EXPECT_EQ(Value("LCtrl"), 0.0f);
    EXPECT_EQ(Value("Pause"), 1.0f);
    EXPECT_EQ(Value("NumPadComma"), 1.0f) << "one input under two names";
    EXPECT_EQ(&Input("Comma"), &Input("NumPadComma"));
    EXPECT_STREQ(Input("Comma").GetName()->GetText(), "NumPadComma");

    // Print Screen's fake shift, and E0 codes whose index lies beyond the table.
    Key(0x2A, true, RI_KEY_E0);
    for (USHORT code = 0xF0; code <= 0xFF; ++code)
        Key(code, true, RI_KEY_E0);
    Frame();
    EXPECT_EQ(Value("LShift"), 0.0f);
    EXPECT_EQ(Value("Esc"), 0.0f);

    // A frame takes at most sixty-four keys: those past the queue's capacity are dropped.
    for (USHORT code = 1; code <= 0x58; ++code)
        Key(code, true);
    Frame();
    EXPECT_EQ(Value("Esc"), 1.0f);
    EXPECT_EQ(Value("F12"), 0.0f);
    Key(0x58, true);
    Frame();
    EXPECT_EQ(Value("F12"), 1.0f);
}

TEST_F(WinInputTest, WheelNotchesAreOneEachAndCappedAtTen)
{
    Mouse(0, 0, 0, 120);
    Frame();
    EXPECT_FLOAT_EQ(Value("mbWheelUp"), 1.0f);
    EXPECT_FLOAT_EQ(Value("mbWheelUp_0"), 1.0f);
    EXPECT_TRUE(Edges("mbWheelUp", true, false));
    Frame();
    EXPECT_EQ(Value("mbWheelUp"), 0.0f) << "the counts start again each frame";
    EXPECT_TRUE(Edges("mbWheelUp", false, true));

    for (int i = 0; i < 11; ++i)
        Mouse(0, 0, 0, -120);
    Frame();
    EXPECT_FLOAT_EQ(Value("mbWheelDown"), 10.0f);
    EXPECT_EQ(Value("mbWheelUp"), 0.0f);
    EXPECT_EQ(Value("mbWheelLeft"), 0.0f);
    EXPECT_EQ(Value("mbWheelRight_0"), 0.0f);

    ASSERT_EQ(m_Recorder.events.size(), 12u);
    EXPECT_EQ(m_Recorder.events[0].nCode, 1003u);
    EXPECT_EQ(m_Recorder.events[0].nModifiers, WIN_EVENT_MOUSE);
    EXPECT_EQ(m_Recorder.events[1].nCode, 1004u);
    Frame();
    EXPECT_EQ(Value("mbWheelDown"), 0.0f);
}

TEST_F(WinInputTest, KeyMessagesMakeEventsAndCaptureReportsPressesButtonsWheelsAndLongMoves)
{
    Message(WM_KEYDOWN, 'A', KeyParameter(0x1E));
    Message(WM_KEYDOWN, VK_LEFT, KeyParameter(0x4B, true));
    Message(WM_KEYDOWN, VK_F1, KeyParameter(0x3B));
    Message(WM_KEYDOWN, VK_CONTROL, KeyParameter(0x1D));
    Message(WM_KEYDOWN, VK_DELETE, KeyParameter(0x53, true));
    Message(WM_KEYUP, VK_CONTROL, KeyParameter(0x1D));
    Message(WM_SYSKEYDOWN, 'X', KeyParameter(0x2D));
    // A navigation key on a scan code below F1's, without Ctrl or Alt.
    Message(WM_KEYDOWN, VK_HOME, KeyParameter(0x20));
    ASSERT_EQ(m_Recorder.events.size(), 4u);
    // The left arrow's code and key, F1's code, Delete with Ctrl, and X after Ctrl was let go.
    const auto& e = m_Recorder.events;
    EXPECT_EQ(std::vector<u32>({e[0].nModifiers, e[0].nCode, e[0].nValue, e[1].nCode, e[2].nModifiers, e[3].nModifiers, e[3].nValue}),
              std::vector<u32>({WIN_EVENT_KEY, 0x4Bu + 70, VK_LEFT, 0x3Bu, WIN_EVENT_KEY | WIN_MODIFIER_CTRL, WIN_EVENT_KEY, 'X'}));
    Capture();
    BackgroundKey(0x10, true);
    Key(0x10, false);
    Key(0x11, true);
    Mouse(300, 0);
    Mouse(300, 0, RI_MOUSE_RIGHT_BUTTON_DOWN);
    Mouse(0, -1000);
    Mouse(0, 0, 0, -120);
    const std::vector<std::string> expected = {"W", "MouseRight", "mbRightButton", "MouseRight", "MouseBackward",
                                               "MouseRight", "MouseBackward", "mbWheelDown"};
    EXPECT_EQ(m_Recorder.captured, expected);

    // Without capture the totals start again.
    TInputManager::Instance().SetCapture(nullptr);
    Mouse(300, 0);
    Frame();
    Capture();
    Mouse(300, 0);
    EXPECT_EQ(m_Recorder.captured.size(), expected.size()) << "30 units is no move";
}

TEST_F(WinInputTest, AnInactiveDriverQueuesNothingResetClearsEveryInputAndBadRecordsAreIgnored)
{
    Key(0x1E, true);
    Message(WM_KEYDOWN, VK_SHIFT, KeyParameter(0x2A));
    Frame();
    Win().OnDeviceDeactivate();
    Key(0x1E, false);
    Frame();
    EXPECT_EQ(Value("A"), 1.0f) << "a key held when the window lost activation";
    EXPECT_EQ(Win().GetModifiers(), 0u);
    Win().OnDeviceActivate();
    Win().Reset();
    EXPECT_EQ(Value("A"), 0.0f);
    EXPECT_EQ(*Input("MouseLeft").GetFlags(), 0u);
    Win().OnDeviceMessage(WM_INPUT, RIM_INPUT, 0x7FFFFFF0);
    Frame();
    EXPECT_NE(m_Folder.SystemLog().find("TWinInputDriver::OnDeviceMessage(): error: incorrect data size"),
              std::string::npos);
}
