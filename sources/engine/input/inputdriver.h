#pragma once
// TInputDriver: a source of inputs (keyboard and mouse, joysticks), a plug-in of class
// "TInputDriver". Each driver appends itself to the input manager's drivers when constructed,
// registers its inputs when initialised and reports events to the manager.
#include "core/system/plugin.h"

class TInputDriver : public TPlugin
{
public:
    TInputDriver();
    ~TInputDriver() override;

    virtual const TName* GetDescription() = 0;
    // The enabled word.
    virtual u32 GetType() { return m_nEnabled; }
    virtual void Enable() { m_nEnabled = 1; }
    virtual void Disable() { m_nEnabled = 0; }
    // 1 while an object captures the next input, 0 otherwise.
    virtual void OnCapture(u32 capture) { m_nCapture = capture; }
    // From the input manager's InitializeManager; 0 or an error code.
    virtual i32 InitializeDriver() = 0;
    virtual void FinalizeDriver() = 0;
    // Once per frame: values, edge flags and events.
    virtual void UpdateDriver() = 0;
    // On device activation and when buffered input starts.
    virtual void Reset() {}

protected:
    u32 m_nEnabled;
    u32 m_nCapture;
};

static_assert(sizeof(TInputDriver) == 16);
