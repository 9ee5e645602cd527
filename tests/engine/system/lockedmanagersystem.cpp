// Every test of this program ends with the global manager system locked, as the program
// starts: a test that opened it (Initialize) without finalizing leaves no state to the next.
#include "engine/system/managermanager.h"

#include <gtest/gtest.h>

namespace
{
class TLockAfterEachTest : public ::testing::EmptyTestEventListener
{
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        if (g_ManagerManager.GetLockState() != MANAGER_LOCK_LOCKED)
            g_ManagerManager.Finalize();
    }
};

const bool s_bInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TLockAfterEachTest);
    return true;
}();
} // namespace
