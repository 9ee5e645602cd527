#include "morvane/game/testmanager.h"

#include "engine/system/managermanager.h"

TTestManager* g_pTestManager = nullptr;

namespace
{
TTestManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Test", "Test", &g_pTestManager, &s_Manager);
} // namespace
