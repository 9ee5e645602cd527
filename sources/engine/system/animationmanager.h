#pragma once
// TAnimationManager ("Animation"): owner of the two cluster arrays of animation data and
// animations. The fixed-rate update advances every animation (possibly on an update worker);
// the frame update, on the main thread, requires each animation's data and fires its events.
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

class TAnimation;
class TAnimationData;

class TAnimationManager : public TManager
{
public:
    TAnimationManager();

    // The first animation whose data's resource name is the id, or null.
    TAnimation* FindAnimation(u32 nameId) const;

    // The arrays the cluster fills; programs may add objects of their own.
    DArray<TAnimationData*>& AnimationData() { return m_aAnimationData; }
    DArray<TAnimation*>& Animations() { return m_aAnimation; }

    i32 SetArray(u32 typeId, void* data, i32 count) override;
    void ThreadUpdateManager(f32 step) override;
    void UpdateManager(f32 step) override;

private:
    DArray<TAnimationData*> m_aAnimationData;
    DArray<TAnimation*> m_aAnimation;
};

extern TAnimationManager* g_pAnimationManager;
