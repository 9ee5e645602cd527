#include "commandfixture.h"
#include "testcommands.h"


namespace
{

class BindTest : public CommandTest
{
protected:
    u32 Bind(const char* key, std::initializer_list<const char*> commands)
    {
        std::vector<const char*> list(commands);
        return Manager().AddCommandBind(key, list.data(), static_cast<u32>(list.size()));
    }
    // The arguments of what one frame of the manager ran after these presses.
    std::vector<std::string> Frame(std::initializer_list<TCommandKey> presses)
    {
        g_TestRecord.calls.clear();
        for (const TCommandKey& key : presses)
            Manager().TriggerBinds(key);
        Manager().UpdateManager(0.05f);
        std::vector<std::string> ran;
        for (const TRecordedCall& call : g_TestRecord.calls)
            if (call.prepare == COMMAND_RUN)
                ran.insert(ran.end(), call.arguments.begin(), call.arguments.end());
        return ran;
    }
};

TEST_F(BindTest, BindsOutsideTheRecordAreRefusedWithAnError)
{
    EXPECT_EQ(Bind("F1", {}), 1u);
    EXPECT_EQ(Bind("F1", {"a", "b", "c", "d", "e", "f", "g", "h", "i"}), 1u);
    const std::string longCommand(64, 'x');
    EXPECT_EQ(Bind("F1", {longCommand.c_str()}), 1u);
    EXPECT_EQ(Manager().GetBindCount(), 0u);
    EXPECT_EQ(Bind("F1", {"a", "b", "c", "d", "e", "f", "g", "h"}), 0u);
    for (u32 i = 1; i < COMMAND_MAX_BINDS; ++i)
        ASSERT_EQ(Bind("F2", {"test.record"}), 0u);
    EXPECT_EQ(Bind("F2", {"test.record"}), 1u);
    EXPECT_EQ(Manager().GetBindCount(), COMMAND_MAX_BINDS);

    EXPECT_EQ(Texts(), (std::vector<std::string>{"^Ierror: a bind takes 1 to 8 commands (0 given)",
                                                 "^Ierror: a bind takes 1 to 8 commands (9 given)",
                                                 "^Ierror: '" + longCommand + "': bound command longer than 63 characters",
                                                 "^Ierror: too many binds (max 128)"}));
}

// Presses as the input manager gives them, a frame of the manager after each: a press runs its
// key's bind once, its commands in turn; a frame without a press runs nothing; a key with other
// modifiers than the bound one is another key. The last bind of the list is pressed too.
TEST_F(BindTest, EachPressRunsTheNextCommandOfItsKeysBindOnce)
{
    ASSERT_EQ(Bind("F1", {"test.record a", "test.record b"}), 0u);
    ASSERT_EQ(Bind("F2", {"test.record c"}), 0u);
    const TCommandKey none = {0, 0, 0};
    const struct
    {
        TCommandKey key;
        const char* runs; // null: nothing runs
    } frames[] = {
        {{0, 59, 0}, "a"},
        {none, nullptr},
        {{0, 59, 0}, "b"},
        {{0, 59, 0}, "a"},
        {{KEY_CTRL, 59, 0}, nullptr},
        {{0, 60, 0}, "c"},
        {{KEY_SHIFT, 60, 0}, nullptr},
        {{0, 60, 0}, "c"},
    };
    for (const auto& frame : frames)
    {
        const std::vector<std::string> ran = frame.key.nCode ? Frame({frame.key}) : Frame({});
        EXPECT_EQ(ran, frame.runs ? std::vector<std::string>{frame.runs} : std::vector<std::string>{})
            << "key " << frame.key.nCode << " modifiers " << frame.key.nModifiers;
    }
}

// Unbinding a key takes every bind of it, the last of the list too, and leaves the others.
TEST_F(BindTest, UnbindingAKeyTakesEveryBindOfItAndNoOther)
{
    ASSERT_EQ(Bind("F1", {"test.record a"}), 0u);
    ASSERT_EQ(Bind("F2", {"test.record c"}), 0u);
    ASSERT_EQ(Bind("F1", {"test.record b"}), 0u);
    Manager().ExecuteText("command.unbind F1");
    ASSERT_EQ(Manager().GetBindCount(), 1u);
    EXPECT_EQ(Frame({{0, 59, 0}, {0, 60, 0}}), std::vector<std::string>{"c"});
}

TEST_F(BindTest, ABoundCommandMayClearTheBindsWhileTheyRun)
{
    Bind("F1", {"test.record first"});
    // Not a registered command in this module, so run an unbinding through a test hook:
    // clearing from inside a run must not disturb the loop.
    static struct TClearCommand : public TCommand
    {
        void Execute(TCommandInstruction& instruction, u32 prepare) override
        {
            if (prepare == COMMAND_RUN)
                TCommandManager::Instance().ClearBinds();
        }
    } s_Clear;
    Manager().RegisterCommand("test_clear_binds", "", "", &s_Clear, 1);
    Bind("F1", {"test.clear.binds"});
    Bind("F1", {"test.record last"});
    Manager().TriggerBinds({0, 59, 0});
    Manager().UpdateManager(0.05f);
    EXPECT_EQ(Manager().GetBindCount(), 0u);
}

} // namespace
