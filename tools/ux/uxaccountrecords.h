#pragma once
// The account screens' forms (layer 0, hidden, each sliding in sideways on its own style):
// "TUIAccountLogin" (user name, password, remember and automatic log-in, the status and the row
// of buttons) and "TUIAccountConnected" (back, update account, log out), under the names their
// screens bind. They use the message box's text and button styles: add them after it.
class TUxDataWriter;

namespace UX
{
class TLayer;
} // namespace UX

void AddAccountForms(TUxDataWriter& data, UX::TLayer* layer);
