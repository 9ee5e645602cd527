#pragma once
// TInputMethods: a listener of the input manager's raw events (TInputManager::AddMethod), and
// the interface of the object that captures the next input (TInputManager::SetCapture).
#include "engine/input/inputevent.h"

class TInput;

class TInputMethods
{
public:
    virtual ~TInputMethods() = default;
    // The input of the next device event, while this object captures.
    virtual void OnCaptureInput(TInput* input) {}
    virtual void OnInputEvent(const TInputEvent& event) {}
    // Once per frame, after the drivers' updates.
    virtual void OnInputTick() {}
};
