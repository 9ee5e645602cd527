// The joystick driver's console commands: joystick_calibrate, joystick_refresh, joystick_swap
// and joystick_list. Each acts when its program runs, not while it is linked.
#include "directx/input/joystickinputdriver.h"
#include "engine/system/commandarguments.h"

#include <cstdlib>

namespace
{
// A numeric parameter: the text of the argument's name.
i32 Number(const TCommandInstruction& instruction, u32 index)
{
    return std::atoi(CommandArgumentText(instruction, index));
}
} // namespace

class TCommandjoystick_calibrate : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 0))
            g_pJoystickInputDriver->Calibrate();
    }
};

class TCommandjoystick_refresh : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 0))
            g_pJoystickInputDriver->InitializeDriver();
    }
};

class TCommandjoystick_swap : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 2))
            g_pJoystickInputDriver->Swap(Number(instruction, 0), Number(instruction, 1));
    }
};

class TCommandjoystick_list : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && CheckExactly(instruction, 0))
            g_pJoystickInputDriver->List();
    }
};

namespace
{
TCommandjoystick_calibrate s_Commandjoystick_calibrate;
TCommandjoystick_refresh s_Commandjoystick_refresh;
TCommandjoystick_swap s_Commandjoystick_swap;
TCommandjoystick_list s_Commandjoystick_list;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    return manager.RegisterCommand("joystick_calibrate", "calibrate joystick", "Calibrate joysticks.",
                                   &s_Commandjoystick_calibrate, 0) |
           manager.RegisterCommand("joystick_refresh", "refresh joystick", "Reacquire joysticks.",
                                   &s_Commandjoystick_refresh, 0) |
           manager.RegisterCommand("joystick_swap", "swap joystick", "Swap joystick input index.",
                                   &s_Commandjoystick_swap, 0) |
           manager.RegisterCommand("joystick_list", "list joysticks", "Display joystick information.",
                                   &s_Commandjoystick_list, 0);
}();
} // namespace
