#pragma once
// The loading display and the intro as the game runs them: the registered headless software
// device, made once for the run, the resource, shader and texture managers begun as the start-up
// script begins them and the loading manager listening; each test in a scratch working folder,
// its log lines recorded.
#include "support/scratchworkingfolder.h"

#include "core/cluster/clustermethods.h"
#include "core/system/log.h"
#include "engine/system/resourcemethods.h"
#include "platform/d3dx9/wingdi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class TLogRecorder : public TLogListener
{
public:
    void OnLogLine(u32, const char* text) override { lines.push_back(text); }
    // How many lines hold the text.
    u32 Count(const std::string& text) const;
    // The index of the first line holding the text, -1 when none.
    i32 Find(const std::string& text) const;
    std::vector<std::string> lines;
};

// Watches loads: the loading state, the running flag and the thread when a load begins and when
// the cluster's listeners are told. While armed, a load whose file name holds `slowName` waits
// `delay` milliseconds first, on whatever thread loads it. Told before the loading manager.
class TLoadWatch : public TResourceMethods, public TClusterMethods
{
public:
    void OnRepositoryLoad(const char* name) override;
    void OnClusterLoad() override;

    struct TSeen
    {
        u32 state;
        u32 running;
        bool mainThread;
    };
    bool armed = false;
    std::string slowName;
    u32 delay = 0;
    std::vector<TSeen> loads;
    std::vector<TSeen> notices;
};

extern TLoadWatch g_LoadWatch;

class LoadingTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // The back buffer's size.
    void Resize(i32 width, i32 height);
    // The window's pixels in a rectangle, read through its GDI context, 0xFFRRGGBB.
    std::vector<std::uint32_t> ReadWindow(i32 x, i32 y, i32 width, i32 height);
    // Paints the whole window through its GDI context.
    void PaintWindow(COLORREF colour);
    // A file of the build's data folder.
    static std::string DataFile(const char* name);

    TScratchWorkingFolder m_Folder{"loading"};
    TLogRecorder m_Log;
};
