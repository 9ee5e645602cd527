#pragma once
// The registered device manager with a headless window and device, made once for the run, and
// the input drivers found through the plug-in registry. Each test records the input events and
// captured inputs that reach the input manager, and starts from drivers without state.
#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/input/inputmethods.h"
#include "support/scratchworkingfolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class TInputRecorder : public TInputMethods
{
public:
    void OnCaptureInput(TInput* input) override { captured.push_back(input->GetName()->GetText()); }
    void OnInputEvent(const TInputEvent& event) override { events.push_back(event); }

    std::vector<std::string> captured;
    std::vector<TInputEvent> events;
};

class InputTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The registered driver of that plug-in name, initialised once.
    template <class T> static T& Driver(const char* name) { return *static_cast<T*>(FindDriver(name)); }
    static TInput& Input(const char* name);
    static f32 Value(const char* name) { return Input(name).GetValue(); }
    // Takes and dispatches every queued message, as the main loop's pump does.
    static void Pump();
    // The object that takes every input the drivers report until the test ends.
    void Capture();

    TScratchWorkingFolder m_Folder{"input"};
    TInputRecorder m_Recorder;

private:
    static TInputDriver* FindDriver(const char* name);
};
