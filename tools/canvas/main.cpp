// canvaswriter: writes the canvas's repository (its unit rectangle, the console's textures).
//
//   canvaswriter <repository file>
#include "canvasrepository.h"
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "engine/system/managermanager.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: canvaswriter <repository file>\n");
        return 2;
    }
    // No user directory: the file written is the tool's own.
    g_pFileStreamManager->SetLocked(0);
    g_pCluster->LinkTypes();
    // Textures are made only while the manager system is open.
    g_ManagerManager.Initialize();
    if (!WriteCanvasRepository(argv[1]))
    {
        std::fprintf(stderr, "canvaswriter: %s cannot be written\n", argv[1]);
        return 1;
    }
    return 0;
}
