#pragma once
// A driver of the tests: named inputs whose values and edges the tests set, registered when the
// input manager initialises its drivers.
#include "engine/input/input.h"
#include "engine/input/inputdriver.h"
#include "engine/input/inputmanager.h"
#include "engine/system/managermanager.h"
#include "../localization/scratchfolder.h"

#include <deque>

constexpr u32 TEST_PRESSED = 0x80000000u;
constexpr u32 TEST_RELEASED = 0x40000000u;

class TTestInput : public TInput
{
public:
    explicit TTestInput(const char* name) : m_Name(name, true) {}
    const TName* GetName() override { return &m_Name; }
    const TName* GetDriverName() override
    {
        static const TName s_Driver("Test input driver", true);
        return &s_Driver;
    }
    u32* GetFlags() override { return &nFlags; }
    f32 GetValue() override { return fValue; }
    bool IsPressed() override { return fValue > 0.0f; }
    bool WasPressed() override { return (nFlags & TEST_PRESSED) != 0; }
    bool WasReleased() override { return (nFlags & TEST_RELEASED) != 0; }
    void ResetValue() override { fValue = 0.0f; }
    void ClearPressed() override { nFlags &= ~TEST_PRESSED; }
    void ClearReleased() override { nFlags &= ~TEST_RELEASED; }

    f32 fValue = 0.0f;
    u32 nFlags = 0;

private:
    TName m_Name;
};

class TTestDriver : public TInputDriver
{
public:
    const TName* GetDescription() override
    {
        static const TName s_Name("Test input driver", true);
        return &s_Name;
    }
    i32 InitializeDriver() override
    {
        for (TTestInput& input : inputs)
            TInputManager::Instance().RegisterInput(&input);
        return 0;
    }
    void FinalizeDriver() override {}
    void UpdateDriver() override { ++nUpdates; }
    void Reset() override { ++nResets; }

    u32 GetCapture() const { return m_nCapture; }

    std::deque<TTestInput> inputs{TTestInput("Space"),        TTestInput("Q"),        TTestInput("Z"),
                                  TTestInput("F1"),           TTestInput("AxisLeft"), TTestInput("AxisRight"),
                                  TTestInput("mbLeftButton"), TTestInput("Enter")};
    int nUpdates = 0;
    int nResets = 0;
};

// The tests' one driver, registered with the input manager at start.
TTestDriver& TestDriver();
// Registers the driver's inputs (once).
void RegisterTestInputs();
TTestInput& TestInput(const char* name);

// The manager system open (actions may be made and found) for the test; at its end Finalize
// empties the cluster's arrays, so each test starts without the actions and bindings of others.
class InputTest : public ScratchFolderTest
{
protected:
    void SetUp() override
    {
        ScratchFolderTest::SetUp();
        RegisterTestInputs();
        g_ManagerManager.Initialize();
    }
    void TearDown() override
    {
        g_ManagerManager.Finalize();
        TInputManager::Instance().SaveBindings();
        ScratchFolderTest::TearDown();
    }
    static TInputManager& Input() { return TInputManager::Instance(); }
};
