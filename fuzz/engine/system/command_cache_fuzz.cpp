// Cache images through the program loader. The signature word is set to this build's, so that
// the loader goes past it into the names and instructions.
#include "fuzzsetup.h"

#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandprogram.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    QuietSystemLog();
    std::vector<u8> image(data, data + size);
    if (image.size() >= 8)
    {
        const u32 signature = TCommandManager::Instance().GetSignature();
        std::memcpy(image.data() + 4, &signature, sizeof signature);
    }
    TFuzzStream stream(image.data(), image.size());
    TCommandProgram program;
    TCommandProgram::LoadFromStream(program, stream);
    return 0;
}
