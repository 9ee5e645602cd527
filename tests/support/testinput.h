#pragma once
// TTestInput: an input a test moves by hand (a key or a half-axis), with the edge flags of the
// frame it was set in.
#include "engine/input/input.h"

class TTestInput : public TInput
{
public:
    explicit TTestInput(const char* name) : m_Name(name, true) {}
    const TName* GetName() override { return &m_Name; }
    const TName* GetDriverName() override { return &m_Name; }
    u32* GetFlags() override { return &m_nFlags; }
    f32 GetValue() override { return fValue; }
    bool IsPressed() override { return fValue > 0.0f; }
    bool WasPressed() override { return bPressed; }
    bool WasReleased() override { return bReleased; }
    void ResetValue() override { fValue = 0.0f; }
    void ClearPressed() override { bPressed = false; }
    void ClearReleased() override { bReleased = false; }

    void Set(f32 value)
    {
        bPressed = fValue == 0.0f && value > 0.0f;
        bReleased = fValue > 0.0f && value == 0.0f;
        fValue = value;
    }
    // The next frame: the edges are gone, the value stays.
    void Hold() { bPressed = bReleased = false; }

    f32 fValue = 0.0f;
    bool bPressed = false;
    bool bReleased = false;

private:
    TName m_Name;
    u32 m_nFlags = 0;
};
