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
    void* object = pObject;
    const u32 argument = nArgument;
    pCallback = nullptr;
    pObject = nullptr;
    nArgument = 0;
    return callback(object, argument);
}
