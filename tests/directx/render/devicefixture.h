#pragma once
// A fresh headless device manager per test, standing in for the registered one: its window and
// device are made by InitializeManager from the device variables as the test leaves them, and
// released with the window at the end. The manager system is open (listeners may register), the
// working folder is a scratch folder with the file system unlocked, console lines are recorded,
// and the main loop's sleeps are counted instead of slept.
#include "core/system/log.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"
#include "platform/window/winuser.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Records every notification and message it receives, as text, into a shared journal.
class TJournalListener : public TDeviceMethods
{
public:
    TJournalListener(const char* name, std::vector<std::string>& journal) : m_Name(name), m_Journal(journal)
    {
    }

    void OnDeviceActivate() override { Note("activate"); }
    void OnDeviceDeactivate() override { Note("deactivate"); }
    void OnDeviceRestore() override { Note("restore"); }
    void OnDeviceRelease() override { Note("release"); }
    void OnDeviceLost() override { Note("lost"); }
    void OnDeviceReset() override { Note("reset"); }
    void OnDeviceChange() override { Note("change"); }
    void OnDeviceCreate() override { Note("create"); }
    void OnDeviceDestroy() override { Note("destroy"); }
    i32 OnDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == m_nWatched)
            Note("message");
        return message == m_nConsumed ? 0 : DEVICE_MESSAGE_NOT_CONSUMED;
    }

    // Messages noted and consumed; none until a test says.
    UINT m_nWatched = WM_USER + 100;
    UINT m_nConsumed = WM_USER + 100;

private:
    void Note(const char* what) { m_Journal.push_back(m_Name + " " + what); }

    std::string m_Name;
    std::vector<std::string>& m_Journal;
};

// The system log's lines, prefix and message.
class TLogRecorder : public TLogListener
{
public:
    TLogRecorder() { g_pSystemLog->SetListener(this); }
    ~TLogRecorder() override { g_pSystemLog->SetListener(nullptr); }
    void OnLogLine(u32, const char* text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

class TConsoleRecorder : public TCommandMethods
{
public:
    void PrintLine(const char* text, int isError) override
    {
        lines.push_back((isError ? "E:" : "") + std::string(text));
    }
    std::vector<std::string> lines;
};

class DeviceTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // InitializeManager on a fresh manager; the device variables keep what the test set.
    void Create();
    // Runs a console command the way a script line does.
    void Run(const char* command, std::initializer_list<const char*> arguments = {});
    // Posts a message to the device window and dispatches the queue, as the main loop's pump.
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // The top left width x height pixels of the back buffer's surface (which may be larger), opaque.
    std::vector<u32> ReadBackBuffer(i32 width, i32 height);

public:
    static std::vector<u32> s_aSleeps;

protected:
    TDxDeviceManager* m_pManager = nullptr;
    std::vector<std::string> m_Journal;
    TConsoleRecorder m_Console;
    TScratchFolder m_Folder{"device"};
    const std::string m_Path = m_Folder.Path();

private:
    std::string m_OldWorking;
    TDxDeviceManager* m_pOldDxManager = nullptr;
    TDeviceManager* m_pOldManager = nullptr;
};

// The device made from the variables' defaults before the test.
class CreatedDeviceTest : public DeviceTest
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        Create();
    }
};

// The device variables back at their defaults.
void RestoreDeviceVariables();
