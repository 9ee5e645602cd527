// The vehicle task dialog: the gate's two docking values on the bars and in the numbers for the
// cargo loader's two tasks, each number's warning from its limit on and not before, values
// beyond the bars, hiding for any other task and under the game menu's windows, and its golden
// image over the in-game screen.
#include "menufixture.h"

#include "morvane/game/gameenums.h"
#include "morvane/ui/uivehicletaskdialog.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.trackbar.h"

#include <cmath>
#include <limits>

namespace
{
// What the test's game shows the dialog.
class TTestSource : public TVehicleTaskSource
{
public:
    bool GetTaskType(i32& type) override
    {
        type = nType;
        return bTask;
    }
    bool GetGateValues(f32& distance, f32& angle) override
    {
        distance = fDistance;
        angle = fAngle;
        return bGate;
    }
    bool bTask = true;
    bool bGate = true;
    i32 nType = gtCargoStorageToPlane;
    f32 fDistance = 0.0f;
    f32 fAngle = VEHICLE_TASK_SQUARE_ANGLE;
};

class VehicleTaskTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ASSERT_NE(Dialog().GetForm(), nullptr) << "the level carries the dialog's form";
        StartGame();
        Dialog().SetSource(&m_Source);
    }
    void TearDown() override
    {
        Dialog().SetSource(nullptr);
        Dialog().GetForm()->HideNow();
        MenuTest::TearDown();
    }
    static TUIVehicleTaskDialog& Dialog()
    {
        return static_cast<TUIVehicleTaskDialog&>(g_pUIGameManager->GetScreen(UI_SCREEN_VEHICLE_TASK));
    }
    // Fading out counts as hidden.
    static bool Showing()
    {
        return g_pUIGameManager->IsShowing(UI_SCREEN_VEHICLE_TASK) &&
               !(Dialog().GetForm()->nFlags & UX::CONTROL_HIDING);
    }
    static std::u16string Text(const UX::TLabel* label) { return label->Text.GetText(); }
    static bool Warns(const UX::TLabel* label) { return (label->nFlags & VEHICLE_TASK_WARNING_FLAG) != 0; }
    // The dialog shown, then a frame with the values.
    void ShowWith(f32 distance, f32 angle)
    {
        m_Source.fDistance = distance;
        m_Source.fAngle = angle;
        if (!Showing())
            ASSERT_TRUE(g_pUIGameManager->ShowScreen(UI_SCREEN_VEHICLE_TASK));
        MenuFrame();
        ASSERT_TRUE(Showing());
    }
    TTestSource m_Source;
};
} // namespace

// The gate's values go on the bars (their ends stop them, NaN is the middle) and into the numbers
// for both cargo tasks; values beyond the bars and NaN warn.
TEST_F(VehicleTaskTest, TheGateValuesGoOnTheBarsAndIntoTheNumbersForBothCargoTasks)
{
    constexpr i32 D = VEHICLE_TASK_DISTANCE_RANGE, A = VEHICLE_TASK_ANGLE_RANGE;
    const f32 nan = std::numeric_limits<f32>::quiet_NaN();
    const struct
    {
        i32 type;
        f32 distance, angle;
        i32 distanceBar, angleBar;
        const char16_t* distanceText;
        const char16_t* angleText;
    } cases[] = {{gtCargoStorageToPlane, 0.129f, 92.5f, 12, 250, u"0.13m", u"2.50"},
                 {gtCargoPlaneToStorage, -0.25f, 87.75f, -25, -225, u"-0.25m", u"-2.25"},
                 {gtCargoPlaneToStorage, 1.0e30f, 200.0f, D, A, nullptr, nullptr},
                 {gtCargoPlaneToStorage, -1.0e30f, -200.0f, -D, -A, nullptr, nullptr},
                 {gtCargoPlaneToStorage, nan, nan, 0, 0, nullptr, nullptr}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.distance);
        m_Source.nType = c.type;
        ShowWith(c.distance, c.angle);
        EXPECT_EQ(Dialog().GetDistanceBar()->Value, c.distanceBar);
        EXPECT_EQ(Dialog().GetAngleBar()->Value, c.angleBar);
        if (c.distanceText)
        {
            EXPECT_EQ(Text(Dialog().GetDistanceLabel()), c.distanceText);
            EXPECT_EQ(Text(Dialog().GetAngleLabel()), c.angleText);
        }
        else
            EXPECT_TRUE(Warns(Dialog().GetDistanceLabel()) && Warns(Dialog().GetAngleLabel()));
    }
}

TEST_F(VehicleTaskTest, EachNumberWarnsFromItsLimitOnAndNotBeforeAndTheDialogMatchesItsGoldenImage)
{
    const f32 distance = VEHICLE_TASK_DISTANCE_WARNING;
    const f32 high = VEHICLE_TASK_SQUARE_ANGLE + VEHICLE_TASK_ANGLE_WARNING;
    const f32 low = VEHICLE_TASK_SQUARE_ANGLE - VEHICLE_TASK_ANGLE_WARNING;
    const struct
    {
        f32 distance;
        f32 angle;
        bool distanceWarns;
        bool angleWarns;
    } cases[] = {
        {std::nextafter(distance, 0.0f), std::nextafter(high, 0.0f), false, false},
        {distance, high, true, true},
        {-std::nextafter(distance, 0.0f), std::nextafter(low, 90.0f), false, false},
        {-distance, low, true, true},
        {0.0f, VEHICLE_TASK_SQUARE_ANGLE, false, false},
    };
    for (const auto& c : cases)
    {
        ShowWith(c.distance, c.angle);
        EXPECT_EQ(Warns(Dialog().GetDistanceLabel()), c.distanceWarns) << c.distance;
        EXPECT_EQ(Warns(Dialog().GetAngleLabel()), c.angleWarns) << c.angle;
        // The warning is the label's pressed look.
        EXPECT_EQ(Dialog().GetDistanceLabel()->nTargetState == UX::STATE_PRESSED, c.distanceWarns)
            << c.distance;
    }
    // Over the game, the distance short of its warning and the angle past it; past the fade-in.
    ShowWith(-0.42f, 96.25f);
    RealFrames(30);
    ASSERT_TRUE(Showing());
    StillClock();
    EXPECT_EQ(RenderGolden("vehicle_task_1280x720", 1280, 720, true), "");
}

TEST_F(VehicleTaskTest, ItHidesForEveryOtherTaskWithoutOneWithoutItsGateAndUnderTheMenus)
{
    for (i32 type = gtDeployMaintenance; type <= gtCargoStorageToGarage; ++type)
    {
        m_Source.nType = type;
        ASSERT_TRUE(g_pUIGameManager->ShowScreen(UI_SCREEN_VEHICLE_TASK));
        MenuFrame();
        EXPECT_EQ(Showing(), type == gtCargoStorageToPlane || type == gtCargoPlaneToStorage) << type;
    }
    m_Source.nType = gtCargoPlaneToStorage;
    m_Source.bTask = false;
    ASSERT_TRUE(g_pUIGameManager->ShowScreen(UI_SCREEN_VEHICLE_TASK));
    MenuFrame();
    EXPECT_FALSE(Showing()) << "no task";
    m_Source.bTask = true;
    m_Source.bGate = false;
    ASSERT_TRUE(g_pUIGameManager->ShowScreen(UI_SCREEN_VEHICLE_TASK));
    MenuFrame();
    EXPECT_FALSE(Showing()) << "no gate";
    m_Source.bGate = true;
    ShowWith(0.1f, 90.0f);
    ASSERT_NE(Menu().PushWindow("NewGameConfirm"), nullptr);
    MenuFrames(20);
    EXPECT_FALSE(Showing()) << "a window of the stack";
    Menu().PopWindow();
    MenuFrames(20);
    ShowWith(0.1f, 90.0f);
    Menu().OnMainMenuClick(nullptr);
    MenuFrames(20);
    EXPECT_FALSE(Showing()) << "the main menu";
}
