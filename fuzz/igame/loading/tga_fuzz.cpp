// Feeds arbitrary files to _LoadTGA, the intro's image file reader. It must answer a result,
// never crash, read outside the file or allocate more than the file holds; loaded pixels are
// width x height x (3 or 4) bytes, every one of them read here.
#include "core/stream/filestreammanager.h"
#include "core/system/memory.h"
#include "igame/loading/loadtga.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{
const std::string s_Path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder && *folder ? folder : "/tmp") + "/vestamor_tga_fuzz_" + std::to_string(getpid()) +
           ".tga";
}();
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_pFileStreamManager->SetLocked(0);
    std::FILE* file = std::fopen(s_Path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    i32 width = -1, height = -1, bytes = -1;
    u8* pixels = nullptr;
    const u32 result = _LoadTGA(s_Path.c_str(), width, height, bytes, pixels);
    std::remove(s_Path.c_str());
    if (result != TGA_LOADED)
    {
        if (pixels || result > TGA_UNSUPPORTED)
            std::abort();
        return 0;
    }
    const size_t count = static_cast<size_t>(width) * height * bytes;
    if (!pixels || width <= 0 || height <= 0 || (bytes != 3 && bytes != 4) || count + TGA_HEADER_SIZE > size)
        std::abort();
    // Every byte read, so that the sanitizer sees one outside the allocation.
    volatile u32 sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum = sum + pixels[i];
    MemoryFree(pixels);
    return 0;
}
