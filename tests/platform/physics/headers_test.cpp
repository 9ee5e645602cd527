// The physics back end is seen only inside the physics layer.
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(BackEndHeaders, NoBulletHeaderIsIncludedOutsideThePhysicsLayer)
{
    const fs::path root = VESTAMOR_SOURCE_DIR;
    const fs::path layer = root / "sources" / "platform" / "physics";
    const std::regex bulletInclude(R"(^\s*#\s*include\s*[<"](bt[A-Z]\w*\.h|(LinearMath|BulletCollision|BulletDynamics|BulletSoftBody|Bullet3\w*)/[^>"]*)[>"])");
    std::vector<std::string> offenders;
    std::size_t layerIncludes = 0;
    for (const char* top : {"sources", "tests", "benchmarks", "tools", "fuzz"}) {
        if (!fs::exists(root / top))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp"))
                continue;
            const bool inLayer = entry.path().string().starts_with(layer.string() + "/");
            // The layer's benchmark and tests measure and check it against the back end on its own.
            const bool besideBackEnd = entry.path().string().starts_with((root / "benchmarks" / "platform" / "physics").string() + "/") ||
                                     entry.path().string().starts_with((root / "tests" / "platform" / "physics").string() + "/");
            std::ifstream file(entry.path());
            for (std::string line; std::getline(file, line);)
                if (line.find("include") != std::string::npos && std::regex_search(line, bulletInclude)) {
                    if (inLayer)
                        ++layerIncludes;
                    else if (!besideBackEnd)
                        offenders.push_back(entry.path().string() + ": " + line);
                }
        }
    }
    EXPECT_GT(layerIncludes, 0u); // the pattern does find the layer's own includes
    EXPECT_TRUE(offenders.empty()) << offenders.front();
}
