#include "engine/input/recordinput.h"

#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/commandmethods.h"

void TRecordInput::Start(const char* line)
{
    m_Line.Format("%s", line);
    TInputManager::Instance().SetCapture(this);
}

void TRecordInput::OnCaptureInput(TInput* input)
{
    // Exactly one input: the capture ends before anything else.
    TInputManager::Instance().SetCapture(nullptr);
    char text[RECORD_INPUT_LINE_SIZE + 64];
    FormatStringN(text, sizeof text, "%s%s ", m_Line.GetText(), input->GetName()->GetText());
    if (TCommandMethods* console = TCommandManager::Instance().GetListener())
        console->SetInput(text);
}
