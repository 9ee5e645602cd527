#include "platform/d3dx9/effectcompiler.h"

#include "platform/d3dx9/statenames.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <vector>

namespace
{
constexpr int kFormatVersion = 1;
constexpr UINT kConstantRegisters = 512;
constexpr DWORD kPixelSamplers = 16;
constexpr DWORD kFirstVertexSampler = 256; // the displacement-map sampler, then 257-260
constexpr DWORD kLastVertexSampler = 260;
constexpr DWORD kTextureStages = 8;
constexpr DWORD kLights = 8;
constexpr UINT kMaterialVectors = 5;
constexpr UINT kLightVectors = 8;
// Limits that keep a damaged description from asking for unbounded memory.
constexpr std::size_t kMaxParameters = 1024;
constexpr std::size_t kMaxAnnotations = 64;
constexpr std::size_t kMaxTechniques = 64;
constexpr std::size_t kMaxPasses = 64;
constexpr std::size_t kMaxStatements = 1024;

struct TToken
{
    std::string_view text;
    bool quoted;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool IsIdentifier(std::string_view text)
{
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_'))
        return false;
    for (char c : text)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            return false;
    return true;
}

bool SameWord(std::string_view a, const char* b)
{
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

bool ParseUnsigned(std::string_view text, DWORD& value)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        text.remove_prefix(2);
        base = 16;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseInt(std::string_view text, INT& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseFloat(std::string_view text, float& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class TCompilation
{
public:
    explicit TCompilation(TEffectDescription& description) : description_(description) {}

    bool Run(const char* text, std::size_t size);
    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& reason);
    bool Split(std::string_view line);
    bool Statement();

    bool Header();
    bool Parameter();
    bool Annotation();
    bool Technique();
    bool Pass();
    bool Shader(EPassStatement kind);
    bool Constant(EPassStatement kind);
    bool State(EStateKind kind);
    bool Texture();
    bool Transform();
    bool Fvf();
    bool NPatchMode();
    bool LightEnable();
    bool Material();
    bool Light();
    bool VectorArray(std::size_t token, UINT elements, int& parameter);

    bool ExpectCount(std::size_t count);
    bool Index(std::size_t token, DWORD low, DWORD high, const char* what, DWORD& value);
    bool FindParameter(std::string_view name, int& index);
    bool Add(TPassStatement statement);

    TEffectDescription& description_;
    std::vector<TToken> tokens_;
    int line_ = 0;
    bool sawHeader_ = false;
    int currentParameter_ = -1; // the parameter annotations attach to
    TEffectPass* currentPass_ = nullptr;
    std::string error_;
};

bool TCompilation::Run(const char* text, std::size_t size)
{
    std::string_view rest(text, size);
    while (!rest.empty() || line_ == 0)
    {
        ++line_;
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!Split(line))
            return false;
        if (!tokens_.empty() && !Statement())
            return false;
        if (rest.empty())
            break;
    }
    if (!sawHeader_)
    {
        line_ = 1;
        return Fail("the description is empty: it must begin with 'effect 1'");
    }
    return true;
}

bool TCompilation::Fail(const std::string& reason)
{
    error_ = "line " + std::to_string(line_) + ": " + reason;
    return false;
}

// Tokens: words, quoted strings and "=" on their own.
bool TCompilation::Split(std::string_view line)
{
    tokens_.clear();
    for (char c : line)
        if ((static_cast<unsigned char>(c) < 0x20 && !IsSpace(c)) || c == 0x7F)
            return Fail("unexpected control character");
    std::size_t i = 0;
    while (i < line.size())
    {
        const char c = line[i];
        if (IsSpace(c))
        {
            ++i;
        }
        else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/')
        {
            break;
        }
        else if (c == '=')
        {
            tokens_.push_back({line.substr(i, 1), false});
            ++i;
        }
        else if (c == '"')
        {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos)
                return Fail("a string is not closed");
            tokens_.push_back({line.substr(i + 1, close - i - 1), true});
            i = close + 1;
        }
        else
        {
            const std::size_t start = i;
            while (i < line.size() && !IsSpace(line[i]) && line[i] != '=' && line[i] != '"')
                ++i;
            tokens_.push_back({line.substr(start, i - start), false});
        }
    }
    return true;
}

bool TCompilation::Statement()
{
    const TToken& keyword = tokens_[0];
    if (keyword.quoted)
        return Fail("a statement begins with a keyword, not a string");
    if (!sawHeader_)
        return Header();
    const std::string_view word = keyword.text;
    if (!SameWord(word, "annotation"))
        currentParameter_ = -1;
    if (SameWord(word, "parameter"))
        return Parameter();
    if (SameWord(word, "annotation"))
        return Annotation();
    if (SameWord(word, "technique"))
        return Technique();
    if (SameWord(word, "pass"))
        return Pass();

    static const struct
    {
        const char* word;
        bool (TCompilation::*statement)();
    } kPassStatements[] = {
        {"texture", &TCompilation::Texture},
        {"transform", &TCompilation::Transform},
        {"fvf", &TCompilation::Fvf},
        {"npatchmode", &TCompilation::NPatchMode},
        {"lightenable", &TCompilation::LightEnable},
        {"material", &TCompilation::Material},
        {"light", &TCompilation::Light},
    };
    const bool isShader = SameWord(word, "vertexshader") || SameWord(word, "pixelshader");
    const bool isConstant = SameWord(word, "vertexconstant") || SameWord(word, "pixelconstant");
    const bool isState = SameWord(word, "renderstate") || SameWord(word, "samplerstate") ||
                         SameWord(word, "texturestagestate");
    bool (TCompilation::*statement)() = nullptr;
    for (const auto& entry : kPassStatements)
        if (SameWord(word, entry.word))
            statement = entry.statement;
    if (!isShader && !isConstant && !isState && !statement)
        return Fail("unknown statement '" + std::string(word) + "'");
    if (!currentPass_)
        return Fail("'" + std::string(word) + "' outside a pass");
    if (currentPass_->statements.size() >= kMaxStatements)
        return Fail("too many statements in pass '" + currentPass_->name + "'");
    if (isShader)
        return Shader(word[0] == 'v' || word[0] == 'V' ? EPassStatement::VertexShader
                                                       : EPassStatement::PixelShader);
    if (isConstant)
        return Constant(word[0] == 'v' || word[0] == 'V' ? EPassStatement::VertexConstant
                                                         : EPassStatement::PixelConstant);
    if (SameWord(word, "renderstate"))
        return State(EStateKind::Render);
    if (SameWord(word, "samplerstate"))
        return State(EStateKind::Sampler);
    if (SameWord(word, "texturestagestate"))
        return State(EStateKind::TextureStage);
    return (this->*statement)();
}

bool TCompilation::ExpectCount(std::size_t count)
{
    if (tokens_.size() != count)
        return Fail("'" + std::string(tokens_[0].text) + "' takes " + std::to_string(count - 1) +
                    " words, not " + std::to_string(tokens_.size() - 1));
    return true;
}

bool TCompilation::Index(std::size_t token, DWORD low, DWORD high, const char* what, DWORD& value)
{
    if (!ParseUnsigned(tokens_[token].text, value) || value < low || value > high)
        return Fail(std::string("'") + std::string(tokens_[token].text) + "' is not a " + what + " (" +
                    std::to_string(low) + " to " + std::to_string(high) + ")");
    return true;
}

bool TCompilation::FindParameter(std::string_view name, int& index)
{
    for (std::size_t i = 0; i < description_.parameters.size(); ++i)
        if (description_.parameters[i].name == name)
        {
            index = int(i);
            return true;
        }
    return Fail("unknown parameter '" + std::string(name) + "'");
}

bool TCompilation::Add(TPassStatement statement)
{
    statement.line = line_;
    currentPass_->statements.push_back(std::move(statement));
    return true;
}

bool TCompilation::Header()
{
    INT version = 0;
    if (!SameWord(tokens_[0].text, "effect") || tokens_.size() != 2 || !ParseInt(tokens_[1].text, version))
        return Fail("the description must begin with 'effect 1'");
    if (version != kFormatVersion)
        return Fail("effect format version " + std::to_string(version) + " is not supported (expected 1)");
    sawHeader_ = true;
    return true;
}

bool TCompilation::Parameter()
{
    if (tokens_.size() < 3)
        return Fail("'parameter' takes a type and a name");
    if (description_.parameters.size() >= kMaxParameters)
        return Fail("too many parameters");
    TEffectParameter parameter;
    parameter.line = line_;
    std::string_view type = tokens_[1].text;
    const std::size_t bracket = type.find('[');
    if (bracket != std::string_view::npos)
    {
        if (type.back() != ']' ||
            !ParseUnsigned(type.substr(bracket + 1, type.size() - bracket - 2), parameter.elements) ||
            parameter.elements == 0)
            return Fail("'" + std::string(type) + "' has no valid element count");
        type = type.substr(0, bracket);
    }
    static const struct
    {
        const char* name;
        EEffectValueType type;
        bool arrays;
    } kTypes[] = {
        {"texture", EEffectValueType::Texture, false}, {"matrix", EEffectValueType::Matrix, true},
        {"vector", EEffectValueType::Vector, true},    {"int", EEffectValueType::Int, true},
        {"float", EEffectValueType::Float, false},
    };
    bool known = false;
    for (const auto& entry : kTypes)
        if (SameWord(type, entry.name))
        {
            if (parameter.elements && !entry.arrays)
                return Fail(std::string("a ") + entry.name + " parameter cannot be an array");
            parameter.type = entry.type;
            known = true;
        }
    if (!known)
        return Fail("unknown parameter type '" + std::string(type) + "'");
    if (parameter.type != EEffectValueType::Texture &&
        EffectParameterRegisters(parameter) > kConstantRegisters)
        return Fail("parameter '" + std::string(tokens_[2].text) +
                    "' is larger than the 512 constant registers");

    if (tokens_[2].quoted || !IsIdentifier(tokens_[2].text))
        return Fail("'" + std::string(tokens_[2].text) + "' is not a parameter name");
    parameter.name = tokens_[2].text;
    for (const TEffectParameter& other : description_.parameters)
        if (other.name == parameter.name)
            return Fail("parameter '" + parameter.name + "' is declared twice");

    std::size_t next = 3;
    if (next < tokens_.size() && SameWord(tokens_[next].text, "shared") && !tokens_[next].quoted)
    {
        parameter.shared = true;
        ++next;
    }
    if (next < tokens_.size())
    {
        if (tokens_[next].text != "=" || tokens_[next].quoted)
            return Fail("unexpected '" + std::string(tokens_[next].text) + "' after parameter '" +
                        parameter.name + "'");
        if (parameter.type == EEffectValueType::Texture)
            return Fail("texture parameter '" + parameter.name + "' cannot have a value");
        const std::size_t words = EffectParameterWords(parameter);
        if (tokens_.size() - next - 1 != words)
            return Fail("parameter '" + parameter.name + "' needs " + std::to_string(words) +
                        " values, not " + std::to_string(tokens_.size() - next - 1));
        for (std::size_t i = next + 1; i < tokens_.size(); ++i)
        {
            if (parameter.type == EEffectValueType::Int)
            {
                INT value;
                if (!ParseInt(tokens_[i].text, value))
                    return Fail("'" + std::string(tokens_[i].text) + "' is not an integer");
                parameter.initial.push_back(DWORD(value));
            }
            else
            {
                float value;
                if (!ParseFloat(tokens_[i].text, value))
                    return Fail("'" + std::string(tokens_[i].text) + "' is not a number");
                parameter.initial.push_back(FloatBits(value));
            }
        }
    }
    description_.parameters.push_back(std::move(parameter));
    currentParameter_ = int(description_.parameters.size() - 1);
    return true;
}

bool TCompilation::Annotation()
{
    if (currentParameter_ < 0)
        return Fail("an annotation must follow its parameter");
    if (!ExpectCount(5))
        return false;
    TEffectParameter& parameter = description_.parameters[currentParameter_];
    if (parameter.annotations.size() >= kMaxAnnotations)
        return Fail("too many annotations on parameter '" + parameter.name + "'");
    TEffectAnnotation annotation;
    if (tokens_[2].quoted || !IsIdentifier(tokens_[2].text))
        return Fail("'" + std::string(tokens_[2].text) + "' is not an annotation name");
    annotation.name = tokens_[2].text;
    for (const TEffectAnnotation& other : parameter.annotations)
        if (other.name == annotation.name)
            return Fail("annotation '" + annotation.name + "' is given twice");
    if (tokens_[3].text != "=" || tokens_[3].quoted)
        return Fail("an annotation is written 'annotation <type> <name> = <value>'");
    const TToken& value = tokens_[4];
    const std::string_view type = tokens_[1].text;
    if (SameWord(type, "string"))
    {
        if (!value.quoted)
            return Fail("a string annotation takes a quoted value");
        annotation.type = EAnnotationType::String;
        annotation.text = value.text;
    }
    else if (SameWord(type, "int"))
    {
        annotation.type = EAnnotationType::Int;
        if (value.quoted || !ParseInt(value.text, annotation.intValue))
            return Fail("'" + std::string(value.text) + "' is not an integer");
    }
    else if (SameWord(type, "float"))
    {
        annotation.type = EAnnotationType::Float;
        if (value.quoted || !ParseFloat(value.text, annotation.floatValue))
            return Fail("'" + std::string(value.text) + "' is not a number");
    }
    else
    {
        return Fail("unknown annotation type '" + std::string(type) + "'");
    }
    parameter.annotations.push_back(std::move(annotation));
    return true;
}

bool TCompilation::Technique()
{
    if (!ExpectCount(2))
        return false;
    if (!IsIdentifier(tokens_[1].text) || tokens_[1].quoted)
        return Fail("'" + std::string(tokens_[1].text) + "' is not a technique name");
    if (description_.techniques.size() >= kMaxTechniques)
        return Fail("too many techniques");
    for (const TEffectTechnique& other : description_.techniques)
        if (other.name == tokens_[1].text)
            return Fail("technique '" + other.name + "' is declared twice");
    description_.techniques.push_back({std::string(tokens_[1].text), {}});
    currentPass_ = nullptr;
    return true;
}

bool TCompilation::Pass()
{
    if (description_.techniques.empty())
        return Fail("a pass must be inside a technique");
    if (!ExpectCount(2))
        return false;
    if (!IsIdentifier(tokens_[1].text) || tokens_[1].quoted)
        return Fail("'" + std::string(tokens_[1].text) + "' is not a pass name");
    TEffectTechnique& technique = description_.techniques.back();
    if (technique.passes.size() >= kMaxPasses)
        return Fail("too many passes in technique '" + technique.name + "'");
    for (const TEffectPass& other : technique.passes)
        if (other.name == tokens_[1].text)
            return Fail("pass '" + other.name + "' is declared twice");
    technique.passes.push_back({std::string(tokens_[1].text), {}});
    currentPass_ = &technique.passes.back();
    return true;
}

bool TCompilation::Shader(EPassStatement kind)
{
    if (!ExpectCount(2))
        return false;
    if (tokens_[1].quoted || tokens_[1].text.size() > 200)
        return Fail("'" + std::string(tokens_[1].text) + "' is not a shading model name");
    TPassStatement statement(kind);
    statement.model = tokens_[1].text;
    return Add(std::move(statement));
}

bool TCompilation::Constant(EPassStatement kind)
{
    if (!ExpectCount(3))
        return false;
    TPassStatement statement(kind);
    if (!Index(1, 0, kConstantRegisters - 1, "constant register", statement.index) ||
        !FindParameter(tokens_[2].text, statement.parameter))
        return false;
    const TEffectParameter& parameter = description_.parameters[statement.parameter];
    if (parameter.type == EEffectValueType::Texture)
        return Fail("texture parameter '" + parameter.name + "' cannot fill constant registers");
    if (statement.index + EffectParameterRegisters(parameter) > kConstantRegisters)
        return Fail("parameter '" + parameter.name + "' does not fit from register " +
                    std::to_string(statement.index));
    return Add(std::move(statement));
}

bool TCompilation::State(EStateKind kind)
{
    const std::size_t first = kind == EStateKind::Render ? 1 : 2;
    if (tokens_.size() != first + 3 || tokens_[first + 1].text != "=")
        return Fail(std::string("a state is written '") + std::string(tokens_[0].text) +
                    (kind == EStateKind::Render ? "" : " <index>") + " <name> = <value>'");
    TPassStatement statement(kind == EStateKind::Render    ? EPassStatement::RenderState
                             : kind == EStateKind::Sampler ? EPassStatement::SamplerState
                                                           : EPassStatement::TextureStageState);
    if (kind == EStateKind::Sampler)
    {
        if (!ParseUnsigned(tokens_[1].text, statement.index) ||
            !(statement.index < kPixelSamplers ||
              (statement.index >= kFirstVertexSampler && statement.index <= kLastVertexSampler)))
            return Fail("'" + std::string(tokens_[1].text) + "' is not a sampler (0 to 15, 256 to 260)");
    }
    else if (kind == EStateKind::TextureStage &&
             !Index(1, 0, kTextureStages - 1, "texture stage", statement.index))
    {
        return false;
    }
    const TStateName* state = FindStateName(kind, tokens_[first].text);
    if (!state)
        return Fail("unknown state '" + std::string(tokens_[first].text) + "'");
    statement.state = state->number;
    const std::string_view value = tokens_[first + 2].text;
    float number;
    INT integer;
    if (tokens_[first + 2].quoted)
        return Fail("state '" + std::string(state->name) + "' takes a name or a number, not a string");
    if (FindStateValue(state->values, value, statement.value))
        return Add(std::move(statement));
    if (state->values == EStateValues::Float)
    {
        if (!ParseFloat(value, number))
            return Fail("'" + std::string(value) + "' is not a number for state '" + state->name + "'");
        statement.value = FloatBits(number);
        return Add(std::move(statement));
    }
    if (ParseUnsigned(value, statement.value))
        return Add(std::move(statement));
    if (ParseInt(value, integer))
    {
        statement.value = DWORD(integer);
        return Add(std::move(statement));
    }
    return Fail("'" + std::string(value) + "' is not a value of state '" + state->name + "'");
}

bool TCompilation::Texture()
{
    if (!ExpectCount(3))
        return false;
    TPassStatement statement(EPassStatement::Texture);
    if (!ParseUnsigned(tokens_[1].text, statement.index) ||
        !(statement.index < kPixelSamplers ||
          (statement.index >= kFirstVertexSampler && statement.index <= kLastVertexSampler)))
        return Fail("'" + std::string(tokens_[1].text) + "' is not a sampler (0 to 15, 256 to 260)");
    if (!FindParameter(tokens_[2].text, statement.parameter))
        return false;
    if (description_.parameters[statement.parameter].type != EEffectValueType::Texture)
        return Fail("parameter '" + std::string(tokens_[2].text) + "' is not a texture");
    return Add(std::move(statement));
}

bool TCompilation::Transform()
{
    if (!ExpectCount(3))
        return false;
    TPassStatement statement(EPassStatement::Transform);
    if (!FindTransformName(tokens_[1].text, statement.state))
        return Fail("unknown transform '" + std::string(tokens_[1].text) + "'");
    if (!FindParameter(tokens_[2].text, statement.parameter))
        return false;
    const TEffectParameter& parameter = description_.parameters[statement.parameter];
    if (parameter.type != EEffectValueType::Matrix || parameter.elements)
        return Fail("parameter '" + parameter.name + "' is not a matrix");
    return Add(std::move(statement));
}

bool TCompilation::Fvf()
{
    if (!ExpectCount(2))
        return false;
    TPassStatement statement(EPassStatement::Fvf);
    if (!ParseUnsigned(tokens_[1].text, statement.value))
        return Fail("'" + std::string(tokens_[1].text) + "' is not a vertex format");
    return Add(std::move(statement));
}

bool TCompilation::NPatchMode()
{
    if (!ExpectCount(2))
        return false;
    TPassStatement statement(EPassStatement::NPatchMode);
    if (!ParseFloat(tokens_[1].text, statement.floatValue) || statement.floatValue < 0.0f)
        return Fail("'" + std::string(tokens_[1].text) + "' is not a segment count");
    return Add(std::move(statement));
}

bool TCompilation::LightEnable()
{
    if (tokens_.size() != 4 || tokens_[2].text != "=")
        return Fail("a light switch is written 'lightenable <light> = <true or false>'");
    TPassStatement statement(EPassStatement::LightEnable);
    if (!Index(1, 0, kLights - 1, "light", statement.index))
        return false;
    if (!FindStateValue(EStateValues::Bool, tokens_[3].text, statement.value))
        return Fail("'" + std::string(tokens_[3].text) + "' is not true or false");
    return Add(std::move(statement));
}
bool TCompilation::VectorArray(std::size_t token, UINT elements, int& parameter)
{
    if (!FindParameter(tokens_[token].text, parameter))
        return false;
    const TEffectParameter& declaration = description_.parameters[parameter];
    if (declaration.type != EEffectValueType::Vector || declaration.elements != elements)
        return Fail("parameter '" + declaration.name + "' is not a vector[" + std::to_string(elements) + "]");
    return true;
}

bool TCompilation::Material()
{
    if (!ExpectCount(2))
        return false;
    TPassStatement statement(EPassStatement::Material);
    if (!VectorArray(1, kMaterialVectors, statement.parameter))
        return false;
    return Add(std::move(statement));
}

bool TCompilation::Light()
{
    if (!ExpectCount(3))
        return false;
    TPassStatement statement(EPassStatement::Light);
    if (!Index(1, 0, kLights - 1, "light", statement.index) ||
        !VectorArray(2, kLightVectors, statement.parameter))
        return false;
    return Add(std::move(statement));
}
} // namespace

UINT EffectParameterRegisters(const TEffectParameter& parameter)
{
    const UINT count = parameter.elements ? parameter.elements : 1;
    switch (parameter.type)
    {
    case EEffectValueType::Matrix:
        return 4 * count;
    case EEffectValueType::Vector:
    case EEffectValueType::Int:
    case EEffectValueType::Float:
        return count;
    case EEffectValueType::Texture:
        break;
    }
    return 0;
}

UINT EffectParameterWords(const TEffectParameter& parameter)
{
    const UINT count = parameter.elements ? parameter.elements : 1;
    switch (parameter.type)
    {
    case EEffectValueType::Matrix:
        return 16 * count;
    case EEffectValueType::Vector:
        return 4 * count;
    case EEffectValueType::Int:
    case EEffectValueType::Float:
        return count;
    case EEffectValueType::Texture:
        break;
    }
    return 0;
}

bool TEffectCompiler::Compile(const char* text, std::size_t size, TEffectDescription& description,
                              std::string& error)
{
    description = TEffectDescription();
    TCompilation compilation(description);
    if (!text)
        size = 0;
    if (compilation.Run(text ? text : "", size))
        return true;
    error = compilation.Error();
    description = TEffectDescription();
    return false;
}
