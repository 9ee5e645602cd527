#include "platform/d3d9/settings.h"

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/shadingmodel.h"

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
        const char* caps = std::getenv("VESTAMOR_D3D9_CAPS");
        if (caps && std::strcmp(caps, "ps2") == 0)
            initial.caps = ECapsProfile::PixelShader2;
        return initial;
    }();
    return settings;
}

bool D3D9FloatTargetsAllowed(D3DFORMAT format)
{
    if (D3D9Settings().caps == ECapsProfile::Full)
        return true;
    switch (format)
    {
    case D3DFMT_R16F:
    case D3DFMT_G16R16F:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_R32F:
    case D3DFMT_G32R32F:
    case D3DFMT_A32B32G32R32F:
        return false;
    default:
        return true;
    }
}

DWORD D3D9SimultaneousTargets()
{
    return D3D9Settings().caps == ECapsProfile::Full ? DWORD(kMaxRenderTargets) : 1;
}

void* D3D9GetProcAddress(const char* name)
{
    if (std::strcmp(name, "Direct3DCreate9") == 0)
        return reinterpret_cast<void*>(&Direct3DCreate9);
    if (std::strcmp(name, "Direct3DCreate9Ex") == 0 && D3D9Settings().osMajor >= 6)
        return reinterpret_cast<void*>(&Direct3DCreate9Ex);
    return nullptr;
}
