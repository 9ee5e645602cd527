#include "engine/system/triggeractor.h"

#include "engine/system/triggermanager.h"

void TTriggerActor::OnNodeUpdate(const TName*)
{
    if (!g_pTriggerManager)
        return;
    const TVector& at = GetMatrix()->aRow[3];
    g_pTriggerManager->_TestMovedActor(this, TVector(at.x, at.y, at.z, 1.0f));
}
