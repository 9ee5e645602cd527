#include "igame/damage/particlelink.h"

#include "engine/system/managermanager.h"
#include "ifx/particlemanager.h"

TParticleManager* FindParticleManager()
{
    static TManager* s_pManager = g_ManagerManager.FindManager(TName("Particle", true));
    return static_cast<TParticleManager*>(s_pManager);
}
