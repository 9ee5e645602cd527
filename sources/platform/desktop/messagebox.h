#pragma once
// A modal message box without owner window. With a display (PlatformHasDisplay) it is SDL's
// simple message box; without one, or when the box cannot be shown, the caption and text go
// to standard error and nothing waits for a user.

constexpr int MESSAGE_BOX_NONE = 0;
constexpr int MESSAGE_BOX_ERROR = 1;
constexpr int MESSAGE_BOX_WARNING = 2;
constexpr int MESSAGE_BOX_QUESTION = 3;
constexpr int MESSAGE_BOX_INFORMATION = 4;

// Returns 1 when the box was shown and closed, 0 when the text went to standard error.
int PlatformMessageBox(const char* caption, const char* text, int kind);
