#pragma once
// The UX as the game runs it, headless: the registered device manager with a window on a
// display large enough for 1920 x 1200, the input drivers on that window, the resource, texture,
// shader, canvas and UX managers begun once for the run, and the game's screens registered. Each
// test loads the UX repository the build writes ("ux.data", with the shaders), in a scratch
// working folder with its own system log; frames run on a clock of 60 steps a second, and the
// mouse and keys arrive as raw-input records and window messages through the window layer.
#include "core/cluster/cluster.h"
#include "core/system/timer.h"
#include "engine/render/device.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"
#include "repositorywriter.h"
#include "support/scratchworkingfolder.h"
#include "ux/ux.manager.h"
#include "uxdatawriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class TTexture;

class UxTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The back buffer becomes width x height (a device reset the UX hears of).
    static void Resize(i32 width, i32 height);
    // Loads the UX repository again: every control as stored.
    static void Load();

    // One frame's update: window messages pumped, the input manager's update (drivers, the UX's
    // input step, focus layers), the UX's update.
    void Frame();
    void Frames(i32 count)
    {
        for (i32 i = 0; i < count; ++i)
            Frame();
    }
    // The frame drawn: the back buffer cleared to the colour, the UX's render step.
    void Draw(u32 clearColour = 0xFF000000);

    // Input through the window layer.
    static void MouseTo(f32 x, f32 y);
    static void Button(bool down, u32 button = 0);
    // A typed character's message (scan code, character) with the modifiers' keys held
    // (INPUT_KEY_SHIFT, INPUT_KEY_CTRL).
    static void Type(u32 scanCode, u32 character, u32 modifiers = 0, bool extended = false);
    // A key-down message of a navigation key (the arrows: extended scan codes), with the
    // modifiers' keys held.
    static void KeyDown(u32 virtualKey, u32 scanCode, bool extended, u32 modifiers = 0);

    static UX::TUXManager& Ux() { return UX::TUXManager::Instance(); }
    // The loaded form or control of the name; fails the test when there is none.
    static UX::TControl* Find(const char* name);
    static UX::TControl* Form();
    // The loaded control of the name among the layers' forms; fails the test when there is none.
    static UX::TControl* Named(const char* name);
    // A label's text, "" for none.
    static std::u16string LabelText(const UX::TControl* label);
    // The centre of a control's box.
    static void Centre(const UX::TControl* control, f32& x, f32& y);
    // The mouse to the control's centre; a left (or other) click there, a frame after each step.
    static void MouseOn(const UX::TControl* control);
    void Click(const UX::TControl* control, u32 button = 0);
    // A press of the left button on the point, then the mouse moved on (held), a frame after each.
    void Drag(f32 x, f32 y, f32 toX, f32 toY)
    {
        MouseTo(x, y);
        Frame();
        Button(true);
        Frame();
        MouseTo(toX, toY);
        Frame();
    }

    std::vector<std::uint32_t> BackBuffer() const;
    static i32 Width() { return g_pDeviceManager->GetBackBufferWidth(); }
    static i32 Height() { return g_pDeviceManager->GetBackBufferHeight(); }

    // The language of the name from the files the build writes (copied into the working folder).
    void SetLanguage(const char* name);

    // Writes the records the function makes into a repository of the scratch folder and loads
    // it in place of the UX repository.
    template <class F> void LoadWritten(F make)
    {
        g_pCluster->Clear();
        const std::string path = m_Folder.Path() + "/written.data";
        {
            TRepositoryWriter writer(REPOSITORY_OPTIONAL_ID + 50, 0);
            TUxDataWriter data(writer);
            make(data);
            TClusterManager* managers[64];
            const i32 count = data.AppendManagers(managers, 0, false);
            ASSERT_TRUE(writer.Write(path.c_str(), managers, count, false));
            g_pCluster->Clear();
        }
        ASSERT_EQ(g_pResourceManager->LoadRepository(path.c_str(), 0), 0);
    }
    // The system log of the test holds the text.
    bool Logged(const std::string& text) const { return m_Folder.SystemLog().find(text) != std::string::npos; }
    // How often the system log of the test holds the text.
    size_t LoggedCount(const std::string& text) const;

    // A texture of one colour made at run time.
    static TTexture* SolidTexture(const char* name, i32 size, u32 argb);

    TScratchWorkingFolder m_Folder{"ux"};
    static i64 s_nClock;

private:
    TTimer m_Timer{[] { return s_nClock; }};
    TTimer* m_pOldTimer = nullptr;
};
