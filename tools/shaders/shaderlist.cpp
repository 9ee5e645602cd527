#include "shaderlist.h"

#include "engine/render/shaderprogramdata.h"

#include <cstdlib>
#include <sstream>

namespace
{
bool ParseNumber(const std::string& word, u32 limit, u32& value)
{
    char* end = nullptr;
    const unsigned long number = std::strtoul(word.c_str(), &end, 0);
    if (word.empty() || *end || number > limit)
        return false;
    value = static_cast<u32>(number);
    return true;
}

bool ParseKey(std::istringstream& words, TShaderListProgram& program, std::string& reason)
{
    std::string mask;
    if (!(words >> program.layout >> program.defines >> mask))
    {
        reason = "a program needs a layout, a define text and a mask";
        return false;
    }
    if (program.defines == "-")
        program.defines.clear();
    if (!ParseNumber(mask, (1u << SHADER_TEXTURE_SLOTS) - 1, program.mask))
    {
        reason = "'" + mask + "' is no texture mask";
        return false;
    }
    return true;
}

bool ParseSampler(const std::string& word, TShaderListProgram& program, std::string& reason)
{
    const std::size_t colon = word.find(':');
    u32 slot = 0;
    u32 sampler = 0;
    if (colon == std::string::npos || !ParseNumber(word.substr(0, colon), SHADER_TEXTURE_SLOTS - 1, slot) ||
        !ParseNumber(word.substr(colon + 1), 255, sampler))
    {
        reason = "'" + word + "' is no <slot>:<sampler byte>";
        return false;
    }
    program.samplers.push_back({slot, sampler});
    return true;
}

// One statement; false with the reason of its fault.
bool ParseLine(TShaderList& list, const std::string& line, std::string& reason)
{
    std::istringstream words(line);
    std::string statement;
    if (!(words >> statement))
        return true;
    std::string word;
    if (statement == "global")
    {
        if (!(words >> list.global))
            reason = "the global effect needs a file";
    }
    else if (statement == "parameter")
    {
        TShaderListParameter parameter;
        if (!(words >> parameter.name))
            reason = "a parameter needs a name";
        else if (words >> word && !(parameter.plugin = word == "plugin"))
            reason = "'" + word + "': only \"plugin\" may follow a parameter's name";
        list.parameters.push_back(parameter);
    }
    else if (statement == "shader")
    {
        list.shaders.emplace_back();
        if (!(words >> list.shaders.back().name))
            reason = "a shader needs a name";
    }
    else if (statement == "program" || statement == "share" || statement == "wireframe")
    {
        if (list.shaders.empty())
        {
            reason = "a program outside a shader";
            return false;
        }
        std::vector<TShaderListProgram>& programs = list.shaders.back().programs;
        TShaderListProgram program;
        if (!ParseKey(words, program, reason))
            return false;
        program.wireframe = statement == "wireframe";
        if (statement != "program")
        {
            if (!(words >> word) || !ParseNumber(word, 0xFFFF, program.shared) || program.shared >= programs.size() ||
                programs[program.shared].file.empty())
                reason = "a shared program names an earlier program with an effect of its own";
        }
        else if (!(words >> program.file))
            reason = "a program needs an effect file";
        while (reason.empty() && words >> word)
            ParseSampler(word, program, reason);
        programs.push_back(program);
    }
    else
        reason = "unknown statement '" + statement + "'";
    if (reason.empty() && words >> word)
        reason = "'" + word + "' follows the statement";
    return reason.empty();
}
} // namespace

bool TShaderList::Parse(const std::string& text, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number)
    {
        const std::size_t comment = line.find("//");
        if (comment != std::string::npos)
            line.erase(comment);
        std::string reason;
        if (!ParseLine(*this, line, reason))
        {
            error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    if (global.empty())
    {
        error = "no global effect";
        return false;
    }
    return true;
}
