#include "engine/system/command/commandprogram.h"

#include "core/stream/stream.h"
#include "core/system/log.h"
#include "core/system/namemanager.h"
#include "core/system/timer.h"
#include "engine/system/command/command.h"
#include "engine/system/command/commandmanager.h"

#include <cstring>

namespace
{

const char* const kParsePrefix = "TCommandProgram::Parse(): error: ";
const char* const kLoadPrefix = "TCommandProgram::LoadFromStream(): error: ";

// A command that runs longer than this is logged.
constexpr f64 SLOW_COMMAND_SECONDS = 0.1;

// A NUL byte (a damaged file) ends a token like a blank: the words after it still run.
bool EndsToken(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ';' || c == 0;
}

// Little-endian readers over the name block.
u16 ReadU16(const u8* p)
{
    return static_cast<u16>(p[0] | (p[1] << 8));
}

u32 ReadU32(const u8* p)
{
    return static_cast<u32>(p[0]) | (static_cast<u32>(p[1]) << 8) | (static_cast<u32>(p[2]) << 16) |
           (static_cast<u32>(p[3]) << 24);
}

// An argument whose id has no text in the name table (a full one, or a cache of an older build
// that left bare words' texts out). Returns the argument's place, or -1 when every argument has
// its text.
i32 ArgumentWithoutText(const TCommandInstruction& instruction)
{
    for (u32 i = 0; i < instruction.nArgumentCount; ++i)
    {
        TName argument;
        argument.SetId(instruction.aArgument[i]);
        if (argument.IsValid() && !*argument.GetText())
            return static_cast<i32>(i);
    }
    return -1;
}

} // namespace

namespace
{
// The program whose instructions run on this thread (the innermost of nested runs).
thread_local const TCommandProgram* t_pRunning = nullptr;
} // namespace

const char* CommandPrivateText(u32 id)
{
    return t_pRunning ? t_pRunning->FindPrivateText(id) : nullptr;
}

TCommandProgram::~TCommandProgram()
{
    Wipe(m_aTokenText);
    Wipe(m_aPrivateText);
}

void TCommandProgram::Wipe(DArray<char>& texts)
{
    volatile char* bytes = texts.GetData();
    for (i32 i = 0; i < texts.GetCount(); ++i)
        bytes[i] = 0;
    texts.SetCount(0);
}

i32 TCommandProgram::FindPrivateRecord(u32 id) const
{
    for (i32 at = 0; at < m_aPrivateText.GetCount();)
    {
        u32 key;
        std::memcpy(&key, m_aPrivateText.GetData() + at, 4);
        if (key == id)
            return at;
        at += 4 + static_cast<i32>(std::strlen(m_aPrivateText.GetData() + at + 4)) + 1;
    }
    return -1;
}

const char* TCommandProgram::FindPrivateText(u32 id) const
{
    const i32 at = FindPrivateRecord(id);
    return at >= 0 ? m_aPrivateText.GetData() + at + 4 : nullptr;
}

void TCommandProgram::ForgetPrivateText(const TCommandInstruction& instruction)
{
    // The records of a statement come before those of the statements after it: the first one
    // of each argument's id is its own.
    for (u32 i = 0; i < instruction.nArgumentCount; ++i)
    {
        const i32 at = FindPrivateRecord(instruction.aArgument[i]);
        if (at < 0)
            continue;
        const i32 size = 4 + static_cast<i32>(std::strlen(m_aPrivateText.GetData() + at + 4)) + 1;
        const i32 count = m_aPrivateText.GetCount();
        volatile char* bytes = m_aPrivateText.GetData();
        for (i32 k = at; k + size < count; ++k)
            bytes[k] = bytes[k + size];
        for (i32 k = count - size; k < count; ++k)
            bytes[k] = 0;
        m_aPrivateText.SetCount(count - size);
    }
}

u32 CommandSeparatorId()
{
    static const TName s_Separator("<__NC__>", true);
    return s_Separator.GetId();
}

void TCommandProgram::AddName(u32 id)
{
    // Bisection over the ids as signed integers.
    i32 lo = 0;
    i32 hi = m_aName.GetCount();
    while (lo < hi)
    {
        const i32 mid = (lo + hi) / 2;
        const i32 key = static_cast<i32>(m_aName[mid]);
        if (key == static_cast<i32>(id))
            return;
        if (key < static_cast<i32>(id))
            lo = mid + 1;
        else
            hi = mid;
    }
    m_aName.Add(id);
    for (i32 i = m_aName.GetCount() - 1; i > lo; --i)
        m_aName[i] = m_aName[i - 1];
    m_aName[lo] = id;
}

void TCommandProgram::EndToken(const char* start, u32 length, u32 line)
{
    if (length >= COMMAND_TOKEN_SIZE)
    {
        // A statement never runs on a word cut short: it is dropped when it ends.
        MarkDamaged(line);
        if (!(m_nParseFlags & PARSE_QUIET))
            TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix,
                        "%s(%d): token longer than %d characters: the line is refused",
                        TCommandManager::Instance().GetSource().GetText(), line, COMMAND_TOKEN_SIZE - 1);
        m_bStatementRefused = true;
        return;
    }
    // Kept with the program until its statement is known: a private command's words are
    // never registered.
    m_aTokenOffset.Add(m_aTokenText.GetCount());
    for (u32 i = 0; i < length; ++i)
        m_aTokenText.Add(start[i]);
    m_aTokenText.Add(0);
    m_aToken.Add(TName(m_aTokenText.GetData() + m_aTokenOffset[m_aTokenOffset.GetCount() - 1]).GetId());
}

void TCommandProgram::DropStatement()
{
    i32 kept = m_aToken.GetCount();
    while (kept > 0 && m_aToken[kept - 1] != CommandSeparatorId())
        --kept;
    m_aToken.SetCount(kept);
    m_aTokenOffset.SetCount(kept);
    m_bStatementRefused = false;
}

void TCommandProgram::AddSeparator()
{
    if (m_bStatementRefused)
        DropStatement();
    m_aToken.Add(CommandSeparatorId());
    m_aTokenOffset.Add(-1);
}

void TCommandProgram::Tokenize(const char* text, const char* end)
{
    const char* start = text;
    bool inQuote = false;
    bool inComment = false;
    u32 slashes = 0;
    u32 line = 1; // for messages only; instructions count separators
    bool damaged = false;
    u32 quoteLine = 0;
    const char* c = text;
    for (; c < end; ++c)
    {
        // A token that a line feed ends belongs to the line the feed ends.
        const u32 tokenLine = line;
        if (*c == '\n')
            ++line;
        if (*c == 0 && !damaged)
        {
            damaged = true;
            MarkDamaged(line);
            if (!(m_nParseFlags & PARSE_QUIET))
                TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix,
                            "%s(%d): damaged text (a NUL byte): the script does not run whole",
                            TCommandManager::Instance().GetSource().GetText(), line);
        }
        if (inQuote)
        {
            if (*c == '"')
            {
                EndToken(start, static_cast<u32>(c - start), line);
                inQuote = false;
                start = c + 1;
            }
            continue;
        }
        if (inComment)
        {
            if (*c == '\n')
            {
                inComment = false;
                AddSeparator();
                start = c + 1;
            }
            continue;
        }
        slashes = *c == '/' ? slashes + 1 : 0;
        if (slashes == 2)
        {
            // The token that ran into the comment goes with it.
            inComment = true;
            slashes = 0;
            continue;
        }
        if (EndsToken(*c) || *c == '"')
        {
            if (c > start)
                EndToken(start, static_cast<u32>(c - start), tokenLine);
            start = c + 1;
            if (*c == '"')
            {
                inQuote = true;
                quoteLine = tokenLine;
            }
            else if (*c == '\n' || *c == ';')
                AddSeparator();
        }
    }
    if (inQuote && !(m_nParseFlags & PARSE_QUIET))
    {
        // The statement would run on words cut short: it is dropped from its first token on.
        TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix, "%s(%d): quoted text not closed: the line is refused",
                    TCommandManager::Instance().GetSource().GetText(), quoteLine);
        MarkDamaged(quoteLine);
        DropStatement();
    }
    else if (inQuote) // a line being typed
        EndToken(start, static_cast<u32>(c - start), line);
    else if (!inComment && c > start)
        EndToken(start, static_cast<u32>(c - start), line);
    if (m_bStatementRefused)
        DropStatement();
}

void TCommandProgram::BuildInstructions()
{
    const u32 separator = CommandSeparatorId();
    TCommandManager& manager = TCommandManager::Instance();
    u32 line = 1;
    i32 i = 0;
    const i32 count = m_aToken.GetCount();
    while (i < count)
    {
        if (m_aToken[i] == separator)
        {
            ++line;
            ++i;
            continue;
        }
        TCommandInstruction instruction;
        std::memset(&instruction, 0, sizeof instruction);
        instruction.nCommand = m_aToken[i];
        instruction.nLine = static_cast<u16>(line < 0xFFFF ? line : 0xFFFF);
        instruction.nIndex = -1;
        for (i32& word : instruction.aCache)
            word = -1;
        TName command;
        command.SetId(instruction.nCommand);
        const i32 index = manager.FindCommandIndex(command);
        const bool secret = index >= 0 && (manager.GetCommandAt(index)->GetFlag() & COMMAND_PRIVATE);
        // An undeclared command runs nothing: none of its words is registered nor kept (its
        // first letters lost, its command word may be a password), nor are a line's being typed.
        const bool registered = index >= 0 && !(m_nParseFlags & PARSE_UNREGISTERED);
        // Arguments up to the separator; a statement with more than it can hold is refused whole,
        // before any of its words is registered.
        i32 end = i + 1;
        while (end < count && m_aToken[end] != separator)
            ++end;
        const u32 given = static_cast<u32>(end - i - 1);
        if (given > COMMAND_MAX_ARGUMENTS)
        {
            MarkDamaged(instruction.nLine);
            if (!(m_nParseFlags & PARSE_QUIET))
            {
                // Only a declared name is quoted: an undeclared word may be a password.
                if (index >= 0)
                    TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix,
                                "%s(%d): '%s' given %d arguments (max %d): the line is refused",
                                manager.GetSource().GetText(), instruction.nLine, command.GetText(), given,
                                COMMAND_MAX_ARGUMENTS);
                else
                    TLog::Print(g_pSystemLog, LOG_ERROR, kParsePrefix,
                                "%s(%d): undeclared command given %d arguments (max %d): the line is refused",
                                manager.GetSource().GetText(), instruction.nLine, given, COMMAND_MAX_ARGUMENTS);
            }
            i = end;
            if (i < count)
            {
                ++line;
                ++i;
            }
            continue;
        }
        for (++i; i < end; ++i)
        {
            const char* text = m_aTokenText.GetData() + m_aTokenOffset[i];
            if (registered && secret)
            {
                const i32 length = static_cast<i32>(std::strlen(text));
                for (i32 k = 0; k < 4; ++k)
                    m_aPrivateText.Add(static_cast<char>(m_aToken[i] >> (8 * k)));
                for (i32 k = 0; k <= length; ++k)
                    m_aPrivateText.Add(text[k]);
            }
            else if (registered && !secret)
            {
                TName(text, true);
                AddName(m_aToken[i]);
            }
            if (index >= 0)
                instruction.aArgument[instruction.nArgumentCount++] = m_aToken[i];
        }
        if (i < count)
        {
            ++line;
            ++i;
        }
        m_aInstruction.Add(instruction);
    }
}

void TCommandProgram::Parse(const char* text, u32 flags)
{
    Parse(text, static_cast<i32>(std::strlen(text)), flags);
}

void TCommandProgram::Parse(const char* text, i32 length, u32 flags)
{
    m_nParseFlags = flags;
    m_nDamagedLine = 0;
    m_bStatementRefused = false;
    m_aToken.SetCount(0);
    m_aName.SetCount(0);
    m_aInstruction.SetCount(0);
    m_aTokenOffset.SetCount(0);
    Wipe(m_aTokenText);
    Wipe(m_aPrivateText);
    // Room for every word at once: a private word is never left behind by a growing array.
    m_aTokenText.SetCapacity(length + 1);
    m_aPrivateText.SetCapacity(length * 5 + 1);
    Tokenize(text, text + length);
    BuildInstructions();
    if (!(flags & PARSE_UNREGISTERED))
        Wipe(m_aTokenText);
}

const char* TCommandProgram::GetTokenText(i32 i) const
{
    const i32 offset = m_aTokenOffset[i];
    return offset >= 0 && offset < m_aTokenText.GetCount() ? m_aTokenText.GetData() + offset : "";
}

bool TCommandProgram::HoldsPrivate() const
{
    const TCommandManager& manager = TCommandManager::Instance();
    for (i32 i = 0; i < m_aInstruction.GetCount(); ++i)
    {
        const TCommand* command = manager.GetCommandAt(m_aInstruction[i].nIndex);
        if (command && (command->GetFlag() & COMMAND_PRIVATE))
            return true;
    }
    return false;
}

void TCommandProgram::Link()
{
    TCommandManager& manager = TCommandManager::Instance();
    TCommandInstruction* previous = manager.GetInstruction();
    const u32 printErrors = manager.SetPrintErrors(0);
    for (i32 i = 0; i < m_aInstruction.GetCount(); ++i)
    {
        TCommandInstruction& instruction = m_aInstruction[i];
        manager.SetInstruction(&instruction);
        TName command;
        command.SetId(instruction.nCommand);
        instruction.nIndex = manager.FindCommandIndex(command);
        if (instruction.nIndex >= 0)
            manager.GetCommandAt(instruction.nIndex)->Execute(instruction, COMMAND_LINK);
    }
    manager.SetInstruction(previous);
    manager.SetPrintErrors(printErrors);
}

void TCommandProgram::_Execute()
{
    TCommandManager& manager = TCommandManager::Instance();
    TCommandInstruction* previous = manager.GetInstruction();
    const TCommandProgram* running = t_pRunning;
    t_pRunning = this;
    for (i32 i = 0; i < m_aInstruction.GetCount(); ++i)
    {
        TCommandInstruction& instruction = m_aInstruction[i];
        manager.SetInstruction(&instruction);
        TName name;
        name.SetId(instruction.nCommand);
        TCommand* command = instruction.nIndex >= 0 ? manager.GetCommandAt(instruction.nIndex) : nullptr;
        if (!command || command->GetNameId() != instruction.nCommand)
        {
            // Not quoted: the word was never registered, and may be what the player meant to hide.
            manager.PrintError("undeclared command");
            continue;
        }
        const i32 textless = ArgumentWithoutText(instruction);
        if (textless >= 0 && !FindPrivateText(instruction.aArgument[textless]))
        {
            manager.PrintError("'%s': argument %d has no text", name.GetText(), textless + 1);
            continue;
        }
        const f64 start = g_pTimer ? g_pTimer->GetTime() : 0.0;
        command->Execute(instruction, COMMAND_RUN);
        // A password is used once: the run may last as long as the game (the start-up script).
        if (command->GetFlag() & COMMAND_PRIVATE)
            ForgetPrivateText(instruction);
        const f64 seconds = g_pTimer ? g_pTimer->GetTime() - start : 0.0;
        if (seconds > SLOW_COMMAND_SECONDS)
            TLog::Print(g_pSystemLog, LOG_INFO, "TCommandProgram::_Execute(): ", "command '%s' time %.2fs",
                        name.GetText(), seconds);
    }
    manager.SetInstruction(previous);
    t_pRunning = running;
}

u32 TCommandProgram::Save(TStream& stream) const
{
    // Name records {u16 length, u32 id, text, 0}, written byte by byte: they are not aligned.
    DArray<u8> block;
    for (i32 i = 0; i < m_aName.GetCount(); ++i)
    {
        TName name;
        name.SetId(m_aName[i]);
        const char* text = name.GetText();
        const u32 length = static_cast<u32>(std::strlen(text));
        const u8 head[6] = {static_cast<u8>(length),           static_cast<u8>(length >> 8),
                            static_cast<u8>(m_aName[i]),       static_cast<u8>(m_aName[i] >> 8),
                            static_cast<u8>(m_aName[i] >> 16), static_cast<u8>(m_aName[i] >> 24)};
        for (u8 byte : head)
            block.Add(byte);
        for (u32 k = 0; k <= length; ++k)
            block.Add(static_cast<u8>(text[k]));
    }
    const u32 header[5] = {COMMAND_PROGRAM_MAGIC, TCommandManager::Instance().GetSignature(),
                           static_cast<u32>(m_aName.GetCount()), static_cast<u32>(block.GetCount()),
                           static_cast<u32>(m_aInstruction.GetCount())};
    const i32 instructionBytes = m_aInstruction.GetCount() * static_cast<i32>(sizeof(TCommandInstruction));
    bool complete = stream.Write(header, sizeof header) == static_cast<i32>(sizeof header);
    complete = complete && stream.Write(block.GetData(), block.GetCount()) == block.GetCount();
    complete = complete && stream.Write(m_aInstruction.GetData(), instructionBytes) == instructionBytes;
    return complete ? 0 : 1;
}

u32 TCommandProgram::LoadFromStream(TCommandProgram& program, TStream& stream)
{
    u32 header[5];
    if (stream.Read(header, sizeof header) != static_cast<i32>(sizeof header))
        return PROGRAM_SHORT_HEADER;
    if (header[0] != COMMAND_PROGRAM_MAGIC)
        return PROGRAM_WRONG_MAGIC;
    TCommandManager& manager = TCommandManager::Instance();
    if (header[1] != manager.GetSignature())
        return PROGRAM_WRONG_SIGNATURE;
    const u32 nameCount = header[2];
    const u32 blockSize = header[3];
    const u32 instructionCount = header[4];

    // The sizes must fit what the stream still holds before anything is allocated.
    const i64 remaining = static_cast<i64>(stream.GetSize()) - stream.GetPosition();
    const i64 needed =
        static_cast<i64>(blockSize) + static_cast<i64>(instructionCount) * sizeof(TCommandInstruction);
    if (needed > remaining)
        return PROGRAM_SHORT_DATA;

    // The name block grows with the program: large settings scripts carry many names.
    DArray<u8> block;
    block.SetCount(static_cast<i32>(blockSize));
    if (blockSize > 0 &&
        stream.Read(block.GetData(), static_cast<i32>(blockSize)) != static_cast<i32>(blockSize))
        return PROGRAM_SHORT_DATA;

    // Every record must lie inside the block, end in its NUL and carry the id of its text.
    u32 offset = 0;
    for (u32 i = 0; i < nameCount; ++i)
    {
        const u32 room = blockSize - offset;
        const u32 length = room >= 7 ? ReadU16(block.At(offset)) : 0;
        const char* text = room >= 7 ? reinterpret_cast<const char*>(block.At(offset + 6)) : "";
        if (room < 7 || room - 7 < length || text[length] != 0 || std::strlen(text) != length ||
            CalculateCrc32(text, length, 0) != ReadU32(block.At(offset + 2)))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "damaged name record %d", i);
            return PROGRAM_DAMAGED;
        }
        offset += length + 7;
    }
    if (offset != blockSize)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "name block of %d bytes does not hold %d names",
                    blockSize, nameCount);
        return PROGRAM_DAMAGED;
    }

    DArray<TCommandInstruction> instructions;
    instructions.SetCount(static_cast<i32>(instructionCount));
    const i32 instructionBytes = static_cast<i32>(instructionCount * sizeof(TCommandInstruction));
    if (instructionBytes > 0 && stream.Read(instructions.GetData(), instructionBytes) != instructionBytes)
        return PROGRAM_SHORT_DATA;
    for (u32 i = 0; i < instructionCount; ++i)
    {
        const TCommandInstruction& instruction = instructions[i];
        const TCommand* command =
            instruction.nIndex >= 0 ? manager.GetCommandAt(instruction.nIndex) : nullptr;
        if (instruction.nArgumentCount > COMMAND_MAX_ARGUMENTS || instruction.nIndex < -1 ||
            (instruction.nIndex >= 0 && (!command || command->GetNameId() != instruction.nCommand)))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadPrefix, "damaged instruction %d", i);
            return PROGRAM_DAMAGED;
        }
    }

    program.m_aToken.SetCount(0);
    program.m_aName.SetCount(0);
    program.m_aInstruction.SetCount(0);
    Wipe(program.m_aPrivateText);
    offset = 0;
    for (u32 i = 0; i < nameCount; ++i)
    {
        const u32 length = ReadU16(block.At(offset));
        const u32 id = ReadU32(block.At(offset + 2));
        const char* text = reinterpret_cast<const char*>(block.At(offset + 6));
        if (g_pNameManager && g_pNameManager->Add(id, text) >= 0)
        {
            TName loaded;
            loaded.SetId(id);
            g_pNameManager->AddKeyword(loaded);
        }
        program.AddName(id);
        offset += length + 7;
    }
    // Every argument's text travels with the program (or is a name of this run's); a cache
    // that left some out runs otherwise than its source would.
    for (u32 i = 0; i < instructionCount; ++i)
    {
        const i32 textless = ArgumentWithoutText(instructions[i]);
        if (textless >= 0)
        {
            TLog::Print(g_pSystemLog, LOG_INFO,
                        "TCommandProgram::LoadFromStream(): ", "line %d: argument %d without its text",
                        instructions[i].nLine, textless + 1);
            program.m_aName.SetCount(0);
            return PROGRAM_WITHOUT_TEXT;
        }
    }
    for (u32 i = 0; i < instructionCount; ++i)
        program.m_aInstruction.Add(instructions[i]);
    return PROGRAM_LOADED;
}
