#pragma once
// The account screens' forms (layer 0, hidden, each sliding in sideways on its own style):
// "TUIAccountLogin" (user name, password, remember and automatic log-in, the status and the row
// of buttons), "TUIAccountCreate" and "TUIAccountUpdate" (the password rows, the personal texts,
// the birth date's lists and the avatar chooser) and "TUIAccountConnected" (back, update account, log out), under the names their screens bind.
// They use the message box's text and button styles and the demonstration's lists and
// selector: add them after both.
class TUxDataWriter;

namespace UX
{
class TLayer;
} // namespace UX

void AddAccountForms(TUxDataWriter& data, UX::TLayer* layer);
