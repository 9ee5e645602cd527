#pragma once
// TRecordInput: takes the next input for "action_record": the console's line becomes the
// command typed so far followed by the input's name.
#include "core/system/templates/sarray.h"
#include "engine/input/inputmethods.h"

constexpr u32 RECORD_INPUT_LINE_SIZE = 256;

class TRecordInput : public TInputMethods
{
public:
    // Keeps the typed line and captures the next input.
    void Start(const char* line);
    void OnCaptureInput(TInput* input) override;

private:
    SString<RECORD_INPUT_LINE_SIZE> m_Line;
};
