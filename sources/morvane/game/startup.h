#pragma once
// What the game declares for the program's start besides its managers: the name of the
// start-up script, and the two small operations the front end calls through pointers it keeps.
#include "core/system/name.h"

// "system/system", the script the program runs.
extern const TName g_StartUpScript;

// Sets one word of the front end's state.
void SetFrontEndFlag(u32* word);

// A callback the front end keeps to run once: Run clears all three words before it calls.
struct TOneShotCallback
{
    typedef i32 (*TFunction)(void* argument);

    // 0 when nothing is stored, else the callback's result.
    i32 Run();

    TFunction pCallback;
    u32 nWord;
    void* pArgument;
};

static_assert(sizeof(TOneShotCallback) == 12);
