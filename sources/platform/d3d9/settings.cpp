#include "platform/d3d9/settings.h"

#include "platform/d3d9/d3d9.h"

#include <cstdlib>
#include <cstring>

TD3D9Settings& D3D9Settings()
{
    static TD3D9Settings settings = [] {
        TD3D9Settings initial;
        const char* os = std::getenv("VESTAMOR_D3D9_OS");
        if (os && std::strcmp(os, "xp") == 0)
        {
            initial.osMajor = 5;
            initial.osMinor = 1;
            initial.osBuild = 2600;
        }
        // A machine of that many cores, for measuring a frame's processor time against one core's.
        const char* cores = std::getenv("VESTAMOR_D3D9_CORES");
        if (cores && std::atoi(cores) > 0)
            initial.cores = UINT(std::atoi(cores));
        return initial;
    }();
    return settings;
}

void* D3D9GetProcAddress(const char* name)
{
    if (std::strcmp(name, "Direct3DCreate9") == 0)
        return reinterpret_cast<void*>(&Direct3DCreate9);
    if (std::strcmp(name, "Direct3DCreate9Ex") == 0 && D3D9Settings().osMajor >= 6)
        return reinterpret_cast<void*>(&Direct3DCreate9Ex);
    return nullptr;
}
