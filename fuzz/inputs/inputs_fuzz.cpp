// Feeds arbitrary bytes to the small readers of outside input; the first byte picks one:
//   0 the key store file, read when a key opens and a value is asked, then written
//   1 the program's arguments (split at zero bytes), joined into the command line and parsed
//   2 the leaderboard file, under a configuration taken from the next two bytes
//   3 an account reply as it arrives on the connection: length word and body
//   4 clipboard text, pasted into an edit and read by the console
//   5 the intro record (its images missing), then frame steps in seconds, drawn on a small screen
//   6 `user-dirs.dirs`, read once a process when the documents folder is first asked for (so in
//     a child process of its own)
// Each must refuse or cut what does not fit, never crash or read outside what it was given;
// a damaged key store is kept aside, never lost.
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/platform.h"
#include "core/system/registrykey.h"
#include "engine/system/commandline.h"
#include "igame/loading/intro.h"
#include "igame/loading/uiintro.h"
#include "network/account/accountmessage.h"
#include "platform/desktop/clipboard.h"
#include "player/leaderboard.h"
#include "ui/uiedit.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
std::string s_Folder;

void KeyStore(const u8* data, size_t size)
{
    const std::string file = GetRegistryFile();
    std::filesystem::remove_all(s_Folder);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<long>(size));
    TRegistryKey key;
    if (key.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), "Software\\Brevicorn\\Morvane", true))
    {
        if (const TRegistryValue* value = key.GetValue("Username"); value && value->size > REGISTRY_VALUE_SIZE)
            __builtin_trap();
        key.GetUsername();
        key.GetSecurityToken();
        const u32 word = 7;
        key.SetValue("Fuzz", REGISTRY_DWORD, &word, sizeof word);
    }
    // A store set aside holds what the file held, byte for byte.
    std::ifstream aside(file + ".unreadable.1", std::ios::binary);
    const std::string held((std::istreambuf_iterator<char>(aside)), std::istreambuf_iterator<char>());
    if (aside && held != std::string(reinterpret_cast<const char*>(data), size))
        __builtin_trap();
}

// The line being parsed and its length before the parser cut it into tokens.
const char* s_pLine = nullptr;
size_t s_nLine = 0;

i32 CheckToken(const char* name, const char* value, i32 unused, i32 index)
{
    const char* end = s_pLine + s_nLine;
    if (!name || name < s_pLine || name > end || (value && (value < s_pLine || value > end)))
        __builtin_trap();
    return ApplyCommandLineParameter(name, value, unused, index);
}

void CommandLine(const u8* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<const char*> argv{"morvanesim"};
    for (size_t at = 0; at < text.size() && argv.size() < 64; at = text.find('\0', at) + 1)
    {
        argv.push_back(text.c_str() + at);
        if (text.find('\0', at) == std::string::npos)
            break;
    }
    SetCommandLine(static_cast<int>(argv.size()), argv.data());
    const char* line = GetCommandLine();
    if (std::strlen(line) >= COMMAND_LINE_SIZE)
        __builtin_trap();
    char copy[COMMAND_LINE_SIZE];
    std::strcpy(copy, line);
    s_pLine = copy;
    s_nLine = std::strlen(copy);
    ParseCommandLine(copy, CheckToken);
}

TLeaderboardEntry* MakeEntry()
{
    return MemoryNew<TLeaderboardEntry>();
}

void Leaderboard(const u8* data, size_t size)
{
    if (size < 2)
        return;
    const u32 lists = data[0] % 8, entries = data[1] % 32;
    TLeaderboard board;
    board.Configure(lists, entries, MakeEntry);
    TMemoryStream stream;
    stream.Write(data + 2, static_cast<i32>(size - 2));
    stream.Seek(0, 0);
    board.OnLoad(1, stream);
    if (board.GetListCount() > lists)
        __builtin_trap();
    for (u32 i = 0; i < board.GetListCount(); ++i)
        if (static_cast<u32>(board.GetList(i).GetCount()) > entries)
            __builtin_trap();
}

void AccountFrame(const u8* data, size_t size)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        std::abort();
    // The pair's buffer takes a whole frame (a length word and 4,096 bytes) at once.
    const size_t sent = size < 8192 ? size : 8192;
    if (write(ends[0], data, sent) != static_cast<ssize_t>(sent))
        std::abort();
    shutdown(ends[0], SHUT_WR);
    static TAccountMessage s_Reply;
    winsock::SOCKET socket = static_cast<winsock::SOCKET>(ends[1]);
    if (s_Reply.Receive(&socket, 50) == ACCOUNT_RECEIVED &&
        (s_Reply.GetLength() > ACCOUNT_BODY_SIZE || s_Reply.GetLength() % 16 != 0 || s_Reply.GetPosition() != 0))
        __builtin_trap();
    close(ends[0]);
    close(ends[1]);
}

void Clipboard(const u8* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    PlatformClipboardSetText(text.c_str());
    TUIEdit edit;
    edit.Paste(ClipboardGetText());
    if (edit.GetLength() > UI_EDIT_MAXIMUM || edit.GetText()[edit.GetLength()] != 0)
        __builtin_trap();
    const char* narrow = ClipboardGetTextA();
    if (std::strlen(narrow) > 3 * std::strlen(text.c_str()))
        __builtin_trap();
}
void Intro(const u8* data, size_t size)
{
    TUIIntro record = {};
    std::memcpy(&record, data, size < sizeof record ? size : sizeof record);
    for (TTexture*& texture : record.aTexture)
        texture = nullptr;
    constexpr i32 WIDTH = 64, HEIGHT = 48;
    HDC image = CreateCompatibleDC(nullptr), frame[2];
    HBITMAP bitmap[2];
    void* bits[2];
    for (i32 i = 0; i < 2; ++i)
    {
        frame[i] = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), WIDTH, HEIGHT, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap[i] = CreateDIBSection(frame[i], &info, DIB_RGB_COLORS, &bits[i], nullptr, 0);
        SelectObject(frame[i], bitmap[i]);
    }
    TIntro intro;
    if (intro.Initialize(image, record) == 0)
    {
        if (intro.GetImageCount() > INTRO_IMAGE_CAPACITY)
            __builtin_trap();
        for (size_t at = sizeof record, frames = 0; at + 4 <= size && frames < 64; at += 4, ++frames)
        {
            f32 dt;
            std::memcpy(&dt, data + at, sizeof dt);
            if (intro.DrawFrame(frame[0], frame[1], image, dt, WIDTH, HEIGHT) == 0)
                break;
            const f32 opacity = intro.GetOpacity();
            if (intro.GetIndex() > intro.GetImageCount() || opacity < 0.0f || opacity > 1.0f)
                __builtin_trap();
        }
        intro.Release();
    }
    for (i32 i = 0; i < 2; ++i)
    {
        DeleteDC(frame[i]);
        DeleteObject(bitmap[i]);
    }
    DeleteDC(image);
}
void UserDirs(const u8* data, size_t size)
{
    const pid_t child = fork();
    if (child < 0)
        std::abort();
    if (child == 0)
    {
        std::filesystem::create_directories(s_Folder);
        std::ofstream(s_Folder + "/user-dirs.dirs", std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<long>(size));
        unsetenv("XDG_DOCUMENTS_DIR");
        setenv("HOME", "/home/pilot", 1);
        const char* folder = GetMyGamesFolder();
        const size_t length = std::strlen(folder);
        // A folder of the file is absolute; the fall-backs lie in the home folder.
        _exit(folder[0] == '/' && length >= 9 && std::strcmp(folder + length - 9, "/My Games") == 0 ? 0 : 1);
    }
    // libFuzzer's alarm interrupts the wait now and then.
    int status = 0;
    pid_t waited;
    do
        waited = waitpid(child, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (waited != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    // The key store lives under a scratch configuration folder; the clipboard is the program's.
    char folder[] = "/tmp/vestamor-inputs-fuzz.XXXXXX";
    if (!mkdtemp(folder))
        std::abort();
    s_Folder = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("VESTAMOR_HEADLESS", "1", 1);
    std::atexit([] { std::filesystem::remove_all(s_Folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    switch (data[0] % 7)
    {
    case 0:
        KeyStore(data + 1, size - 1);
        break;
    case 1:
        CommandLine(data + 1, size - 1);
        break;
    case 2:
        Leaderboard(data + 1, size - 1);
        break;
    case 3:
        AccountFrame(data + 1, size - 1);
        break;
    case 4:
        Clipboard(data + 1, size - 1);
        break;
    case 5:
        Intro(data + 1, size - 1);
        break;
    default:
        UserDirs(data + 1, size - 1);
        break;
    }
    return 0;
}
