#include "morvane/game/startup.h"

const TName g_StartUpScript("system/system", true);

void SetFrontEndFlag(u32* word)
{
    *word = 1;
}

i32 TOneShotCallback::Run()
{
    if (!pCallback)
        return 0;
    const TFunction callback = pCallback;
    void* argument = pArgument;
    pCallback = nullptr;
    nWord = 0;
    pArgument = nullptr;
    return callback(argument);
}
