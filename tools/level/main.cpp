// levelwriter: writes the game's aerodrome into a folder.
//
//   levelwriter <folder>
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "engine/system/managermanager.h"
#include "levelgenerator.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: levelwriter <folder>\n");
        return 2;
    }
    // No user directory: the files written are the tool's own.
    g_pFileStreamManager->SetLocked(0);
    g_pCluster->LinkTypes();
    // Objects are attached to nodes only while the manager system is open.
    g_ManagerManager.Initialize();
    const TAerodromeReport report = WriteAerodrome(argv[1]);
    for (const std::string& line : report.aError)
        std::fprintf(stderr, "levelwriter: %s\n", line.c_str());
    if (!report.aError.empty())
        return 1;
    std::printf("levelwriter: %u units, %u curves; '%s' %llu bytes, '%s' %llu bytes\n", report.nUnits,
                report.nCurves, MORVANE_REPOSITORY, static_cast<unsigned long long>(report.nLevelBytes),
                MORVANE_COOKED_REPOSITORY, static_cast<unsigned long long>(report.nCookedBytes));
    return 0;
}
