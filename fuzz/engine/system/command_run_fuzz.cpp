// Runs the player's settings script as the game runs it ("exec settings" from the user folder's
// "system" folder, with every manager of the start-up script begun): compiled, then again from
// its cache, and the settings saved as the options' Apply and a clean exit save them. A script
// that did not run whole is kept aside byte for byte, never written over; what was saved runs
// again and saves to the same bytes. Scripts naming a command that leaves the run (quit,
// terminate, the folders, loads of data or states, the account, the manager phases) or writes
// files elsewhere are left out, as is a change of the settings files' names.
// VESTAMOR_FUZZ_SEED=<folder> writes the settings files the game saves as seeds (settings/ holds them).
#include "support/gamesystem.h"

#include "engine/system/command/commandprogram.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace
{
namespace fs = std::filesystem;

fs::path s_Root;

// Commands (dots written as underscores) whose run leaves the target's run or its folder.
const char* const kLeftOut[] = {"quit", "terminate", "system_directory", "user_directory", "system_driver",
                                "commandline", "compress", "screenshot", "dxbufferprofile_export",
                                "resource_load", "resource_associate", "state_save", "state_load",
                                "state_loadlast", "intro_load", "device_run", "account_", "manager_",
                                "script_", "shader_rebuild"};

std::string Word(u32 id)
{
    TName name;
    name.SetId(id);
    std::string text = name.GetText();
    for (char& c : text)
        c = c == '.' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool LeftOut(TCommandProgram& program)
{
    for (i32 i = 0; i < program.GetInstructionCount(); ++i)
    {
        const TCommandInstruction& instruction = program.GetInstruction(i);
        const std::string command = Word(instruction.nCommand);
        for (const char* word : kLeftOut)
            if (command.rfind(word, 0) == 0)
                return true;
        if ((command == "set" || command == "reset") && instruction.nArgumentCount > 0 &&
            Word(instruction.aArgument[0]).rfind("command_save", 0) == 0)
            return true;
    }
    return false;
}

std::string ReadWhole(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The files of the user folder's "system" folder, by name.
std::vector<std::pair<std::string, std::string>> SavedFiles()
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::directory_iterator(s_Root / "system"))
        files.emplace_back(entry.path().filename().string(), ReadWhole(entry.path()));
    std::sort(files.begin(), files.end());
    return files;
}

// The settings saved run as at the next start: binds are appended, so none is left from this run.
void RunSettings()
{
    TCommandManager::Instance().ExecuteText("command.unbind all");
    for (const char* script : {"device", "settings", "actions"})
        TCommandManager::Instance().Execute(script);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartGameSystem();
    char root[] = "/tmp/vestamor_command_run_fuzz_XXXXXX";
    if (!mkdtemp(root))
        std::abort();
    s_Root = root;
    std::atexit([] { fs::remove_all(s_Root); });
    RunLine((std::string("user.directory \"") + root + "\"").c_str());
    if (const char* seeds = std::getenv("VESTAMOR_FUZZ_SEED"))
    {
        // What a player's options leave: variables changed, keys bound, the default actions.
        fs::create_directories(s_Root / "system");
        fs::copy_file(fs::path(VESTAMOR_STARTUP_SCRIPT).parent_path() / "actions.icom", s_Root / "system" / "actions.icom");
        for (const char* line : {"set device.verticalsyn 0", "set atmosphere.timeofday 0.75",
                                 "command.bind \"F5\" \"state.save quick\"", "command.toggle \"F6\" device.verticalsyn",
                                 "exec \"actions\""})
            RunLine(line);
        TCommandManager::Instance().SaveSettings();
        for (const auto& entry : fs::directory_iterator(s_Root / "system"))
            fs::copy_file(entry.path(), fs::path(seeds) / entry.path().filename(), fs::copy_options::overwrite_existing);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    TCommandProgram program;
    program.Parse(text.c_str(), static_cast<i32>(text.size()), 0);
    if (LeftOut(program))
        return 0;
    fs::remove_all(s_Root / "system");
    fs::create_directories(s_Root / "system");
    std::ofstream(s_Root / "system" / "settings.icom", std::ios::binary).write(text.data(), static_cast<long>(size));
    // Compiled, then from the cache its first run wrote.
    TCommandManager::Instance().Execute("settings");
    TCommandManager::Instance().Execute("settings");
    TCommandManager::Instance().SaveSettings();
    // A script that did not compile whole is kept aside as it was; so is one a line of which was
    // refused as it ran (an undeclared name), which the parse alone cannot tell.
    const auto saved = SavedFiles();
    const auto aside = std::find_if(saved.begin(), saved.end(), [](const auto& file) {
        return file.first.rfind("settings.icom.unreadable.", 0) == 0;
    });
    if ((program.GetDamagedLine() != 0 && aside == saved.end()) || (aside != saved.end() && aside->second != text))
        __builtin_trap();
    RunSettings();
    TCommandManager::Instance().SaveSettings();
    if (SavedFiles() != saved)
        __builtin_trap();
    TCommandManager::Instance().ExecuteText("command.unbind all");
    return 0;
}
