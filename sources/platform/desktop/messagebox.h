#pragma once
// A modal message box without owner window. With a display (PlatformHasDisplay) it is SDL's
// message box with an OK button; without one, or when the box cannot be shown, the caption and
// text go to standard error and nothing waits for a user. Whatever process shows the box ends
// with the program: a program killed while its box is up leaves nothing behind.

constexpr int MESSAGE_BOX_NONE = 0;
constexpr int MESSAGE_BOX_ERROR = 1;
constexpr int MESSAGE_BOX_WARNING = 2;
constexpr int MESSAGE_BOX_QUESTION = 3;
constexpr int MESSAGE_BOX_INFORMATION = 4;

// The buttons, numbered as Windows numbers them.
constexpr int MESSAGE_BOX_BUTTON_OK = 1;

// Returns the button the user pressed; the box closed without a button (its close box), or
// not shown at all, answers the default button, OK.
int PlatformMessageBox(const char* caption, const char* text, int kind);
