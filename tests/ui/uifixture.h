#pragma once
// The UI toolkit as the game runs it: the registered headless software device (1280 x 720 unless
// a test resizes it) and the level the build writes, both made once for the run; the level (the UI's icons,
// styles, fonts, cursor "Mouse" and actions), the actions bound as the start-up script binds them, and the
// window layer's keyboard and mouse driver fed with window messages and raw-input records. Frame() runs one
// input and UI update.
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include "core/system/log.h"
#include "ui/uimanager.h"

#include <cstdint>
#include <string>
#include <vector>

class TUIItem;

// Every line the system log prints during a test.
class TLogRecorder : public TLogListener
{
public:
    void OnLogLine(u32, const char* text) override { lines.push_back(text); }
    // How many lines hold the text.
    u32 Count(const std::string& text) const;
    std::vector<std::string> lines;
};

class UITest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // The back buffer's size; every root is fitted to it again.
    void Resize(i32 width, i32 height);

    // One frame of the given length: pending messages, the input manager, the UI manager.
    void Frame(f32 step = 0.02f);
    void Frames(u32 count, f32 step = 0.02f);
    // The pointer to a point of the window (pixels).
    void MoveTo(i32 x, i32 y);
    // The left button down or up (takes effect at the next frame).
    void Button(bool down);
    // Press and release at a point, a frame each.
    void ClickAt(i32 x, i32 y);
    // A key of the keyboard table down or up by its make code (extended keys with e0).
    void Key(u16 makeCode, bool down, bool e0 = false);
    // Down in one frame, up in the next.
    void Tap(u16 makeCode, bool e0 = false);
    // A typed character as the window sends it (scan code for the key's identity).
    void Char(char16_t character, u32 scanCode);
    void Control(bool down);
    void Shift(bool down);
    // Draws one frame of the UI (and the UX's forms over it) at that screen size into a target
    // and compares it with the golden image of the name; empty when they match.
    std::string RenderGolden(const char* name, i32 width, i32 height, bool withUx = false);

    TScratchWorkingFolder m_Folder{"ui"};
    TLogRecorder m_Log;
    i32 m_nWidth = 0;
    i32 m_nHeight = 0;
};

// Item helpers.
template <class T> T* MakeRoot(const char* className, const char* name, f32 width, f32 height)
{
    return static_cast<T*>(g_pUIManager->CreateItem(className, name, width, height));
}
