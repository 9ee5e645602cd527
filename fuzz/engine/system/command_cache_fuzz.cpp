// Cache images through the program loader. The signature word is set to this build's, so that
// the loader goes past it into the names and instructions; a program it accepts must go
// through the cache again unchanged. VESTAMOR_FUZZ_SEED=<file> writes a compiled script as a
// seed (corpus/seed.cp10 is one).
#include "fuzzsetup.h"

#include "core/stream/memorystream.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandprogram.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* path = std::getenv("VESTAMOR_FUZZ_SEED");
    if (!path)
        return 0;
    QuietSystemLog();
    TCommandProgram program;
    program.Parse("set system.cpu 2\nmanager.list\necho \"a text\" 12 -3.5\nunknown.command word\n");
    program.Link();
    TMemoryStream stream;
    program.Save(stream);
    if (std::FILE* file = std::fopen(path, "wb"))
    {
        std::fwrite(stream.GetData(), 1, static_cast<size_t>(stream.GetSize()), file);
        std::fclose(file);
    }
    return 0;
}

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
