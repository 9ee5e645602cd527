#pragma once
// Settings of the software Direct3D layer that stand for what a real machine would decide:
// which operating-system generation is reported (Direct3DCreate9Ex exists from version 6 on),
// how much texture memory the adapter reports, and failures the device-creation fall-backs of
// the engine can be tested with. The environment variable VESTAMOR_D3D9_OS=xp starts the
// layer as an XP-class system. How many cores the rasteriser uses (VESTAMOR_D3D9_CORES=N, a
// machine of N cores) and the clock vertical sync waits on are properties of the machine too,
// and so is the display's gamma ramp. So is what the device can do: VESTAMOR_D3D9_CAPS=ps2 makes
// it a pixel shader 2.0 device with one render target and no floating-point targets, on which
// the engine falls back to its forward renderer.
#include "platform/d3d9/d3d9types.h"

class TPresentClock;

enum class ECapsProfile
{
    Full,         // pixel shader 3.0, four targets, floating-point targets
    PixelShader2, // pixel shader 2.0, one target, no floating-point targets
};

struct TD3D9Settings
{
    DWORD osMajor = 6;
    DWORD osMinor = 1;
    DWORD osBuild = 7601;
    UINT textureMemoryBytes = 512u << 20;
    int failingDeviceCreations = 0;             // the next so many CreateDevice(Ex) calls fail
    UINT cores = 0;                             // cores the rasteriser of a new device uses; 0: all
    TPresentClock* presentClock = nullptr;      // what vertical sync waits on; null: the system's clock
    const D3DGAMMARAMP* desktopGamma = nullptr; // the display's ramp a new device starts with; null: identity
    ECapsProfile caps = ECapsProfile::Full;
};

TD3D9Settings& D3D9Settings();

// Whether the device's capabilities let it draw into (or filter) textures of the format: every
// format but the floating-point ones on a pixel shader 2.0 device.
bool D3D9FloatTargetsAllowed(D3DFORMAT format);
// The targets drawn at once.
DWORD D3D9SimultaneousTargets();

// A named entry point of the layer, as GetProcAddress would find it in d3d9.dll: null for
// "Direct3DCreate9Ex" on a system older than version 6.
void* D3D9GetProcAddress(const char* name);
