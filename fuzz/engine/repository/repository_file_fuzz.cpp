// Feeds repository files to the resource manager as the game loads them from its data folder: the
// file read (inflated when compressed), its dependencies opened through the start-up script's
// associations (a plain one loaded in full, a mapped or a streamed one opened on its file), the
// cluster image handed to every listener, each resource's block read from its repository (in
// memory, mapped or streamed), and a frame run (not drawn: slow emulated; repository_fuzz draws).
// The data folder is a copy of the small repositories of the corpus (a main one with a plain, a
// mapped and a streamed dependency, the shaders); an input whose header carries the id of one of
// the main repository's dependencies takes that file's place and the main repository is loaded
// over it; any other input is loaded itself.
// A damaged data file ends the program by design (the game cannot go on without it): inputs that
// would are left out, as the game's loader finds them: a file that does not read, a refused
// header, a dependency neither associated nor optional (nor its file there), a cluster image the cluster refuses or
// whose load ends the program (repository_fuzz says which).
#include "core/compression/compressedfile.h"
#include "engine/system/repository.h"
#include "engine/system/resource.h"
#include "engine/system/scenetypes.h"
#include "support/gamesystem.h"

#include <filesystem>
#include <vector>

namespace
{
// The room of the targets blocks are read into.
constexpr u32 TARGET_SIZE = 1 << 16;
constexpr u32 IMAGE_LIMIT = 1 << 26;

namespace fs = std::filesystem;

// The scratch copy of the data folder, removed at exit.
fs::path s_Root;
std::string s_Main;
TRepositoryHeader s_MainHeader;

std::vector<u8> ReadWhole(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<u8>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWhole(const fs::path& path, const u8* data, size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<long>(size));
}

// The associated file of a repository id, or none.
const char* AssociatedFile(u32 id)
{
    const TAssociationSet& associations = g_pResourceManager->GetAssociations();
    const i32 index = associations.FindKey(static_cast<i32>(id));
    return index < 0 ? nullptr : associations[static_cast<u32>(index)].value.GetText();
}

// Whether the loader opens the file as a mapped or streamed dependency: its first bytes a sound
// header with one of those flags.
bool OpensOnFile(const u8* data, size_t size)
{
    TRepositoryHeader header;
    std::memcpy(&header, data, size < REPOSITORY_HEADER_SIZE ? size : REPOSITORY_HEADER_SIZE);
    return size >= REPOSITORY_HEADER_SIZE && TRepositoryHeader::isValid(&header, nullptr) &&
           (header.nFlags & (REPOSITORY_MAPPED | REPOSITORY_STREAMED));
}

// Whether the loader takes the image whole (header, dependencies, cluster image), the cluster's
// listeners aside: its cluster image is loaded quietly into a copy and cleared again. underMain:
// it is loaded as a dependency of the main repository.
bool LoadsWhole(const DArray<u8>& image, bool underMain)
{
    const u32 size = static_cast<u32>(image.GetCount());
    if (size < REPOSITORY_HEADER_SIZE || TRepositoryHeader::Check(image.GetData(), size))
        return false;
    TRepositoryHeader header;
    std::memcpy(&header, image.GetData(), REPOSITORY_HEADER_SIZE);
    for (u32 d = 0; d < header.nDependencyCount; ++d)
    {
        const u32 id = header.aDependency[d];
        // Its own id and one being loaded are skipped as a cycle.
        const bool cycle = id == header.nId || (underMain && id == s_MainHeader.nId);
        const char* file = AssociatedFile(id);
        if (!cycle && (file ? !fs::exists(file) : id < REPOSITORY_OPTIONAL_ID))
            return false;
    }
    if (header.nClusterOffset == 0)
        return true;
    const u32 clusterSize = size - header.nClusterOffset;
    u8* copy = static_cast<u8*>(std::aligned_alloc(16, (clusterSize + 15) / 16 * 16));
    std::memcpy(copy, image.GetData() + header.nClusterOffset, clusterSize);
    bool whole = !InstanceCountMismatch(copy, clusterSize) && g_pCluster->Load(copy, clusterSize, CLUSTER_LOAD_QUIET) == 0;
    whole = whole && !TextureCreationAborts();
    g_pCluster->Clear();
    std::free(copy);
    return whole;
}

void ReadBlocks()
{
    static std::vector<u8> s_Target(TARGET_SIZE);
    const TClusterSlot& slot = g_pCluster->GetSlot(RESOURCE_TYPE_ID);
    const i32 count = slot.pData ? slot.nSize / static_cast<i32>(sizeof(TResource)) : 0;
    for (i32 i = 0; i < count && i < 64; ++i)
    {
        auto* resource = static_cast<TResource*>(reinterpret_cast<void**>(slot.pData)[i]);
        resource->Require();
        const u32 size = resource->m_nDataSize < TARGET_SIZE ? resource->m_nDataSize : TARGET_SIZE;
        resource->ReadData(s_Target.data(), 0, size, 0, RESOURCE_READ_NO_NOTIFY);
        resource->ReadData(s_Target.data(), 0, TARGET_SIZE, 0, RESOURCE_READ_COMPRESSED | RESOURCE_READ_NO_NOTIFY);
        resource->GetData(0, size);
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartGameSystem();
    const fs::path corpus = VESTAMOR_REPOSITORY_CORPUS;
    char root[] = "/tmp/vestamor_repository_file_fuzz_XXXXXX";
    if (!mkdtemp(root))
        std::abort();
    s_Root = root;
    std::atexit([] { fs::remove_all(s_Root); });
    fs::create_directory(s_Root / "data");
    // The small repositories the writer's tests make: a main one on a plain, a mapped and a
    // streamed one, and the shaders.
    for (const char* file : {"main", "common", "mapped", "streamed"})
        fs::copy_file(corpus / file, s_Root / "data" / (std::string(file) + ".data"));
    fs::copy_file(corpus / "shader_stored_handles", s_Root / "data" / "shaders.data");
    AssociateRepositories((s_Root / "data").string());
    s_Main = (s_Root / "data" / "main.data").string();
    DArray<u8> main;
    if (ReadCompressedFile(s_Main.c_str(), main, nullptr) != COMPRESS_DONE ||
        TRepositoryHeader::Check(main.GetData(), static_cast<u32>(main.GetCount())))
        std::abort();
    std::memcpy(&s_MainHeader, main.GetData(), REPOSITORY_HEADER_SIZE);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size)
{
    if (size > IMAGE_LIMIT)
        return 0;
    const fs::path own = s_Root / "fuzz.data";
    WriteWhole(own, data, size);
    DArray<u8> image;
    if (ReadCompressedFile(own.c_str(), image, nullptr) != COMPRESS_DONE)
        return 0;
    const bool onFile = OpensOnFile(data, size);
    TRepositoryHeader header;
    if (onFile || image.GetCount() >= static_cast<i32>(REPOSITORY_HEADER_SIZE))
        std::memcpy(&header, onFile ? data : image.GetData(), REPOSITORY_HEADER_SIZE);
    // Which file the input is: one of the main repository's dependencies, or a repository of its own.
    const char* replaced = nullptr;
    for (u32 d = 0; d < s_MainHeader.nDependencyCount && !replaced; ++d)
        if (s_MainHeader.aDependency[d] == header.nId && header.nId != s_MainHeader.nId)
            replaced = AssociatedFile(header.nId);
    if (!(replaced && onFile) && !LoadsWhole(image, replaced != nullptr))
        return 0;
    std::vector<u8> kept;
    if (replaced)
    {
        kept = ReadWhole(replaced);
        WriteWhole(replaced, data, size);
    }
    g_pResourceManager->LoadRepository(replaced ? s_Main.c_str() : own.c_str(), 0);
    ReadBlocks();
    g_ManagerManager.Update(0.05f);
    g_pResourceManager->UnloadAll();
    g_pCluster->Clear();
    g_pResourceManager->CloseRepositories(0);
    if (replaced)
        WriteWhole(replaced, kept.data(), kept.size());
    return 0;
}
