// shaderwriter: writes the game's shader repository from the effect descriptions of a folder.
//
//   shaderwriter <description folder> <repository file>
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "engine/system/managermanager.h"
#include "shaderrepository.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: shaderwriter <description folder> <repository file>\n");
        return 2;
    }
    // No user directory: the files written are the tool's own.
    g_pFileStreamManager->SetLocked(0);
    g_pCluster->LinkTypes();
    // Shaders are made only while the manager system is open.
    g_ManagerManager.Initialize();
    std::string error;
    if (!WriteShaderRepository(argv[1], argv[2], error))
    {
        std::fprintf(stderr, "shaderwriter: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
