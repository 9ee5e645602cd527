#pragma once
// TInputEcho: takes the next input for "input_echo", prints its name and puts the name on the
// clipboard.
#include "engine/input/inputmethods.h"

class TInputEcho : public TInputMethods
{
public:
    void OnCaptureInput(TInput* input) override;
};
