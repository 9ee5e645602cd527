#pragma once
// The program's command line: "name" and "name=value" parameters mapped to console variables.
#include "core/system/types.h"

// The command line is held in this many characters, the NUL included; longer lines are cut.
constexpr u32 COMMAND_LINE_SIZE = 1024;

// One token: its name, its value (null when it has none), a word that is always 0, and its
// index (0 is the program path). Non-zero asks the parser to stop.
typedef i32 (*TCommandLineHandler)(const char* name, const char* value, i32 unused, i32 index);

// Applies one token: the declared parameters set their variables (the given value read as a
// decimal integer, or the parameter's default); any other name is reported. Returns 0.
i32 ApplyCommandLineParameter(const char* name, const char* value, i32 unused, i32 index);

// Splits the writable text in place: blanks end tokens outside double quotes, a token's first
// "=" outside quotes starts its value, quotes stay part of the token. Calls the handler once
// per token; returns 1 when it asked to stop, else 0.
i32 ParseCommandLine(char* text, TCommandLineHandler handler = ApplyCommandLineParameter);

// The process's command line as one text: the program path and the arguments separated by
// blanks, an argument holding a blank given back its quotes (around its value when it has
// one), as the shell received it.
void SetCommandLine(int argc, const char* const* argv);
const char* GetCommandLine();
