// Render queues draw the instanced batches their members queued once a queue is done.
#include "directx/render/dxmeshmanager.h"
#include "engine/render/renderqueue.h"

namespace
{
void FlushInstances()
{
    if (g_pDxMeshManager)
        g_pDxMeshManager->FlushInstancing();
}

struct TFlushHook
{
    TFlushHook() { g_pFlushMeshInstances = FlushInstances; }
} s_FlushHook;
} // namespace
