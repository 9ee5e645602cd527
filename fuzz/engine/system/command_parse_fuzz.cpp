// Script text through the tokenizer, the parser, the linker and console completion, and each
// linked program through the cache (saved, loaded, saved again: the same bytes). Programs are
// linked but not run: running would reach commands such as "terminate".
#include "fuzzsetup.h"

#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandprogram.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    QuietSystemLog();
    const std::string text(reinterpret_cast<const char*>(data), size);
    TCommandProgram program;
    program.Parse(text.c_str());
    program.Link();
    CheckCacheRoundTrip(program);
    TCompletionList candidates;
    TCompletionList descriptions;
    TCommandManager::Instance().Complete(text.c_str(), candidates, descriptions);
    TCommandManager::Instance().ExpandVariables(text.c_str());
    return 0;
}
