#pragma once
// The message box's form "TUIMessageDialog" (layer 1, hidden): a framed panel of 504 x 216 with
// the title, the text, the one-line text box and the two buttons its screen binds by name.
class TUxDataWriter;

namespace UX
{
class TLayer;
} // namespace UX

void AddMessageBoxForm(TUxDataWriter& data, UX::TLayer* layer);
