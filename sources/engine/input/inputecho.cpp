#include "engine/input/inputecho.h"

#include "core/system/platform.h"
#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/commandmanager.h"

void TInputEcho::OnCaptureInput(TInput* input)
{
    TInputManager::Instance().SetCapture(nullptr);
    TCommandManager::Instance().Print("%s|200^k%s", input->GetName()->GetText(),
                                      input->GetDriverName()->GetText());
    ClipboardSetTextA(input->GetName()->GetText());
}
