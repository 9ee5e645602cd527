// The resource console commands "resource_load" and "resource_associate".
#include "core/system/directorylist.h"
#include "core/system/string.h"
#include "engine/system/commandarguments.h"
#include "engine/system/resourcemanager.h"

#include <cstdlib>

class TCommandresource_load : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        g_pResourceManager->LoadRepository(CommandArgumentText(instruction, 0), 0);
    }

    void Complete(const char* before, i32 tokenCount, const char* last, TCompletionList& candidates,
                  TCompletionList& descriptions) override
    {
        // The repositories of the working folder, gathered once.
        static TDirectoryList s_Files("*.data");
        if (tokenCount != 1)
            return;
        char text[512];
        for (i32 i = 0; i < s_Files.GetCount(); ++i)
        {
            FormatStringN(text, sizeof text, "%s\"%s\"", before, s_Files[i].path);
            AddCompletion(candidates, text);
            FormatStringN(text, sizeof text, "%.3fMb", s_Files[i].size * 9.536743e-7);
            AddCompletion(descriptions, text);
        }
    }
};

class TCommandresource_associate : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 2))
            return;
        const u32 id = static_cast<u32>(std::strtoul(CommandArgumentText(instruction, 0), nullptr, 10));
        if (g_pResourceManager->Associate(id, CommandArgumentText(instruction, 1)) == 2)
            TCommandManager::Instance().PrintError("too many repository associations");
    }
};

namespace
{
TCommandresource_load s_Commandresource_load;
TCommandresource_associate s_Commandresource_associate;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("resource_load", "load resource", "Load resource file.", &s_Commandresource_load,
                            0);
    manager.RegisterCommand("resource_associate", "associate resource",
                            "Associate resource id with file name.", &s_Commandresource_associate, 0);
    return 0u;
}();
} // namespace
