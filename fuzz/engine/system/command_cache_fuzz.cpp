// Cache images through the program loader. The signature word is set to this build's, so that
// the loader goes past it into the names and instructions; a program it accepts must go
// through the cache again unchanged.
#include "fuzzsetup.h"

#include "core/stream/memorystream.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandprogram.h"

#include <cstring>
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
    TMemoryStream stream;
    stream.Attach(image.data(), static_cast<i32>(image.size()));
    TCommandProgram program;
    if (TCommandProgram::LoadFromStream(program, stream) == PROGRAM_LOADED)
        CheckCacheRoundTrip(program);
    return 0;
}
