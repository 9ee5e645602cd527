// The console command "shader_rebuild".
#include "engine/render/shader.h"
#include "engine/system/command/commandmanager.h"

void (*g_pRebuildShaders)() = nullptr;

class TCommandshader_rebuild : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && g_pRebuildShaders)
            g_pRebuildShaders();
    }
};

namespace
{
TCommandshader_rebuild s_Commandshader_rebuild;

const u32 s_nRegistered = [] {
    TCommandManager::Instance().RegisterCommand("shader_rebuild", "rebuild shader", "Recompile shaders.",
                                                &s_Commandshader_rebuild, 0);
    return 0u;
}();
} // namespace
