// The joystick driver over fake controllers of the DirectInput layer.
#include "directx/input/joystickinputdriver.h"
#include "directx/input/joystickvariables.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"
#include "inputfixture.h"
#include "platform/dinput/fakejoystick.h"
#include "platform/dinput/joysticklist.h"

#include <cmath>
#include <memory>

namespace
{
class TConsoleLines : public TCommandMethods
{
public:
    void PrintLine(const char* text, int isError) override { lines.push_back((isError ? "E:" : "") + std::string(text)); }
    bool Has(const std::string& part) const
    {
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
    std::vector<std::string> lines;
};

enum
{
    AXIS_X,
    AXIS_Y,
    AXIS_Z,
    AXIS_RX,
};

class JoystickTest : public InputTest
{
protected:
    void SetUp() override
    {
        InputTest::SetUp();
        TCommandManager::Instance().SetListener(&m_Console);
        for (u32 set = 0; set < JOYSTICK_COUNT; ++set)
            JoystickDeviceVariable(set).SetInt(0);
    }

    void TearDown() override
    {
        for (const auto& fake : m_aFake)
            TJoystickList::Get().Detach(fake.get());
        Joy().FinalizeDriver();
        // Without joysticks a calibration only clears the offsets.
        Joy().Calibrate();
        Frame();
        g_joystick_threshold.SetFloat(JOYSTICK_DEFAULT_THRESHOLD);
        g_joystick_acceleration.SetFloat(JOYSTICK_DEFAULT_ACCELERATION);
        g_joystick_sensitivity.SetFloat(JOYSTICK_DEFAULT_SENSITIVITY);
        TCommandManager::Instance().SetListener(nullptr);
        InputTest::TearDown();
    }

    static TJoystickInputDriver& Joy() { return Driver<TJoystickInputDriver>("TJoystickInputDriver"); }

    TFakeJoystick& Attach(const char* name, int axes = 4, int hats = 1, int buttons = 16)
    {
        auto fake = std::make_shared<TFakeJoystick>(name, (std::string("joystick/") + name).c_str(), axes, hats,
                                                    buttons);
        m_aFake.push_back(fake);
        TJoystickList::Get().Attach(fake);
        return *fake;
    }

    static u32 DeviceId(const char* name)
    {
        const GUID guid = TJoystickList::MakeInstanceGuid(std::string("joystick/") + name);
        return CalculateCrc32(&guid, sizeof guid, 0);
    }

    // Enumerates again; the next frame acquires and the one after reads.
    static void Refresh()
    {
        ASSERT_EQ(Joy().InitializeDriver(), 0);
        Joy().UpdateDriver();
    }
    static void Frame() { Joy().UpdateDriver(); }
    void Run(const char* line) { TCommandManager::Instance().ExecuteText(line); }

    std::vector<std::shared_ptr<TFakeJoystick>> m_aFake;
    TConsoleLines m_Console;
};
} // namespace

TEST_F(JoystickTest, AxesPassTheDeadZoneAndTheCurve)
{
    TFakeJoystick& stick = Attach("stick");
    Refresh();
    stick.reading.axes[AXIS_X] = 10000;
    stick.reading.axes[AXIS_Y] = -5000;
    stick.reading.axes[AXIS_Z] = 40;
    stick.reading.axes[AXIS_RX] = 5000;
    Frame();
    EXPECT_FLOAT_EQ(Value("Joy0PosRight"), 1.0f);
    EXPECT_EQ(Value("Joy0PosLeft"), 0.0f);
    EXPECT_FLOAT_EQ(Value("Joy0PosUp"), std::pow(0.5f, 1.2f));
    EXPECT_EQ(Value("Joy0PosDown"), 0.0f);
    EXPECT_EQ(Value("Joy0PosForward"), 0.0f) << "inside the dead zone";
    EXPECT_FLOAT_EQ(Value("Joy0RotateRight"), std::pow(0.5f, 1.2f));
    EXPECT_EQ(Value("Joy0RotateUp"), 0.0f) << "an axis the controller lacks";
    EXPECT_TRUE(Input("Joy0PosRight").WasPressed());

    g_joystick_sensitivity.SetFloat(2.0f);
    g_joystick_acceleration.SetFloat(1.0f);
    g_joystick_threshold.SetFloat(0.6f);
    Frame();
    EXPECT_FLOAT_EQ(Value("Joy0PosRight"), 2.0f);
    EXPECT_FALSE(Input("Joy0PosRight").WasPressed());
    EXPECT_EQ(Value("Joy0PosUp"), 0.0f);
    EXPECT_TRUE(Input("Joy0PosUp").WasReleased());
}

TEST_F(JoystickTest, ControllersAreLinkedToSetsByIdAndSwapped)
{
    TFakeJoystick& first = Attach("first");
    TFakeJoystick& second = Attach("second");
    Refresh();
    ASSERT_EQ(Joy().GetJoystickCount(), 2u);
    EXPECT_EQ(Joy().GetJoystick(0).nSet, 0);
    EXPECT_EQ(Joy().GetJoystick(1).nSet, 1);
    EXPECT_EQ(g_joystick_device0.GetValue().nInt, static_cast<i32>(DeviceId("first")));
    EXPECT_TRUE(g_joystick_device0.GetFlags() & VARIABLE_CHANGED);
    first.reading.axes[AXIS_X] = 10000;
    second.reading.axes[AXIS_X] = -10000;

    Run("joystick.swap 1 2");
    Frame();
    Frame();
    EXPECT_EQ(Value("Joy1PosRight"), 1.0f);
    EXPECT_EQ(Value("Joy0PosLeft"), 1.0f);
    EXPECT_EQ(Joy().GetLink(0), DeviceId("second"));
    EXPECT_EQ(Joy().GetLink(1), DeviceId("first"));
    EXPECT_EQ(g_joystick_device1.GetValue().nInt, static_cast<i32>(DeviceId("first")));

    // The links survive enumeration.
    Refresh();
    EXPECT_EQ(Joy().GetJoystick(0).nSet, 1);

    for (auto [line, said] : {std::pair{"joystick.swap 3 1", "invalid joystick 1 index 3 (only 2 joystick(s))"},
                              {"joystick.swap 1 0", "invalid joystick 2 index 0 (only 2 joystick(s))"},
                              {"joystick.swap 1 3", "invalid joystick 2 index 3 (only 2 joystick(s))"},
                              {"joystick.swap 1", "command does not take 1 parameter (2 expected)"}})
    {
        Run(line);
        EXPECT_TRUE(m_Console.Has(said)) << line;
    }
}

TEST_F(JoystickTest, AVariableMovesItsControllerAFifthIdTakesSetThreeAndAFifthControllerIsLeftOut)
{
    for (u32 set = 0; set < JOYSTICK_COUNT; ++set)
        JoystickDeviceVariable(set).SetInt(static_cast<i32>(1000 + set));
    Attach("late");
    Refresh();
    EXPECT_EQ(Joy().GetJoystick(0).nSet, 3);
    EXPECT_EQ(Joy().GetLink(3), DeviceId("late"));
    EXPECT_EQ(g_joystick_device3.GetValue().nInt, static_cast<i32>(DeviceId("late")));
    EXPECT_EQ(Joy().GetLink(2), 1002u);

    g_joystick_device1.SetInt(static_cast<i32>(DeviceId("late")));
    EXPECT_EQ(Joy().GetJoystick(0).nSet, 1);
    EXPECT_EQ(Joy().GetLink(3), 0u);
    g_joystick_device2.SetFloat(7.9f);
    EXPECT_EQ(g_joystick_device2.GetValue().nType, VALUE_INT);
    EXPECT_EQ(Joy().GetLink(2), 7u);
    // A fifth controller is left out.
    for (const char* name : {"one", "two", "three", "four"})
        Attach(name);
    Refresh();
    EXPECT_EQ(Joy().GetJoystickCount(), 4u);
    EXPECT_NE(m_Folder.SystemLog().find("too many joysticks (only 4 supported)"), std::string::npos);
}

TEST_F(JoystickTest, CaptureReportsButtonsAndValuesThatMovedFarEnough)
{
    TFakeJoystick& stick = Attach("stick");
    Refresh();
    stick.reading.axes[AXIS_Y] = 5000;
    Frame();
    Capture();
    Frame();
    EXPECT_TRUE(m_Recorder.captured.empty()) << "where the controller rests is the reference";

    stick.reading.axes[AXIS_X] = -2000;
    Frame();
    EXPECT_TRUE(m_Recorder.captured.empty()) << "0.2 or less is no move";
    stick.reading.axes[AXIS_X] = -3000;
    stick.reading.axes[AXIS_Y] = 0;
    stick.reading.buttons[2] = true;
    Frame();
    EXPECT_EQ(m_Recorder.captured, (std::vector<std::string>{"Joy0Button3", "Joy0PosLeft", "Joy0PosUp"}));
}

TEST_F(JoystickTest, AnUnpluggedControllerIsTriedOncePerFrame)
{
    TFakeJoystick& stick = Attach("stick");
    Refresh();
    stick.reading.axes[AXIS_X] = 10000;
    Frame();
    EXPECT_EQ(Value("Joy0PosRight"), 1.0f);
    stick.attached = false;
    stick.looksUntilPlugged = 20;
    Frame();
    Frame();
    EXPECT_FALSE(stick.attached) << "a frame tries a lost controller once, not until it answers";
    stick.attached = true;
    Frame();
    EXPECT_EQ(stick.reads, 3) << "acquired again, not read yet";
    Frame();
    EXPECT_EQ(stick.reads, 4);
}
