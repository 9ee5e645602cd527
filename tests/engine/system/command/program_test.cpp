#include "commandfixture.h"
#include "testcommands.h"

#include "core/stream/filestream.h"
#include "engine/system/command/commandprogram.h"

#include <cstring>

namespace
{

class ProgramTest : public CommandTest
{
protected:
    static std::string Text(u32 id)
    {
        TName name;
        name.SetId(id);
        return name.GetText();
    }

    TCommandProgram m_Program;
};

// Statements end at line feeds and semicolons; comments and empty lines count as lines only (a
// token running into a comment goes with it); a statement of more than nine arguments, one
// whose quote is left open or one with a token too long is refused whole and marks its line as
// not compiled.
TEST_F(ProgramTest, StatementsParseIntoLinesCommandsAndArguments)
{
    const auto parsed = [&](const std::string& text) {
        m_Program.Parse(text.c_str());
        std::vector<std::string> out;
        if (m_Program.GetDamagedLine() != 0)
            out.push_back("refused " + std::to_string(m_Program.GetDamagedLine()));
        for (i32 i = 0; i < m_Program.GetInstructionCount(); ++i)
        {
            const TCommandInstruction& instruction = m_Program.GetInstruction(i);
            std::string line = std::to_string(instruction.nLine) + ":" + Text(instruction.nCommand);
            for (u32 k = 0; k < instruction.nArgumentCount; ++k)
                line += "|" + Text(instruction.aArgument[k]);
            out.push_back(line);
        }
        return out;
    };
    using TLines = std::vector<std::string>;
    // A token of 127 characters is the longest kept, quoted or not; one of 128 refuses its statement.
    const std::string kept(127, 't');
    const std::string over(128, 'u');
    const std::pair<std::string, TLines> cases[] = {
        {"set a 1;set b 2", {"1:set|a|1", "2:set|b|2"}},
        {"// heading\n\n   \ntest.record 1 // trailing \"quote\n\r\ntest.record 2//x\ntest.record 3",
         {"4:test.record|1", "6:test.record", "7:test.record|3"}},
        // An undeclared command runs nothing: its statement keeps no word, and registers none.
        {"a/b c", {"1:"}},
        {"unknowncommand  name \"two words\" \"\"\n", {"1:"}},
        {"test.record 1 2 3 4 5 6 7 8 9\ntest.record 0 1 2 3 4 5 6 7 8 9\ntest.record 9\n",
         {"refused 2", "1:test.record|1|2|3|4|5|6|7|8|9", "3:test.record|9"}},
        {"test.record 1\ntest.record a \"open\nquote", {"refused 2", "1:test.record|1"}},
        {"test.record " + kept + " \"" + kept + "\"", {"1:test.record|" + kept + "|" + kept}},
        {"test.record 1\ntest.record " + over + " 2\ntest.record 3", {"refused 2", "1:test.record|1", "3:test.record|3"}},
        {"test.record 1;test.record 2 \"" + over + "\";test.record 3", {"refused 1", "1:test.record|1", "3:test.record|3"}}};
    for (const auto& [text, lines] : cases)
        EXPECT_EQ(parsed(text), lines) << text.substr(0, 48);
    EXPECT_TRUE(Logged("(2): 'test.record' given 10 arguments (max 9): the line is refused"));
    EXPECT_TRUE(Logged("(2): quoted text not closed: the line is refused"));
    EXPECT_TRUE(Logged("(2): token longer than 127 characters: the line is refused"));
}

TEST_F(ProgramTest, BinaryGarbageCompilesWithoutHarmAndReachesTheLogEscaped)
{
    std::string garbage;
    for (int i = 1; i < 256; ++i)
        garbage += static_cast<char>(i * 37 % 255 + 1);
    garbage += "\"\x01\x02;";
    m_Program.Parse(garbage.c_str());
    m_Program.Link();
    m_Program._Execute();
    EXPECT_GT(m_Program.GetInstructionCount(), 0);
    // An undeclared command word is never quoted: it may be a password whose line lost its start.
    m_Program.Parse("test.re\x01\x9b\xff" "cord x\n");
    m_Program.Link();
    Manager().SetSource(TName("system/test.icom", true));
    m_Program._Execute();
    Manager().SetSource(TName());
    EXPECT_TRUE(Logged("system/test.icom(1): undeclared command\n")) << SystemLog();
    EXPECT_FALSE(Logged("test.re")) << SystemLog();
}

TEST_F(ProgramTest, DamagedImagesAreRefused)
{
    m_Program.Parse("test.record \"quoted\" 1\n");
    m_Program.Link();
    {
        TFileStream stream;
        ASSERT_EQ(stream.Open(TName("good.cp10", true), STREAM_WRITE), 1u);
        ASSERT_EQ(m_Program.Save(stream), 0u);
    }
    const std::string good = ReadFile("good.cp10");
    TCommandProgram loaded;

    const auto refuse = [&](const std::string& image) {
        WriteFile("bad.cp10", image);
        TFileStream stream;
        EXPECT_EQ(stream.Open(TName("bad.cp10", true), STREAM_READ), 1u);
        return TCommandProgram::LoadFromStream(loaded, stream);
    };
    const auto xored = [&](size_t at, char mask) {
        std::string image = good;
        image[at] ^= mask;
        return image;
    };
    const auto set = [&](size_t at, char value) {
        std::string image = good;
        image[at] = value;
        return image;
    };
    const size_t last = good.size() - sizeof(TCommandInstruction);
    const std::pair<std::string, u32> cases[] = {
        {good.substr(0, 10), PROGRAM_SHORT_HEADER},
        {"cp11" + good.substr(4), PROGRAM_WRONG_MAGIC},
        {xored(4, 1), PROGRAM_WRONG_SIGNATURE},
        {good.substr(0, good.size() - 1), PROGRAM_SHORT_DATA},
        {xored(COMMAND_PROGRAM_HEADER_SIZE + 6, 0x20), PROGRAM_DAMAGED}, // a name whose text no longer gives its id
        {set(8, 100), PROGRAM_DAMAGED},                                  // more names than the block holds
        {set(last + 4, 10), PROGRAM_DAMAGED},                            // more arguments than nine
        {xored(last + offsetof(TCommandInstruction, nIndex), 1), PROGRAM_DAMAGED}, // another command's place
        {xored(last + 8, 0x5A), PROGRAM_WITHOUT_TEXT},                   // an argument without its text
        {good, PROGRAM_LOADED}};
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(refuse(cases[i].first), cases[i].second) << i;
}

} // namespace
