// repositorywriter: writes the game's repositories into a folder.
//
//   repositorywriter <folder>
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "engine/system/managermanager.h"
#include "levelatmosphere.h"
#include "levelclips.h"
#include "leveldecals.h"
#include "leveleffects.h"
#include "levelflares.h"
#include "levelmotionblur.h"
#include "levelgame.h"
#include "levelparticles.h"
#include "levelvegetation.h"
#include "levelwater.h"
#include "levelrenderscene.h"
#include "levelvehicles.h"
#include "scenerepositories.h"

#include <cstdio>

namespace
{
// The game's records beside the test scene, one line each.
i32 AddLevelRecords(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    count = AddLevelRenderScene(writer, level, managers, count);
    count = AddLevelVehicles(writer, level, managers, count);
    count = AddLevelSounds(writer, level, managers, count);
    count = AddLevelGame(writer, level, managers, count);
    count = AddLevelParticles(writer, level, managers, count);
    count = AddLevelDecals(writer, level, managers, count);
    count = AddLevelFlares(writer, level, managers, count);
    count = AddLevelEffects(writer, level, managers, count);
    count = AddLevelEffectArea(writer, level, managers, count);
    count = AddLevelWater(writer, level, managers, count);
    count = AddLevelMotionBlur(writer, level, managers, count);
    count = AddLevelVegetation(writer, level, managers, count);
    count = AddLevelAtmosphere(writer, level, managers, count);
    return count;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: repositorywriter <folder>\n");
        return 2;
    }
    // No user directory: the files written are the tool's own.
    g_pFileStreamManager->SetLocked(0);
    g_pCluster->LinkTypes();
    // Objects are attached to nodes only while the manager system is open.
    g_ManagerManager.Initialize();
    if (!WriteSceneRepositories(argv[1], AddLevelRecords))
    {
        std::fprintf(stderr, "repositorywriter: the repositories of '%s' cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
