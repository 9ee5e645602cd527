// Feeds arbitrary bytes to the effect compiler: it must answer with a description or an
// error naming a line, never crash or read outside the text.
#include "platform/d3dx9/effectcompiler.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TEffectDescription description;
    std::string error;
    const bool compiled =
        TEffectCompiler::Compile(reinterpret_cast<const char*>(data), size, description, error);
    if (compiled ? !error.empty() : error.rfind("line ", 0) != 0)
        std::abort();
    if (!compiled && !description.parameters.empty())
        std::abort();
    return 0;
}
