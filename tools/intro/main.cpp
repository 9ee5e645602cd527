// introwriter: writes the intro's repository and its image file.
//
//   introwriter <folder>
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "engine/system/managermanager.h"
#include "introrepository.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: introwriter <folder>\n");
        return 2;
    }
    // No user directory: the files written are the tool's own.
    g_pFileStreamManager->SetLocked(0);
    g_pCluster->LinkTypes();
    // Textures are made only while the manager system is open.
    g_ManagerManager.Initialize();
    const std::string folder = argv[1];
    for (const auto& [name, write] : {std::pair{"/intro.data", &WriteIntroRepository},
                                      std::pair{"/intro.distributer.data", &WriteIntroImageFile}})
        if (!write((folder + name).c_str()))
        {
            std::fprintf(stderr, "introwriter: %s%s cannot be written\n", argv[1], name);
            return 1;
        }
    return 0;
}
