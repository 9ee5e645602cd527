// uxwriter: writes the game's UX records ("ux.data").
//
//   uxwriter <file>
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "engine/system/managermanager.h"
#include "uxrecords.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: uxwriter <file>\n");
        return 2;
    }
    // No user directory: the file written is the tool's own.
    g_pFileStreamManager->SetLocked(0);
    g_pCluster->LinkTypes();
    g_ManagerManager.Initialize();
    if (!WriteUxRepository(argv[1]))
    {
        std::fprintf(stderr, "uxwriter: '%s' cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
