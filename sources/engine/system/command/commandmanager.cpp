#include "engine/system/command/commandmanager.h"

#include "core/system/log.h"
#include "core/system/namemanager.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "core/system/unistring.h"
#include "engine/localization/localization.h"
#include "engine/system/command/commandmethods.h"
#include "engine/system/command/commandprogram.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"

#include <cstring>

namespace
{

const char* const kVersion = "2.0.1";
const char* const kPrintErrorPrefix = "TCommandManager::PrintError(): error: ";

u32 TextLength(const char* text)
{
    return static_cast<u32>(std::strlen(text));
}

u32 TextLength(const char16_t* text)
{
    return static_cast<u32>(UniLength(text));
}

template <class C> u32 ReplaceText(C* target, u32 capacity, const C* pattern, const C* replacement)
{
    u32 length = TextLength(target);
    const u32 patternLength = TextLength(pattern);
    const u32 replacementLength = TextLength(replacement);
    if (patternLength == 0 || length < patternLength)
        return 0;
    u32 count = 0;
    u32 at = 0;
    while (at + patternLength <= length)
    {
        if (std::memcmp(target + at, pattern, patternLength * sizeof(C)) != 0)
        {
            ++at;
            continue;
        }
        const u32 newLength = length - patternLength + replacementLength;
        if (newLength + 1 > capacity)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "Replace(): error: ", "insufficient target size");
            return count;
        }
        std::memmove(target + at + replacementLength, target + at + patternLength,
                     (length - at - patternLength + 1) * sizeof(C));
        std::memcpy(target + at, replacement, replacementLength * sizeof(C));
        length = newLength;
        at += replacementLength;
        ++count;
    }
    return count;
}

// The text of a name (an environment name).
const char* NameText(u32 id)
{
    TName name;
    name.SetId(id);
    return name.GetText();
}

// The text an environment value expands to: the value's text in the current language, cut to
// 255 wide characters. Only the narrow expansion asks for the value's own references to be
// expanded, so a value that refers to itself cannot recurse.
void ValueText(u32 id, char16_t* out, bool expand)
{
    TName value;
    value.SetId(id);
    TLocalizationManager::Instance().GetText(out, COMMAND_WIDE_VALUE_LENGTH + 1, value, expand);
}

} // namespace

u32 Replace(char* target, u32 capacity, const char* pattern, const char* replacement)
{
    return ReplaceText(target, capacity, pattern, replacement);
}

u32 Replace(char16_t* target, u32 capacity, const char16_t* pattern, const char16_t* replacement)
{
    return ReplaceText(target, capacity, pattern, replacement);
}

TCommandManager* g_pCommandManager = nullptr;

namespace
{
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Command", "Command", &g_pCommandManager, &TCommandManager::Instance());
} // namespace

TCommandManager& TCommandManager::Instance()
{
    static TCommandManager s_Instance;
    return s_Instance;
}

TCommandManager::TCommandManager()
    : m_pListener(nullptr), m_nPrintErrors(1), m_pInstruction(nullptr), m_Source(), m_pInputHooks(nullptr)
{
    // Binds are polled 20 times a second, also while the timer is paused.
    m_nChannel = 2;
    m_nUpdateFlags &= ~MANAGER_UPDATE_SKIP_ZERO;
    CommandSeparatorId();
    SetEnvironmentKeyword(TName("version", true), TName(kVersion, true));
    SetEnvironmentKeyword(TName("systemdirectorytemp", true), TName(GetTempFolder(), true));
    SetEnvironmentKeyword(TName("systemdirectoryuser", true), TName(GetMyGamesFolder(), true));
}

namespace
{
// The dotted name of a command or variable, entered as a keyword too.
TName RegisteredName(const char* name)
{
    const TName id = MakeCommandName(name, true);
    if (g_pNameManager)
        g_pNameManager->AddKeyword(id);
    return id;
}

// Enters the object under its name unless the name is taken (the first keeps it): 0, or 1 when
// the set is full.
template <class S, class T>
u32 InsertNamed(S& set, const TName& id, T* object, const char* prefix, const char* what)
{
    if (set.FindKey(id.GetId()) >= 0)
        return 0;
    if (set.IsFull())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "too many %s (max %d), '%s' not registered", what,
                    S::GetCapacity(), id.GetText());
        return 1;
    }
    set.Insert({id.GetId(), object});
    return 0;
}
} // namespace

u32 TCommandManager::RegisterCommand(const char* name, const char* description, const char* help,
                                     TCommand* command, u32 flag)
{
    const TName id = RegisteredName(name);
    if (m_Commands.FindKey(id.GetId()) >= 0)
        return 0;
    command->m_nName = id.GetId();
    command->m_nFlag = flag;
    command->m_pDescription = description ? description : "";
    command->m_pHelp = help ? help : "";
    return InsertNamed(m_Commands, id, command, "TCommandManager::RegisterCommand(): error: ", "commands");
}

u32 TCommandManager::RegisterVariable(const char* name, const char* description, TVariable* variable)
{
    const TName id = RegisteredName(name);
    variable->m_Name = id;
    variable->m_Description.Set(description, true);
    return InsertNamed(m_Variables, id, variable,
                       "TCommandManager::RegisterVariable(): error: ", "variables");
}

i32 TCommandManager::FindCommandIndex(const TName& name) const
{
    return m_Commands.FindKey(name.GetId());
}

TCommand* TCommandManager::FindCommand(const TName& name) const
{
    return GetCommandAt(FindCommandIndex(name));
}

TCommand* TCommandManager::GetCommandAt(i32 index) const
{
    return index >= 0 && static_cast<u32>(index) < m_Commands.GetCount() ? m_Commands[index].value : nullptr;
}

i32 TCommandManager::FindVariableIndex(const TName& name) const
{
    return m_Variables.FindKey(name.GetId());
}

TVariable* TCommandManager::FindVariable(const TName& name) const
{
    return GetVariableAt(FindVariableIndex(name));
}

TVariable* TCommandManager::GetVariableAt(i32 index) const
{
    return index >= 0 && static_cast<u32>(index) < m_Variables.GetCount() ? m_Variables[index].value
                                                                          : nullptr;
}

u32 TCommandManager::GetSignature() const
{
    const u32 counts[2] = {m_Commands.GetCount(), m_Variables.GetCount()};
    u32 crc = CalculateCrc32(counts, sizeof counts, 0);
    for (u32 i = 0; i < m_Commands.GetCount(); ++i)
        crc = CalculateCrc32(&m_Commands[i].key, sizeof(u32), crc);
    for (u32 i = 0; i < m_Variables.GetCount(); ++i)
        crc = CalculateCrc32(&m_Variables[i].key, sizeof(u32), crc);
    return crc;
}

void TCommandManager::Print(const char* format, ...)
{
    char text[COMMAND_PRINT_SIZE];
    va_list args;
    va_start(args, format);
    FormatStringV(text, sizeof text, format, args);
    va_end(args);
    const char* expanded = ExpandVariables(text);
    if (m_pListener)
        m_pListener->PrintLine(expanded, 0);
}

void TCommandManager::PrintError(const char* format, ...)
{
    if (m_nPrintErrors != 1)
        return;
    char message[COMMAND_PRINT_SIZE];
    va_list args;
    va_start(args, format);
    FormatStringV(message, sizeof message, format, args);
    va_end(args);
    const char* expanded = ExpandVariables(message);
    char line[COMMAND_PRINT_SIZE];
    if (m_Source.IsValid() && m_pInstruction)
    {
        // A script's line refused: a settings file it came from is kept aside, not written over.
        MarkIncomplete(m_Source.GetId());
        FormatStringN(line, sizeof line, "^I%s(%d): error: %s", m_Source.GetText(), m_pInstruction->nLine,
                      expanded);
        TLog::Print(g_pSystemLog, LOG_ERROR, kPrintErrorPrefix, "%s(%d): %s", m_Source.GetText(),
                    m_pInstruction->nLine, expanded);
    }
    else
    {
        FormatStringN(line, sizeof line, "^Ierror: %s", expanded);
        TLog::Print(g_pSystemLog, LOG_ERROR, kPrintErrorPrefix, "%s", expanded);
    }
    if (m_pListener)
        m_pListener->PrintLine(line, 1);
}

u32 TCommandManager::SetPrintErrors(u32 on)
{
    const u32 previous = m_nPrintErrors;
    m_nPrintErrors = on;
    return previous;
}

u32 TCommandManager::InsertEnvironment(const TName& name, const TName& value)
{
    const i32 index = m_Environment.FindKey(name.GetId());
    if (index >= 0)
    {
        if (m_Environment[index].value == value.GetId())
            return ENVIRONMENT_UNCHANGED;
        m_Environment[index].value = value.GetId();
        return ENVIRONMENT_REPLACED;
    }
    if (m_Environment.IsFull())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TCommandManager::SetEnvironment(): error: ",
                    "too many environment values (max %d), '%s' not set", COMMAND_MAX_ENVIRONMENT,
                    name.GetText());
        return ENVIRONMENT_FULL;
    }
    m_Environment.Insert({name.GetId(), value.GetId()});
    return ENVIRONMENT_ADDED;
}

u32 TCommandManager::SetEnvironment(const TName& name, const TName& value)
{
    return InsertEnvironment(name, value);
}

u32 TCommandManager::SetEnvironmentKeyword(const TName& name, const TName& value)
{
    if (g_pNameManager)
    {
        g_pNameManager->AddKeyword(name);
        g_pNameManager->AddKeyword(value);
    }
    return InsertEnvironment(name, value);
}

const char* TCommandManager::ExpandVariables(const char* text)
{
    if (!text || !*text || !std::strchr(text, '$'))
        return text;
    static char s_aBuffer[COMMAND_EXPAND_SIZE];
    FormatStringN(s_aBuffer, sizeof s_aBuffer, "%s", text);
    ExpandVariables(s_aBuffer, sizeof s_aBuffer);
    return s_aBuffer;
}

void TCommandManager::ExpandVariables(char* text, u32 capacity)
{
    for (u32 i = 0; i < m_Environment.GetCount() && std::strchr(text, '$'); ++i)
    {
        char pattern[COMMAND_EXPAND_SIZE];
        FormatStringN(pattern, sizeof pattern, "$(%s)", NameText(m_Environment[i].key));
        if (!std::strstr(text, pattern))
            continue;
        // Narrowed character by character into the engine's 8-bit texts, the way the name's
        // own text was widened: a value without a translation comes back byte for byte.
        char16_t wide[COMMAND_WIDE_VALUE_LENGTH + 1];
        ValueText(m_Environment[i].value, wide, true);
        char value[COMMAND_VALUE_LENGTH + 1];
        const i32 length = UniLength(wide);
        WideToMultiByte(value, sizeof value, wide,
                        length < static_cast<i32>(COMMAND_VALUE_LENGTH) ? length : COMMAND_VALUE_LENGTH);
        Replace(text, capacity, pattern, value);
    }
}

void TCommandManager::ExpandVariables(char16_t* text, u32 capacity)
{
    for (u32 i = 0; i < m_Environment.GetCount(); ++i)
    {
        char16_t pattern[STRING_FORMAT_SIZE]; // the room FormatStringW fills
        FormatStringW(pattern, u"$(%S)", NameText(m_Environment[i].key));
        char16_t value[COMMAND_WIDE_VALUE_LENGTH + 1];
        ValueText(m_Environment[i].value, value, false);
        Replace(text, capacity, pattern, value);
    }
}

u32 TCommandManager::AddBind(const char* key, TCommandBind& bind)
{
    if (m_Binds.GetCount() >= COMMAND_MAX_BINDS)
    {
        PrintError("too many binds (max %d)", COMMAND_MAX_BINDS);
        return 1;
    }
    if (!m_pInputHooks)
    {
        PrintError("'%s': no input manager to read the key", key);
        return 1;
    }
    m_pInputHooks->ParseKey(key, bind.Key);
    bind.Key.nReserved = 0;
    m_Binds.Add(bind);
    return 0;
}

// A bind line carries its key and every command of the bind.
static_assert(COMMAND_MAX_ARGUMENTS >= BIND_MAX_COMMANDS + 1);

u32 TCommandManager::AddCommandBind(const char* key, const char* const* commands, u32 count)
{
    if (count == 0 || count > BIND_MAX_COMMANDS)
    {
        PrintError("a bind takes 1 to %d commands (%d given)", BIND_MAX_COMMANDS, count);
        return 1;
    }
    TCommandBind bind = {};
    for (u32 i = 0; i < count; ++i)
    {
        if (std::strlen(commands[i]) >= bind.aCommand[i].GetCapacity())
        {
            PrintError("'%s': bound command longer than %d characters", commands[i],
                       bind.aCommand[i].GetCapacity() - 1);
            return 1;
        }
        bind.aCommand[i] = commands[i];
    }
    bind.nCount = count;
    return AddBind(key, bind);
}

u32 TCommandManager::AddToggleBind(const char* key, TVariable* variable)
{
    TCommandBind bind = {};
    bind.pToggle = variable;
    return AddBind(key, bind);
}

const char* TCommandManager::KeyToText(const TCommandKey& key) const
{
    return m_pInputHooks ? m_pInputHooks->KeyToText(key) : "";
}

u32 TCommandManager::RemoveBinds(const char* key)
{
    u32 removed = 0;
    for (u32 i = 0; i < m_Binds.GetCount();)
    {
        if (!EqualsIgnoringCase(KeyToText(m_Binds[i].Key), key))
        {
            ++i;
            continue;
        }
        const u32 last = m_Binds.GetCount() - 1;
        if (i != last)
            m_Binds[i] = m_Binds[last];
        m_Binds.SetCount(last);
        ++removed;
    }
    return removed;
}

void TCommandManager::TriggerBinds(const TCommandKey& key)
{
    for (u32 i = 0; i < m_Binds.GetCount(); ++i)
    {
        const TCommandKey& bound = m_Binds[i].Key;
        if (bound.nCode == key.nCode &&
            (bound.nModifiers & KEY_MODIFIERS) == (key.nModifiers & KEY_MODIFIERS))
            m_Binds[i].nTriggered = 1;
    }
}

void TCommandManager::UpdateManager(f32 step)
{
    // A bound command may change the bind list itself, so each bind is re-read by index.
    for (u32 i = 0; i < m_Binds.GetCount(); ++i)
    {
        TCommandBind& bind = m_Binds[i];
        if (!bind.nTriggered)
            continue;
        bind.nTriggered = 0;
        if (bind.pToggle)
        {
            bind.pToggle->SetInt(bind.pToggle->GetValue().ToInt() == 0 ? 1 : 0);
            continue;
        }
        if (bind.nCount == 0)
            continue;
        const SString<64> command = bind.aCommand[bind.nNext];
        bind.nNext = (bind.nNext + 1) % bind.nCount;
        ExecuteText(command.GetText());
    }
}

bool TCommandManager::IsPrivateLine(const char* text, TName* shown) const
{
    // Judged by the parser that runs the line, statement by statement, registering no word of it.
    TCommandProgram program;
    program.Parse(text, PARSE_QUIET | PARSE_UNREGISTERED);
    const u32 separator = CommandSeparatorId();
    bool withheld = program.GetDamagedLine() != 0;
    i32 statements = 0;
    TName first;
    for (i32 i = 0; i < program.GetTokenCount(); ++i)
    {
        if (program.GetToken(i) == separator || (i > 0 && program.GetToken(i - 1) != separator))
            continue;
        TName name;
        name.SetId(program.GetToken(i));
        const TCommand* command = FindCommand(name);
        withheld = withheld || !command || (command->GetFlag() & COMMAND_PRIVATE) != 0;
        if (statements++ == 0 && command)
            first = name;
    }
    // A statement refused whole (too many words) does not run either.
    withheld = withheld || program.GetInstructionCount() != statements;
    if (shown)
        *shown = first;
    return withheld;
}

u32 TCommandManager::ExecuteText(const char* text)
{
    if (!text)
        return 0;
    // A program of its own per call: a command of the text may run text in turn.
    TCommandProgram program;
    const TName source = m_Source;
    m_Source.Clear();
    program.Parse(text);
    // The parse's own lines reach only the log; a line typed at the console is told here.
    if (program.GetDamagedLine() != 0)
        PrintError("the line did not compile whole: the log says which statement and why");
    program.Link();
    program._Execute();
    m_Source = source;
    return 0;
}
