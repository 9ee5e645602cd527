#pragma once
// Repository files (".data"): a 72-byte header, a cluster image of the repository's records
// and the data blocks of its resources, read on demand. TRepository is one open repository:
// its whole image in memory (loaded in full or memory-mapped), or only its file (streamed).
#include "core/system/name.h"
#include "core/system/templates/darray.h"

class TResource;
class TStream;

constexpr u32 REPOSITORY_VERSION = 1002;
constexpr u32 REPOSITORY_HEADER_SIZE = 72;
constexpr u32 REPOSITORY_DEPENDENCY_CAPACITY = 8;
// Dependency ids from here on may be missing.
constexpr u32 REPOSITORY_OPTIONAL_ID = 100000;

// Header flags.
constexpr u32 REPOSITORY_RESIDENT = 0x01;  // stays open across top-level loads
constexpr u32 REPOSITORY_LOCKED = 0x02;    // no resource may be added at run time
constexpr u32 REPOSITORY_STREAMED = 0x08;  // as a dependency: read block by block from the file
constexpr u32 REPOSITORY_MAPPED = 0x10;    // as a dependency: memory-mapped
constexpr u32 REPOSITORY_KEEP_OPEN = 0x40; // stays open when the resource manager finalises

// A compressed block: this head, then one zlib stream of the compressed size.
struct TCompressedBlockHead
{
    u32 nReserved;
    u32 nSize;
    u32 nCompressedSize;
};

static_assert(sizeof(TCompressedBlockHead) == 12);

struct TRepositoryHeader
{
    // A header made in memory: "vesbuild", the version, everything else 0.
    TRepositoryHeader();

    // 1 when signature and version are right. Without a name a wrong header gives 0; with one
    // it is fatal, naming the repository.
    static u32 isValid(const TRepositoryHeader* header, const char* name);
    // The whole check of a header against the image it heads: signature, version, at most 8
    // dependencies, the cluster image inside the image. 0 when sound, else the reason.
    static const char* Check(const u8* image, u32 size);

    char aSignature[8];
    u32 nVersion;
    u32 nFlags;
    u32 nId;
    u32 nReserved20;
    u32 nReserved24;
    u32 nClusterOffset;
    u32 nReserved32;
    u32 nDependencyCount;
    u32 aDependency[REPOSITORY_DEPENDENCY_CAPACITY];
};

static_assert(sizeof(TRepositoryHeader) == REPOSITORY_HEADER_SIZE);
static_assert(offsetof(TRepositoryHeader, nClusterOffset) == 28);
static_assert(offsetof(TRepositoryHeader, aDependency) == 40);

class TRepository
{
public:
    TRepository(u32 id, u32 flags, const TName& name);
    // Bytes the caller holds, outside the manager's set (resources made at run time, tests).
    TRepository(const void* image, u32 size);
    ~TRepository();
    TRepository(const TRepository&) = delete;
    TRepository& operator=(const TRepository&) = delete;

    // Takes the whole file's bytes.
    void AdoptImage(DArray<u8>& image);
    // Maps the file: the image is a view the repository does not own. false when it fails.
    bool OpenMapped(const char* path);
    // Opens the file for block reads (and for run-time appends when writable).
    bool OpenStreamed(const char* path, bool writable);
    // Uses bytes the caller keeps alive (tests, fuzzing).
    void AttachImage(u8* data, u32 size);

    // Reads size bytes at position into target, then tells the resource unless flag 4 (the
    // RESOURCE_READ_* flags). With flag 8 the stored block at position (a head, then one zlib
    // stream, at most up to the end of the resource's data) is inflated into target, size
    // being the target's room. A block outside the repository, or one that
    // does not inflate to its stated size, is refused with a log line: 1; 0 when read.
    i32 __LoadBlock(TResource* resource, u32 tag, void* target, u32 position, u32 size, u32 flags);
    // The bytes at position: in the image, or read into a shared scratch buffer valid until
    // the next call; null (logged) when they lie outside the repository.
    u8* __GetResourceData(u32 position, u32 size);

    // Run-time appends of a new resource's data block (repositories opened for writing only).
    static void __ResourceBegin(TRepository* repository, TResource* resource);
    static i32 __ResourceWrite(const void* bytes, u32 count);
    static void __ResourceEnd();

    u32 GetId() const { return m_nId; }
    u32 GetFlags() const { return m_nFlags; }
    const TName& GetName() const { return m_Name; }
    void SetName(const TName& name) { m_Name = name; }
    u8* GetImage() { return m_aImage.GetData(); }
    // The cluster image at offset, on a 16-byte boundary (records are used where they lie): the
    // image's own bytes, or a copy when the offset is not aligned. Null when no image is held.
    u8* GetClusterImage(u32 offset);
    u32 GetImageSize() const { return static_cast<u32>(m_aImage.GetCount()); }
    bool IsMapped() const { return m_bMapped; }
    // Bytes the repository can be read at: the image's, or the file's.
    u32 GetSize();

private:
    // Whether [position, position + size) lies inside the repository; logs when not.
    bool Inside(u32 position, u32 size, const char* what);
    // Raw bytes into target: from the image, or from the stream (position kept).
    bool ReadRaw(void* target, u32 position, u32 size, u32 flags);

    u32 m_nId;
    u32 m_nFlags;
    TName m_Name;
    TStream* m_pStream;
    DArray<u8> m_aImage;
    DArray<u8> m_aCluster;
    bool m_bMapped;
    bool m_bWritable;
};
