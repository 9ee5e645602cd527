#include "engine/input/inputmanager.h"

#include "core/cluster/cluster.h"
#include "engine/input/inputbind.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputactiongroup.h"
#include "engine/input/inputcursor.h"
#include "engine/input/inputmethods.h"
#include "engine/input/inputobject.h"
#include "engine/input/inputtypes.h"
#include "engine/localization/localization.h"
#include "engine/system/managermanager.h"
#include "support/declaredlinks.h"
#include "testdriver.h"

#include <cstring>
#include <deque>

namespace
{
class InputManagerTest : public InputTest
{
protected:
    static TInputAction* Action(const char* name) { return Input().CreateAction(TName(name, true), 0); }
};

class TTestHolder : public TInputFocus
{
public:
    TTestHolder(u32 group, bool wants, i32 consumes) : m_bWants(wants), m_nConsumes(consumes)
    {
        nGroup = group;
    }
    bool WantsInput() override { return m_bWants; }
    i32 ConsumesInput() override { return m_nConsumes; }
    i32 KeepOnClusterUnload() override { return 1; }
    i32 OnFocusGain() override
    {
        ++nGains;
        return nSkipOnGain;
    }
    void OnFocusLost() override { ++nLosses; }
    void UpdateFocus(f32 step) override { ++nUpdates; }

    bool m_bWants;
    i32 m_nConsumes;
    i32 nSkipOnGain = 0;
    int nGains = 0;
    int nLosses = 0;
    int nUpdates = 0;
};

class TEventListener : public TInputMethods
{
public:
    void OnInputEvent(const TInputEvent&) override {}
    void OnInputTick() override { ++ticks; }
    int ticks = 0;
};
} // namespace

TEST_F(InputManagerTest, ActionValuesFollowTheirInputs)
{
    TInputAction* steer = Action("steer");
    Input().BindAction(steer, &TestInput("AxisLeft"), &TestInput("AxisRight"));
    TestInput("AxisLeft").fValue = 0.3f;
    TestInput("AxisRight").fValue = 0.7f;
    EXPECT_FLOAT_EQ(steer->GetValue(), 0.7f);
    EXPECT_TRUE(steer->IsDown());
    TestInput("AxisRight").nFlags = TEST_RELEASED;
    EXPECT_TRUE(steer->IsReleased());
    EXPECT_FALSE(steer->IsPressed());

    u16 states[2] = {};
    EXPECT_TRUE(TInputBind::GetState(*steer, states, 6));
    EXPECT_EQ(states[1], (INPUT_STATE_DOWN | INPUT_STATE_RELEASED) << 3);

    // A lone second input becomes the primary.
    Input().BindAction(steer, nullptr, &TestInput("AxisLeft"));
    EXPECT_EQ(steer->pPrimary, &TestInput("AxisLeft"));
    EXPECT_EQ(steer->pSecondary, nullptr);
    EXPECT_FLOAT_EQ(steer->GetValue(), 0.3f);
    Input().BindAction(steer, nullptr, nullptr);
    EXPECT_EQ(steer->GetValue(), 0.0f);
    TestInput("AxisLeft").fValue = 0.0f;
    TestInput("AxisRight") = TTestInput("AxisRight");
}

TEST_F(InputManagerTest, NoMoreThan512Actions)
{
    const u32 start = Input().GetActionCount();
    for (u32 i = start; i < INPUT_ACTION_COUNT; ++i)
        ASSERT_NE(Action(("a" + std::to_string(i)).c_str()), nullptr);
    EXPECT_EQ(Action("one_too_many"), nullptr);
    EXPECT_EQ(Input().GetActionCount(), INPUT_ACTION_COUNT);
    ASSERT_FALSE(m_Printed.lines.empty());
    EXPECT_NE(m_Printed.lines.back().find("'one_too_many': too many actions (max 512)"), std::string::npos);
    // Existing actions are still found.
    EXPECT_NE(Action("a511"), nullptr);
}

TEST_F(InputManagerTest, FocusLayersAndGroupBlocking)
{
    TTestHolder top(1, true, 1);
    TTestHolder below(1, true, 1);
    TTestHolder otherGroup(2, true, 1);
    Input().RegisterInputFocus(&below, 3);
    Input().RegisterInputFocus(&otherGroup, 3);
    Input().RegisterInputFocus(&top, 0);

    // Alone, the layer-3 holder has focus.
    top.m_bWants = false;
    Input().UpdateManager(0.1f);
    EXPECT_EQ(below.nHasFocus, 1u);
    EXPECT_EQ(below.nUpdates, 1);
    EXPECT_EQ(top.nHasFocus, 0u);

    // The layer-0 holder of the same group takes the input: the other loses focus and is not
    // updated; the other group goes on.
    top.m_bWants = true;
    Input().UpdateManager(0.1f);
    EXPECT_EQ(top.nHasFocus, 1u);
    EXPECT_EQ(top.nUpdates, 1);
    EXPECT_EQ(below.nHasFocus, 0u);
    EXPECT_EQ(below.nActive, 0u);
    EXPECT_EQ(below.nLosses, 1);
    EXPECT_EQ(below.nUpdates, 1);
    EXPECT_EQ(otherGroup.nUpdates, 2);

    // A holder that lets the input through blocks nothing.
    top.m_nConsumes = 0;
    Input().UpdateManager(0.1f);
    EXPECT_EQ(below.nHasFocus, 1u);
    EXPECT_EQ(below.nUpdates, 2);

    // A non-zero answer to the gain skips that frame's update.
    Input().RegisterInputFocus(&top, INPUT_FOCUS_NO_LAYER);
    TTestHolder shy(5, true, 1);
    shy.nSkipOnGain = 1;
    Input().RegisterInputFocus(&shy, 7);
    Input().UpdateManager(0.1f);
    Input().UpdateManager(0.1f);
    EXPECT_EQ(shy.nGains, 1);
    EXPECT_EQ(shy.nUpdates, 1);

    for (TTestHolder* holder : {&below, &otherGroup, &shy})
        Input().RegisterInputFocus(holder, INPUT_FOCUS_NO_LAYER);

    // A layer holds INPUT_FOCUS_LAYER_SIZE holders; the next is refused.
    std::deque<TTestHolder> many;
    for (u32 i = 0; i <= INPUT_FOCUS_LAYER_SIZE; ++i)
        Input().RegisterInputFocus(&many.emplace_back(1, true, 0), 4);
    EXPECT_EQ(many[INPUT_FOCUS_LAYER_SIZE - 1].nLayer, 4u);
    EXPECT_EQ(many.back().nLayer, INPUT_FOCUS_NO_LAYER);
    EXPECT_TRUE(Logged("layer 4 is full (max 32)"));
    for (TTestHolder& holder : many)
        Input().RegisterInputFocus(&holder, INPUT_FOCUS_NO_LAYER);
}

TEST_F(InputManagerTest, TheBufferedRingKeepsTheLast31)
{
    EXPECT_EQ(Input().GetBufferedInput().nCode, 0u); // off
    const int resets = TestDriver().nResets;
    EXPECT_EQ(Input().BufferedInputEnable(), 1);
    EXPECT_EQ(Input().BufferedInputEnable(), 2);
    EXPECT_EQ(TestDriver().nResets, resets + 1);
    for (u32 i = 1; i <= 40; ++i)
        Input().OnInputEvent({0x20, i, 'a'});
    for (u32 i = 10; i <= 40; ++i)
        EXPECT_EQ(Input().GetBufferedInput().nCode, i);
    EXPECT_EQ(Input().GetBufferedInput().nCode, 0u);

    Input().OnInputEvent({0x20, 7, 'a'});
    EXPECT_EQ(Input().BufferedInputDisable(), 1);
    EXPECT_EQ(Input().BufferedInputDisable(), 0);
    Input().BufferedInputEnable();
    EXPECT_EQ(Input().GetBufferedInput().nCode, 0u); // emptied
    Input().BufferedInputDisable();
}

TEST_F(InputManagerTest, BindingsSurviveThroughTheBindingTableAndReachLoadedActions)
{
    TInputAction* fire = Action("fire");
    Input().BindAction(fire, &TestInput("mbLeftButton"), &TestInput("Enter"));
    Input().SaveBindings();
    EXPECT_EQ(Input().GetBindingCount(), Input().GetActionCount());
    Input().BindAction(fire, nullptr, nullptr);
    Input().OnClusterLoad();
    EXPECT_EQ(fire->pPrimary, &TestInput("mbLeftButton"));
    EXPECT_EQ(fire->pSecondary, &TestInput("Enter"));
    // Binds made before a repository load bind the loaded actions.
    Input().BindAction(Action("menuselect"), &TestInput("Enter"), nullptr);
    Input().OnRepositoryLoad("level");
    g_pCluster->LinkTypes();
    const TClusterSlot& slot = g_pCluster->GetSlot(INPUT_ACTION_TYPE_ID);
    TInputAction loaded[1] = {};
    loaded[0].Name = TName("menuselect", true);
    slot.SetArray(loaded, 1);
    Input().OnClusterLoad();
    EXPECT_EQ(loaded[0].pPrimary, &TestInput("Enter"));
    g_pCluster->ClearArrays();
    // With no actions left, a further load keeps the table.
    Input().OnRepositoryLoad("level");
    TInputAction again[1] = {};
    again[0].Name = TName("menuselect", true);
    slot.SetArray(again, 1);
    Input().OnClusterLoad();
    EXPECT_EQ(again[0].pPrimary, &TestInput("Enter"));
    g_pCluster->ClearArrays();
}

TEST_F(InputManagerTest, TheActionNameSetIsCheckedOnLoad)
{
    Action("one");
    Action("two");
    void* data;
    i32 size;
    ASSERT_EQ(Input().GetData(0, data, size), 0);
    const std::string saved(static_cast<const char*>(data), static_cast<size_t>(size));
    const auto with = [&](size_t at, u32 value) {
        std::string image = saved;
        std::memcpy(image.data() + at, &value, 4);
        return image;
    };
    u32 firstKey;
    std::memcpy(&firstKey, saved.data() + 4, 4);
    const u32 count = Input().GetActionCount();
    const struct
    {
        std::string image;
        i32 result;
    } cases[] = {{with(8, count - 1), 0}, // the last action
                 {with(8, count), 2},     // a place beyond the actions
                 {with(12, firstKey), 2}, // a name twice
                 {saved.substr(0, saved.size() - 1), 2},
                 {saved, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Input().SetData(0, c.image.data(), static_cast<i32>(c.image.size())), c.result)
            << &c - cases;
    EXPECT_NE(Input().FindAction(TName("two")), nullptr);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
// The round trip of images takes its positions from the declarations: these pin them.
TEST(InputTypes, EveryDeclaredLinkIsTheMemberItNames)
{
    ExpectDeclaredLinks(InputActionDecl(), {LINK(TInputAction, pGroup)});
    ExpectDeclaredLinks(InputActionGroupDecl(), {LINK(TInputActionGroup, aSortedAction)});
    ExpectDeclaredLinks(InputCursorDecl(),
                        {LINK(TInputCursor, pMoveUp), LINK(TInputCursor, pMoveDown), LINK(TInputCursor, pMoveLeft),
                         LINK(TInputCursor, pMoveRight), LINK(TInputCursor, pAction),
                         LINK(TInputCursor, pScriptActionDown), LINK(TInputCursor, pScriptActionUp),
                         LINK(TInputCursor, pTexture)});
    ExpectDeclaredLinks(InputObjectDecl(),
                        {LINK(TInputObject, pScriptUpdate), LINK(TInputObject, pScriptInput),
                         LINK(TInputObject, pScriptActivate), LINK(TInputObject, pScriptDeactivate)});
}
#pragma GCC diagnostic pop

// The main menu stands the game clock still (frames of step 0.0): the input still arrives, or
// the menu could never be closed.
TEST_F(InputManagerTest, InputIsReadInFramesWhileTheGameClockStandsStill)
{
    TEventListener listener;
    Input().AddMethod(&listener);
    TManagerManager frames;
    frames.CreateSystem(TName("menu", true));
    frames.AddUpdateManager(&Input(), 0);
    frames.Update(0.0f);
    EXPECT_EQ(listener.ticks, 1);
    Input().RemoveMethod(&listener);
}
