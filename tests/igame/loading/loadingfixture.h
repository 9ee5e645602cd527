#pragma once
// The loading display and the intro as the game runs them: the registered headless software
// device, made once for the run, the resource, shader and texture managers begun as the start-up
// script begins them and the loading manager listening; each test in a scratch working folder,
// its log lines recorded.
#include "support/scratchworkingfolder.h"

#include "core/system/log.h"
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
