// languagewriter: turns a readable text source into an "ilng" language file (version 1001).
//
//   languagewriter <source.txt> <output.language>
//
// The source is UTF-8, one item per line: "@language <name>" and "@code <code>" once each,
// then "<name> = <text>" per text; "#" begins a comment line. In texts, "\n" stands for a line
// break and "\\" for a backslash. Any fault names the line and fails the build.
#include "core/system/name.h"
#include "core/system/unistring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace
{
constexpr unsigned kMagic = 0x676E6C69; // "ilng"
constexpr unsigned kVersion = 1001;
constexpr size_t kNameSize = 32;
constexpr size_t kCodeSize = 8;

struct Text
{
    unsigned id;
    std::string name;
    std::u16string text;
};

std::string Trim(const std::string& s)
{
    const size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return "";
    const size_t end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

bool Unescape(const std::string& in, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < in.size(); ++i)
    {
        if (in[i] != '\\')
        {
            out += in[i];
            continue;
        }
        if (++i == in.size())
            return false;
        if (in[i] == 'n')
            out += '\n';
        else if (in[i] == '\\')
            out += '\\';
        else
            return false;
    }
    return true;
}

void Put32(std::vector<unsigned char>& out, unsigned value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void PutField(std::vector<unsigned char>& out, const std::string& text, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        out.push_back(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
}

int Fail(const char* source, int line, const char* message, const std::string& detail)
{
    std::fprintf(stderr, "%s(%d): error: %s '%s'\n", source, line, message, detail.c_str());
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: languagewriter <source.txt> <output.language>\n");
        return 2;
    }
    const char* source = argv[1];
    std::ifstream in(source);
    if (!in)
        return Fail(source, 0, "cannot read", source);

    std::string language;
    std::string code;
    std::map<unsigned, std::string> seen;
    std::vector<Text> texts;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
    {
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        if (line.rfind("@language ", 0) == 0)
        {
            language = Trim(line.substr(10));
            if (language.empty() || language.size() >= kNameSize)
                return Fail(source, number, "language name must have 1 to 31 characters", language);
            continue;
        }
        if (line.rfind("@code ", 0) == 0)
        {
            code = Trim(line.substr(6));
            if (code.empty() || code.size() >= kCodeSize)
                return Fail(source, number, "language code must have 1 to 7 characters", code);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            return Fail(source, number, "expected '<name> = <text>'", line);
        const std::string name = Trim(line.substr(0, equals));
        std::string text;
        if (name.empty() || !Unescape(Trim(line.substr(equals + 1)), text))
            return Fail(source, number, "bad name or escape", line);

        const unsigned id = CalculateCrc32(name.data(), static_cast<u32>(name.size()), 0);
        const auto found = seen.find(id);
        if (found != seen.end())
            return Fail(source, number, "name given twice (or same id as)", found->second);
        seen[id] = name;

        std::vector<char16_t> wide(text.size() + 1);
        const i32 units = Utf8ToUtf16(wide.data(), static_cast<i32>(wide.size()), text.c_str());
        texts.push_back({id, name, std::u16string(wide.data(), static_cast<size_t>(units))});
    }
    if (language.empty() || code.empty())
        return Fail(source, 0, "missing @language or @code", "");

    // The reader searches the entries by bisection over the ids as signed integers.
    std::sort(texts.begin(), texts.end(),
              [](const Text& a, const Text& b) { return static_cast<int>(a.id) < static_cast<int>(b.id); });

    std::vector<unsigned char> block;
    std::vector<unsigned char> entries;
    for (const Text& t : texts)
    {
        Put32(entries, t.id);
        Put32(entries, static_cast<unsigned>(block.size()));
        for (char16_t c : t.text)
        {
            block.push_back(static_cast<unsigned char>(c & 0xFF));
            block.push_back(static_cast<unsigned char>(c >> 8));
        }
        block.push_back(0);
        block.push_back(0);
    }

    std::vector<unsigned char> file;
    Put32(file, kMagic);
    Put32(file, kVersion);
    PutField(file, "", 32);
    PutField(file, language, kNameSize);
    PutField(file, code, kCodeSize);
    Put32(file, static_cast<unsigned>(texts.size()));
    Put32(file, static_cast<unsigned>(block.size()));
    file.insert(file.end(), entries.begin(), entries.end());
    file.insert(file.end(), block.begin(), block.end());

    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0)
        return Fail(argv[2], 0, "cannot write", argv[2]);
    return 0;
}
