#include "core/cluster/cluster.h"
#include "engine/system/automat.h"
#include "engine/system/automatmanager.h"
#include "engine/system/automatstate.h"
#include "recordingscript.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using TJournal = std::vector<std::string>;

class AutomatTest : public testing::Test
{
protected:
    AutomatTest()
        : idleUpdate("idle update", &journal), runUpdate("run update", &journal)
    {
        std::memset(&idle, 0, sizeof idle);
        std::memset(&run, 0, sizeof run);
        std::memset(&automat, 0, sizeof automat);
        idle.pAutomat = &automat;
        idle.pScriptOnUpdate = &idleUpdate;
        run.pAutomat = &automat;
        run.pScriptOnUpdate = &runUpdate;
        automat.aState[0] = &idle;
        automat.aState[1] = &run;
        automat.m_nEnabled = 1;
    }
    void SetUp() override { g_pAutomatManager->Automats().Add(&automat); }
    void TearDown() override { g_pCluster->Clear(); }

    TJournal journal;
    TRecordingScript idleUpdate, runUpdate;
    TAutomatState idle, run;
    TAutomat automat;
};
} // namespace

TEST_F(AutomatTest, OnlyTheActiveStatesUpdateScriptRuns)
{
    g_pAutomatManager->UpdateManager(0.1f);
    EXPECT_TRUE(journal.empty());

    automat.pActiveState = &idle;
    g_pAutomatManager->UpdateManager(0.1f);
    g_pAutomatManager->UpdateManager(0.1f);
    EXPECT_EQ((TJournal{"idle update", "idle update"}), journal);

    // A switch of the active state runs the new state's script from the next update on.
    automat.pActiveState = &run;
    g_pAutomatManager->UpdateManager(0.1f);
    EXPECT_EQ((TJournal{"idle update", "idle update", "run update"}), journal);

    automat.m_nEnabled = 0;
    g_pAutomatManager->UpdateManager(0.1f);
    EXPECT_EQ(3u, journal.size());
    automat.m_nEnabled = 1;
    run.pScriptOnUpdate = nullptr;
    g_pAutomatManager->UpdateManager(0.1f);
    EXPECT_EQ(3u, journal.size());
}
