#pragma once
// What the game declares for the program's start besides its managers: the name of the
// start-up script, and the two small operations the front end calls through pointers it keeps.
#include "core/system/name.h"

// "system/system", the script the program runs.
extern const TName g_StartUpScript;

// Sets one word of the front end's state.
void SetFrontEndFlag(u32* word);

// A callback the front end keeps to run once: a plain function standing for a method, the
// object it acts on, and its argument. Run clears all three words before it calls, so that the
// callback may store the next one.
struct TOneShotCallback
{
    typedef i32 (*TFunction)(void* object, u32 argument);

    // 0 when nothing is stored, else the callback's result.
    i32 Run();

    TFunction pCallback;
    void* pObject;
    u32 nArgument;
};

static_assert(sizeof(TOneShotCallback) == 12);
