#pragma once
// TCommandProgram: a command script compiled into fixed-size instructions, with the names
// whose texts travel with it in the "cp10" cache file.
#include "core/system/templates/darray.h"
#include "engine/system/command/commandinstruction.h"

class TStream;

// The bytes "cp10".
constexpr u32 COMMAND_PROGRAM_MAGIC = 0x30317063;
constexpr u32 COMMAND_PROGRAM_HEADER_SIZE = 20;
// A token holds at most this many characters; longer ones are cut.
constexpr u32 COMMAND_TOKEN_SIZE = 128;

// LoadFromStream results.
constexpr u32 PROGRAM_LOADED = 0;
constexpr u32 PROGRAM_SHORT_HEADER = 1;
constexpr u32 PROGRAM_WRONG_MAGIC = 2;
constexpr u32 PROGRAM_WRONG_SIGNATURE = 3;
constexpr u32 PROGRAM_SHORT_DATA = 4;
constexpr u32 PROGRAM_DAMAGED = 5; // names or instructions that do not hold together
constexpr u32 PROGRAM_WITHOUT_TEXT = 6; // an argument whose text it does not carry

// Parse flags: a line being typed: no log lines for an open quote or a token cut short, and
// the words of an open quote are kept.
constexpr u32 PARSE_QUIET = 1;
// No word enters the name table (a line being typed, or judged before it runs): the token texts
// stay with the program (GetTokenText) until the next parse or its end, and are wiped then.
constexpr u32 PARSE_UNREGISTERED = 2;

// The token that ends a statement: the id of "<__NC__>".
u32 CommandSeparatorId();
// The text of an argument of a private command (COMMAND_PRIVATE: passwords) in the program
// running on this thread; null when it holds none. Such words never enter the name table nor a
// cached program: they live in the program only, and are wiped once their statement has run.
const char* CommandPrivateText(u32 id);

class TCommandProgram
{
public:
    // Compiles a NUL-terminated text: tokens first, then one instruction per statement.
    // Replaces what the program held.
    void Parse(const char* text, u32 flags = 0);
    // Compiles length bytes (a file's): a NUL byte among them is damage, logged with its line.
    void Parse(const char* text, i32 length, u32 flags);
    ~TCommandProgram();
    // Looks every command up (its place in the command set, or -1) and lets it prepare;
    // errors are not printed meanwhile.
    void Link();
    // Runs the instructions in order; an undeclared command prints an error and the run goes on.
    void _Execute();

    // 0, or 1 when the stream took fewer bytes than written.
    u32 Save(TStream& stream) const;
    static u32 LoadFromStream(TCommandProgram& program, TStream& stream);

    i32 GetTokenCount() const { return m_aToken.GetCount(); }
    u32 GetToken(i32 i) const { return m_aToken[i]; }
    // A token's text after a PARSE_UNREGISTERED parse (empty for a separator).
    const char* GetTokenText(i32 i) const;
    i32 GetNameCount() const { return m_aName.GetCount(); }
    u32 GetName(i32 i) const { return m_aName[i]; }
    i32 GetInstructionCount() const { return m_aInstruction.GetCount(); }
    TCommandInstruction& GetInstruction(i32 i) { return m_aInstruction[i]; }
    // The text of a private statement's argument, or null.
    const char* FindPrivateText(u32 id) const;
    // Whether a linked statement's command is COMMAND_PRIVATE: its words never enter a cache.
    bool HoldsPrivate() const;
    // Zeroes texts that may hold passwords before their storage is let go.
    static void Wipe(DArray<char>& texts);
    // The first line that did not compile whole (a NUL byte, a quote left open, a token too long, a
    // statement with too many arguments); 0 when the text compiled whole.
    u32 GetDamagedLine() const { return m_nDamagedLine; }

private:
    void Tokenize(const char* text, const char* end);
    void BuildInstructions();
    void EndToken(const char* start, u32 length, u32 line);
    void AddSeparator();
    // Drops the tokens of the statement being read, back to its separator.
    void DropStatement();
    void MarkDamaged(u32 line)
    {
        if (m_nDamagedLine == 0)
            m_nDamagedLine = line;
    }
    // Inserts into the sorted (signed) name list unless present.
    void AddName(u32 id);
    // The offset of the first private record of the id, or -1.
    i32 FindPrivateRecord(u32 id) const;
    // Wipes and removes the records of a private statement's arguments once it has run.
    void ForgetPrivateText(const TCommandInstruction& instruction);

    DArray<u32> m_aToken;
    DArray<u32> m_aName;
    DArray<TCommandInstruction> m_aInstruction;
    // While parsing: each token's text (offsets into m_aTokenText, -1 for separators); the
    // texts enter the name table statement by statement.
    DArray<char> m_aTokenText;
    DArray<i32> m_aTokenOffset;
    // The arguments of private statements: records of a u32 id and the text with its NUL.
    DArray<char> m_aPrivateText;
    u32 m_nParseFlags = 0;
    u32 m_nDamagedLine = 0;
    // A token of the statement being read was too long: the statement is dropped when it ends.
    bool m_bStatementRefused = false;
};
