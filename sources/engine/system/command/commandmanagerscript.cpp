// The script side of the command manager: running scripts through their cached programs, the
// settings script and console completion.
#include "core/cluster/cluster.h"
#include "core/stream/filestream.h"
#include "core/stream/filestreammanager.h"
#include "core/stream/memorystream.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandprogram.h"
#include "engine/system/command/deferredvariable.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace
{

const char* const kCompileError = "TCommandManager::Compile(): error: ";

const char* UserDirectoryText()
{
    return GetUserDirectory()->GetText();
}

// The folder of the cached programs inside the temp folder.
const char* CacheFolder()
{
    return StringFormat(".vestamorcache/%s/.command/", GetProductName()->GetText());
}

constexpr u32 PATH_SIZE = 256;

// Formats a file path; a path that does not fit its 256-character text is refused with a log
// line rather than cut into another file's name.
bool FormatPath(SString<PATH_SIZE>& path, const char* format, ...)
{
    char text[STRING_FORMAT_SIZE];
    va_list args;
    va_start(args, format);
    const i32 length = FormatStringV(text, sizeof text, format, args);
    va_end(args);
    if (length >= static_cast<i32>(PATH_SIZE) - 1)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TCommandManager: error: ", "path too long '%s'", text);
        return false;
    }
    path = text;
    return true;
}

bool IsCachable(const TCommandProgram& program)
{
    return program.GetDamagedLine() == 0 && !program.HoldsPrivate();
}

TName CacheName(const char* script)
{
    return TName(StringFormat("%s%08x.icom", CacheFolder(), TName(script).GetId()), true);
}

// The settings sections, in the order they are written, and the variable naming each one's file.
enum TSettingsSection
{
    SECTION_STARTUP_VARIABLES,
    SECTION_VARIABLES,
    SECTION_COMMAND_BINDS,
    SECTION_INPUT_ACTIONS,
    SECTION_COUNT
};

TDeferredVariable& SectionFile(u32 section)
{
    static TDeferredVariable s_aFile[SECTION_COUNT] = {
        TDeferredVariable("command_save_startupvariables"), TDeferredVariable("command_save_variables"),
        TDeferredVariable("command_save_commandbinds"), TDeferredVariable("command_save_inputaction")};
    return s_aFile[section];
}

u32 SectionFileId(u32 section)
{
    const TVariableValue& value = SectionFile(section).GetValue();
    return value.nType == VALUE_NAME ? value.nName : 0;
}

void SortTogether(TCompletionList& candidates, TCompletionList& descriptions)
{
    const i32 count = candidates.GetCount();
    for (i32 pass = 0; pass + 1 < count; ++pass)
        for (i32 i = 0; i + 1 < count - pass; ++i)
            if (std::strcmp(candidates[i].aText, candidates[i + 1].aText) > 0)
            {
                const TCompletionText candidate = candidates[i];
                candidates[i] = candidates[i + 1];
                candidates[i + 1] = candidate;
                if (i + 1 < descriptions.GetCount())
                {
                    const TCompletionText description = descriptions[i];
                    descriptions[i] = descriptions[i + 1];
                    descriptions[i + 1] = description;
                }
            }
}

} // namespace

u32 TCommandManager::_Compile(const TName& source, const TName& cache, TCommandProgram& program)
{
    TFileStream input;
    if (input.Open(source, STREAM_READ) != 1)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCompileError, "missing resource '%s'", source.GetText());
        return SCRIPT_MISSING_SOURCE;
    }
    const i32 size = input.GetSize();
    if (size < 0 || size > COMMAND_MAX_SCRIPT_SIZE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCompileError, "'%s': size %d out of range (max %d)",
                    source.GetText(), size, COMMAND_MAX_SCRIPT_SIZE);
        return SCRIPT_NOT_A_FILE;
    }
    DArray<char> text;
    text.SetCount(size + 1);
    // Read straight into the text, which is wiped after the parse: a script may carry passwords.
    input.SetBuffer(0, nullptr);
    const i32 read = size > 0 ? input.Read(text.GetData(), size) : 0;
    text[read > 0 ? read : 0] = 0;
    input.Close();
    // A script cut short would run other commands than its file holds.
    if (read != size)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCompileError, "'%s': read %d of %d bytes", source.GetText(),
                    read, size);
        TCommandProgram::Wipe(text);
        return SCRIPT_MISSING_SOURCE;
    }

    program.Parse(text.GetData(), read, 0);
    TCommandProgram::Wipe(text);
    program.Link();
    // A cache keeps neither passwords nor a damage that each run must report: such a script is
    // compiled at every run.
    if (!IsCachable(program))
    {
        char16_t path[STRING_FORMAT_SIZE];
        FormatStringW(path, u"%S%S", GetTempFolder(), cache.GetText());
        __FileDelete(path);
        return SCRIPT_OK;
    }

    TFileStream output;
    if (output.Open(cache, STREAM_TEMP | STREAM_WRITE | STREAM_CREATE_PATH) != 1)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCompileError, "unable to open file '%s'", cache.GetText());
        return SCRIPT_CACHE_NOT_WRITABLE;
    }
    const u32 saved = program.Save(output);
    output.Close();
    if (saved != 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCompileError, "unable to write file '%s'", cache.GetText());
        return SCRIPT_CACHE_NOT_WRITABLE;
    }
    return SCRIPT_OK;
}

u32 TCommandManager::Compile(const TName& source, const TName& cache)
{
    TCommandProgram program;
    return _Compile(source, cache, program);
}

u32 TCommandManager::Run(const char* name, const TName& source, bool system)
{
    const char* prefix = system ? "TCommandManager::__SystemExecute(): " : "TCommandManager::Execute(): ";
    // Refused in the calling script's name, with its line.
    for (u32 i = 0; i < m_aRunning.GetCount(); ++i)
        if (m_aRunning[i] == source.GetId())
        {
            PrintError("'%s': already running (a script may not run itself)", source.GetText());
            return SCRIPT_NESTED_TOO_DEEP;
        }
    if (m_aRunning.GetCount() >= COMMAND_MAX_SCRIPT_DEPTH)
    {
        PrintError("'%s': scripts nested deeper than %d", source.GetText(), COMMAND_MAX_SCRIPT_DEPTH);
        return SCRIPT_NESTED_TOO_DEEP;
    }
    const bool present = FileExists(source.GetText()) != 0;
    if (present && !IsRegularFile(source.GetText()))
    {
        PrintError("'%s': not a file", source.GetText());
        if (system)
            g_pFileStreamManager->SetLocked(1);
        return SCRIPT_NOT_A_FILE;
    }
    const TName cache = CacheName(name);
    const TName outerSource = m_Source;
    m_Source = source;

    TCommandProgram program;
    bool loaded = false;
    if (CompareFileWriteTimes(source.GetText(), cache.GetText()) != 0)
        TLog::Print(g_pSystemLog, LOG_INFO, prefix, "command source file '%s' changed", source.GetText());
    else if (present) // else the compile below reports the missing source
    {
        TFileStream stream;
        if (stream.Open(cache, STREAM_TEMP | STREAM_READ) == 1)
            loaded = TCommandProgram::LoadFromStream(program, stream) == PROGRAM_LOADED;
    }
    if (!loaded)
    {
        const u32 compiled = _Compile(source, cache, program);
        if (compiled == SCRIPT_MISSING_SOURCE || compiled == SCRIPT_NOT_A_FILE)
        {
            // There and refused (its size, a read cut short): not a file to write over.
            if (present)
                MarkIncomplete(source.GetId());
            m_Source = outerSource;
            if (system)
                g_pFileStreamManager->SetLocked(1);
            else // the compile's line reaches only the log; exec is typed at the console
                PrintError("'%s': missing or unreadable script", source.GetText());
            return compiled;
        }
        // A cache that cannot be written stays stale; the program just compiled runs as it is.
        if (compiled == SCRIPT_OK && IsCachable(program))
            SetFileWriteTime(cache.GetText(), GetFileWriteTime(0, source.GetText()));
    }
    // The settings written over it would hold only what ran.
    if (program.GetDamagedLine() != 0)
        MarkIncomplete(source.GetId());
    if (system)
    {
        g_pFileStreamManager->SetLocked(1);
        if (program.GetInstructionCount() == 0)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TCommandManager::__SystemExecute(): error: ",
                        "'%s' holds no command", source.GetText());
            m_Source = outerSource;
            return SCRIPT_EMPTY;
        }
        TLog::Print(g_pSystemLog, LOG_INFO, prefix, "execute");
    }
    m_aRunning.Add(source.GetId());
    program._Execute();
    m_aRunning.SetCount(m_aRunning.GetCount() - 1);
    m_Source = outerSource;
    return SCRIPT_OK;
}

u32 TCommandManager::Execute(const char* name)
{
    // Opening a file now would be the fatal misuse of the lock: the script is refused instead.
    if (FileSystemLocked())
    {
        PrintError("'%s': the file system is locked (system.directory opens it)", name);
        return SCRIPT_FILE_SYSTEM_LOCKED;
    }
    SString<PATH_SIZE> user;
    SString<PATH_SIZE> working;
    if (!FormatPath(user, "%s/system/%s.icom", UserDirectoryText(), name) ||
        !FormatPath(working, "system/%s.icom", name))
        return SCRIPT_MISSING_SOURCE;
    const char* source = FileExists(user.GetText()) ? user.GetText() : working.GetText();
    return Run(name, TName(source, true), false);
}

u32 TCommandManager::__SystemExecute(const char* name)
{
    TLog::Print(g_pSystemLog, LOG_INFO, "TCommandManager::__SystemExecute(): ", "'%s'", name);
    SString<PATH_SIZE> source;
    if (!FormatPath(source, "%s.icom", name))
        return SCRIPT_MISSING_SOURCE;
    g_pFileStreamManager->SetDirectory(TName(".", true));
    return Run(name, TName(source.GetText(), true), true);
}

void TCommandManager::PurgeCache()
{
    char16_t folder[STRING_FORMAT_SIZE];
    FormatStringW(folder, u"%S%S", GetTempFolder(), CacheFolder());
    __DirectoryDelete(folder);
}

void TCommandManager::WriteSettings(const TName& file, TStream& stream)
{
    const bool startup = SectionFileId(SECTION_STARTUP_VARIABLES) == file.GetId();
    const bool variables = SectionFileId(SECTION_VARIABLES) == file.GetId();
    for (u32 pass = 0; pass < 2; ++pass)
    {
        // Startup variables first, then the others.
        const u32 wanted = pass == 0 ? VARIABLE_STARTUP : 0;
        if ((pass == 0 && !startup) || (pass == 1 && !variables))
            continue;
        stream.WriteText(pass == 0 ? "\n// startup variables\n" : "\n// variables\n");
        for (u32 i = 0; i < m_Variables.GetCount(); ++i)
        {
            const TVariable* variable = m_Variables[i].value;
            const i32 oneOff = FindOneOff(variable);
            const u32 flags = oneOff < 0 ? variable->GetFlags() : m_aOneOff[oneOff].nKeptFlags;
            const TVariableValue& value = oneOff < 0 ? variable->GetValue() : m_aOneOff[oneOff].Kept;
            if ((flags & VARIABLE_CHANGED) && !(flags & VARIABLE_NOT_SAVED) &&
                (flags & VARIABLE_STARTUP) == wanted)
                stream.WriteText(StringFormat("set %s %s\n", variable->GetName().GetText(), value.ToScript()));
        }
    }
    if (SectionFileId(SECTION_COMMAND_BINDS) == file.GetId())
    {
        stream.WriteText("\n// command binds\n");
        for (u32 i = 0; i < m_Binds.GetCount(); ++i)
        {
            const TCommandBind& bind = m_Binds[i];
            const char* key = KeyToText(bind.Key);
            if (bind.pToggle)
            {
                stream.WriteText(
                    StringFormat("command.toggle \"%s\" %s\n", key, bind.pToggle->GetName().GetText()));
                continue;
            }
            stream.WriteText(StringFormat("command.bind \"%s\" ", key));
            for (u32 k = 0; k < bind.nCount; ++k)
                stream.WriteText(StringFormat("\"%s\" ", bind.aCommand[k].GetText()));
            stream.WriteText("\n");
        }
    }
    if (SectionFileId(SECTION_INPUT_ACTIONS) == file.GetId())
    {
        stream.WriteText("\n// input actions\n");
        if (m_pInputHooks)
            m_pInputHooks->WriteActions(stream);
    }
}

namespace
{
const char* const kSaveError = "TCommandManager::SaveSettings(): error: ";

// A settings script that did not run whole is renamed aside, never written over: what replaces
// it holds only what ran. False when it is there and cannot be moved.
bool KeepAside(const char* path)
{
    char from[PATH_SIZE];
    FormatStringN(from, PATH_SIZE, "%s", path);
    ToSystemPath(from);
    struct stat info;
    if (lstat(from, &info) != 0 && errno == ENOENT)
        return true;
    for (u32 n = 1; n < 100; ++n)
    {
        SString<PATH_SIZE> aside;
        if (!FormatPath(aside, "%s.unreadable.%d", path, n))
            break;
        char to[PATH_SIZE];
        FormatStringN(to, PATH_SIZE, "%s", aside.GetText());
        ToSystemPath(to);
        if (lstat(to, &info) == 0)
            continue;
        if (std::rename(from, to) != 0)
            break;
        TLog::Print(g_pSystemLog, LOG_ERROR, kSaveError, "'%s' did not run whole: kept aside as '%s'", path,
                    aside.GetText());
        return true;
    }
    return false;
}

// Written whole under a temporary name first: a full disk keeps the previous settings. Returns
// null when the file was replaced, else why it was not.
const char* ReplaceSettingsFile(const char* path, TMemoryStream& text, bool incomplete)
{
    SString<PATH_SIZE> temporary;
    if (!FormatPath(temporary, "%s.tmp", path))
        return "was not written: its path is too long";
    // The player made it read-only: it stays as the player keeps it.
    char existing[PATH_SIZE];
    FormatStringN(existing, PATH_SIZE, "%s", path);
    ToSystemPath(existing);
    struct stat info;
    if (stat(existing, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return "is read-only: it is left as it is";
    TFileStream stream;
    if (stream.Open(TName(temporary.GetText(), true), STREAM_WRITE | STREAM_CREATE_PATH) != 1)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kSaveError, "unable to open file '%s'", temporary.GetText());
        return "was not written; the previous one is kept";
    }
    stream.SetBuffer(0, nullptr);
    const bool written = stream.Write(text.GetData(), text.GetSize()) == text.GetSize();
    stream.Close();
    char from[PATH_SIZE];
    char to[PATH_SIZE];
    FormatStringN(from, PATH_SIZE, "%s", temporary.GetText());
    FormatStringN(to, PATH_SIZE, "%s", path);
    ToSystemPath(from);
    ToSystemPath(to);
    if (written && incomplete && !KeepAside(path))
    {
        std::remove(from);
        return "did not run whole and cannot be kept aside: it is not written";
    }
    if (!written || std::rename(from, to) != 0)
    {
        std::remove(from);
        return "was not written; the previous one is kept";
    }
    return nullptr;
}
} // namespace

i32 TCommandManager::FindIncomplete(u32 source) const
{
    for (i32 i = 0; i < m_aIncomplete.GetCount(); ++i)
        if (m_aIncomplete[i] == source)
            return i;
    return -1;
}

void TCommandManager::MarkIncomplete(u32 source)
{
    if (FindIncomplete(source) < 0)
        m_aIncomplete.Add(source);
}

i32 TCommandManager::FindOneOff(const TVariable* variable) const
{
    for (i32 i = 0; i < m_aOneOff.GetCount(); ++i)
        if (m_aOneOff[i].pVariable == variable)
            return i;
    return -1;
}

void TCommandManager::SetOneOff(TVariable* variable, i32 value)
{
    // Given twice, the player's value is still the one before the first.
    const i32 at = FindOneOff(variable);
    const TOneOff kept = at < 0 ? TOneOff{variable, variable->GetValue(), variable->GetFlags()} : m_aOneOff[at];
    variable->SetInt(value);
    ForgetOneOff(variable);
    m_aOneOff.Add(kept);
}

void TCommandManager::ForgetOneOff(const TVariable* variable)
{
    const i32 at = FindOneOff(variable);
    if (at < 0)
        return;
    m_aOneOff[at] = m_aOneOff[m_aOneOff.GetCount() - 1];
    m_aOneOff.SetCount(m_aOneOff.GetCount() - 1);
}

void TCommandManager::SaveSettings()
{
    // The files in the order of their variables; a file named twice is written twice alike.
    static const u32 s_aOrder[SECTION_COUNT] = {SECTION_VARIABLES, SECTION_STARTUP_VARIABLES,
                                                SECTION_COMMAND_BINDS, SECTION_INPUT_ACTIONS};
    // Without one the files would be written into the root folder.
    if (!*UserDirectoryText())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TCommandManager::SaveSettings(): error: ", "no user directory");
        return;
    }
    for (u32 section : s_aOrder)
    {
        TName file;
        file.SetId(SectionFileId(section));
        if (!file.IsValid())
            continue;
        SString<PATH_SIZE> path;
        if (!FormatPath(path, "%s/system/%s.icom", UserDirectoryText(), file.GetText()))
            continue;
        TMemoryStream text;
        WriteSettings(file, text);
        const i32 incomplete = FindIncomplete(TName(path.GetText()).GetId());
        if (const char* failure = ReplaceSettingsFile(path.GetText(), text, incomplete >= 0))
        {
            // The log may be what cannot be written (a full disk, a read-only folder).
            TLog::Print(g_pSystemLog, LOG_ERROR, kSaveError, "'%s' %s", path.GetText(), failure);
            std::fprintf(stderr, "%s'%s' %s\n", kSaveError, path.GetText(), failure);
        }
        else if (incomplete >= 0)
        {
            m_aIncomplete[incomplete] = m_aIncomplete[m_aIncomplete.GetCount() - 1];
            m_aIncomplete.SetCount(m_aIncomplete.GetCount() - 1);
        }
    }
}

void TCommandManager::EndManager()
{
    // What the player set during the run (the options, the console) comes back at the next start.
    if (!*UserDirectoryText())
        return;
    // The input actions and what the options show come with the game's data: a run without
    // them would write the binds of the few actions the code makes over the player's.
    if (!g_pCluster || !g_pCluster->IsLoaded())
    {
        TLog::Print(g_pSystemLog, LOG_WARNING, "TCommandManager::EndManager(): warning: ",
                    "the run loaded no data: the settings are not saved");
        return;
    }
    SaveSettings();
}

void TCommandManager::Complete(const char* text, TCompletionList& candidates, TCompletionList& descriptions)
{
    candidates.SetCount(0);
    descriptions.SetCount(0);
    if (!text || !*text)
        return;
    // A line being typed: an open quote or a long word is no error yet, and no word of it (each
    // key a new prefix of a password) enters the name table.
    TCommandProgram program;
    program.Parse(text, PARSE_QUIET | PARSE_UNREGISTERED);
    // The tokens of the first statement.
    i32 count = 0;
    while (count < program.GetTokenCount() && program.GetToken(count) != CommandSeparatorId())
        ++count;
    if (count == 0)
        return;
    const size_t length = std::strlen(text);
    const bool endsWithBlank = text[length - 1] == ' ';
    TName first;
    first.SetId(program.GetToken(0));

    if (TCommand* command = FindCommand(first))
    {
        const i32 before = endsWithBlank ? count : count - 1;
        SString<COMMAND_EXPAND_SIZE> typed;
        typed = "";
        for (i32 i = 0; i < before; ++i)
        {
            const char* token = program.GetTokenText(i);
            if (typed.GetLength() + std::strlen(token) + 2 > typed.GetCapacity())
                break;
            typed.Append(token);
            typed.Append(" ");
        }
        command->Complete(typed.GetText(), before, endsWithBlank ? "" : program.GetTokenText(count - 1), candidates,
                          descriptions);
        // The words typed after the command may hold a password.
        volatile char* bytes = typed.GetData();
        for (u32 i = 0; i < typed.GetCapacity(); ++i)
            bytes[i] = 0;
    }
    else if (count == 1 && !endsWithBlank)
    {
        for (u32 i = 0; i < m_Commands.GetCount(); ++i)
        {
            const TCommand* candidate = m_Commands[i].value;
            TName name;
            name.SetId(m_Commands[i].key);
            if ((candidate->GetFlag() & COMMAND_HIDDEN) == 0 && std::strstr(name.GetText(), program.GetTokenText(0)))
            {
                AddCompletion(candidates, StringFormat("%s ", name.GetText()));
                AddCompletion(descriptions, candidate->GetDescription());
            }
        }
    }
    SortTogether(candidates, descriptions);
}
