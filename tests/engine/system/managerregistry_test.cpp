#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"

#include <gtest/gtest.h>

namespace
{
class TRegistryTestManager : public TManager
{
};

TRegistryTestManager s_First;
TRegistryTestManager s_Second;
TRegistryTestManager* g_pFirst = nullptr;
TRegistryTestManager* g_pSecond = nullptr;
const i32 s_nFirstResult =
    TManagerManager::RegisterManager("RegistryTest", "RegistryTestType", &g_pFirst, &s_First);
const i32 s_nSecondResult = TManagerManager::RegisterManager("RegistryTest", "Other", &g_pSecond, &s_Second);
} // namespace

TEST(ManagerRegistry, StaticRegistrationFillsCellNamesAndKeepsFirstManager)
{
    EXPECT_EQ(s_nFirstResult, 0);
    EXPECT_EQ(s_nSecondResult, 0);
    EXPECT_EQ(g_pFirst, &s_First);
    // The cell is filled even when the name was taken.
    EXPECT_EQ(g_pSecond, &s_Second);
    EXPECT_STREQ(s_First.m_TypeName.GetText(), "RegistryTestType");
    EXPECT_EQ(g_ManagerManager.FindManager(TName("RegistryTest")), &s_First);
    EXPECT_EQ(g_ManagerManager.FindManager(TName("NoSuchManager")), nullptr);
}
