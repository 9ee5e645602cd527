// The core bootstrap: the singletons exist before any test runs; the tear-down; a failed start.
#include "core/stream/filestreammanager.h"


#include "core/system/core.h"
#include <gtest/gtest.h>

TEST(CoreDeathTest, TheFileSystemLockFollowsTheDirectoryAndAFailedAllocationEndsTheStart)
{
    EXPECT_EXIT(CoreStartFailed("name table"), testing::ExitedWithCode(1),
                "Vestamor engine\nUnable to start: out of memory creating the name table.");
    TFileStreamManager lock;
    EXPECT_TRUE(lock.IsLocked());
    lock.SetDirectory(TName(".", true));
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_STREQ(lock.GetDirectory().GetText(), ".");
    lock.SetDirectory(TName());
    EXPECT_TRUE(lock.IsLocked());
}
