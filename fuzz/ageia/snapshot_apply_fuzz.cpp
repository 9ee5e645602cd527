// Feeds arbitrary stored snapshots to the apply and capture of a prop's physics state: entry
// counts and node offsets come from files, so a record must either name nodes of the prop's node
// array or be refused whole, never reach memory outside it.
#include "ageia/dynamicsmanager.h"
#include "ageia/dynamicsstatesave.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"

#include <cstring>

namespace
{
TNode* s_pRoot = nullptr;

// A root with six children: three with bodies (no actors: no scene runs here), one of them
// with a child of its own.
void SetUp()
{
    if (s_pRoot)
        return;
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    g_ManagerManager.Initialize();
    s_pRoot = g_pNodeManager->CreateNode("prop");
    TNode* last = s_pRoot;
    for (i32 i = 0; i < 6; ++i)
    {
        TNode* node = g_pNodeManager->CreateNode("part");
        (i == 5 ? last : s_pRoot)->AddChild(node);
        if (i % 2 == 0)
            g_pDynamicsManager->CreateBody(node);
        last = node;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUp();
    TDynamicsStateSave record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(&record, data, size < sizeof record ? size : sizeof record);
    const i32 applied = TDynamicsStateSave::Apply(s_pRoot, &record);
    if (applied != 0 && applied != 1)
        __builtin_trap();
    TDynamicsStateSave::Capture(s_pRoot, &record);
    TMatrix at;
    TDynamicsStateSave::GetPosition(s_pRoot, &record, at);
    return 0;
}
