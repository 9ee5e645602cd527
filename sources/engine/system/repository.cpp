#include "engine/system/repository.h"

#include "core/compression/compressedfile.h"
#include "core/stream/filestream.h"
#include "core/stream/memorymappedstream.h"
#include "core/system/abort.h"
#include "core/system/criticalsection.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/pagelock.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"

#include <cstring>
#include <zlib.h>

namespace
{
const char* const kSource = "sources/engine/system/repository";
const char kSignature[8] = {'v', 'e', 's', 't', 'a', 'm', 'o', 'r'};
const char kBuildSignature[8] = {'v', 'e', 's', 'b', 'u', 'i', 'l', 'd'};

// The scratch buffer of __GetResourceData; it only grows.
DArray<u8> s_aScratch;
// The run-time append in progress.
TRepository* s_pWriteRepository = nullptr;
TResource* s_pWriteResource = nullptr;
DArray<u8> s_aWriteBuffer;

// Streamed repositories share one stream position between the main and the loader thread.
TCriticalSection& StreamLock()
{
    static TCriticalSection s_Lock;
    return s_Lock;
}
} // namespace

TRepositoryHeader::TRepositoryHeader()
    : nVersion(REPOSITORY_VERSION), nFlags(0), nId(0), nReserved20(0), nReserved24(0), nClusterOffset(0),
      nReserved32(0), nDependencyCount(0), aDependency{}
{
    std::memcpy(aSignature, kBuildSignature, sizeof aSignature);
}

u32 TRepositoryHeader::isValid(const TRepositoryHeader* header, const char* name)
{
    if (std::memcmp(header->aSignature, kSignature, sizeof kSignature) != 0)
    {
        if (!name)
            return 0;
        __Abort("TRepositoryHeader::isValid", kSource, __LINE__, "'%s' header error: incorrect signature",
                name);
    }
    if (header->nVersion != REPOSITORY_VERSION)
    {
        if (!name)
            return 0;
        __Abort("TRepositoryHeader::isValid", kSource, __LINE__,
                "'%s' header error: incorrect version (version %d expected)", name, REPOSITORY_VERSION);
    }
    return 1;
}

const char* TRepositoryHeader::Check(const u8* image, u32 size)
{
    if (size < REPOSITORY_HEADER_SIZE)
        return "truncated header";
    TRepositoryHeader header;
    std::memcpy(&header, image, REPOSITORY_HEADER_SIZE);
    if (!isValid(&header, nullptr))
        return std::memcmp(header.aSignature, kSignature, sizeof kSignature) ? "incorrect signature"
                                                                             : "incorrect version";
    if (header.nDependencyCount > REPOSITORY_DEPENDENCY_CAPACITY)
        return "more than 8 dependencies";
    if (header.nClusterOffset != 0 &&
        (header.nClusterOffset < REPOSITORY_HEADER_SIZE || header.nClusterOffset >= size))
        return "cluster image offset outside the file";
    return nullptr;
}

TRepository::TRepository(u32 id, u32 flags, const TName& name)
    : m_nId(id), m_nFlags(flags), m_Name(name), m_pStream(nullptr), m_bMapped(false), m_bWritable(false)
{
}

TRepository::~TRepository()
{
    if (s_pWriteRepository == this)
        s_pWriteRepository = nullptr;
    // A view of a mapping is not the image's to free: it goes with the stream.
    if (m_bMapped)
        m_aImage.MarkForeign();
    m_aImage.Free();
    if (m_pStream)
        MemoryDelete(m_pStream);
}

TRepository::TRepository(const void* image, u32 size) : TRepository(0, 0, TName())
{
    AttachImage(static_cast<u8*>(const_cast<void*>(image)), size);
}

void TRepository::AdoptImage(DArray<u8>& image)
{
    m_aImage.Free();
    m_aImage.Swap(image);
}

void TRepository::AttachImage(u8* data, u32 size)
{
    m_aImage.Attach(data, static_cast<i32>(size));
}

bool TRepository::OpenMapped(const char* path)
{
    auto* stream = MemoryNew<TMemoryMappedStream>();
    if (stream->Open(TName(path, true), 1) != 0)
    {
        MemoryDelete(stream);
        return false;
    }
    m_pStream = stream;
    m_aImage.Attach(stream->GetData(), stream->GetSize());
    m_bMapped = true;
    return true;
}

bool TRepository::OpenStreamed(const char* path, bool writable)
{
    auto* stream = MemoryNew<TFileStream>();
    if (stream->Open(TName(path, true), writable ? 3 : 1) != 1)
    {
        MemoryDelete(stream);
        return false;
    }
    m_pStream = stream;
    m_bWritable = writable;
    return true;
}

u8* TRepository::GetClusterImage(u32 offset)
{
    const u32 size = GetImageSize();
    if (offset >= size)
        return nullptr;
    u8* image = m_aImage.GetData() + offset;
    if (reinterpret_cast<uintptr_t>(image) % 16 == 0)
        return image;
    m_aCluster.SetCount(static_cast<i32>(size - offset));
    std::memcpy(m_aCluster.GetData(), image, size - offset);
    return m_aCluster.GetData();
}

u32 TRepository::GetSize()
{
    if (m_aImage.GetCount() || !m_pStream)
        return static_cast<u32>(m_aImage.GetCount());
    StreamLock().Enter();
    const i32 size = m_pStream->GetSize();
    StreamLock().Leave();
    return size > 0 ? static_cast<u32>(size) : 0;
}

bool TRepository::Inside(u32 position, u32 size, const char* what)
{
    const u32 total = GetSize();
    if (position <= total && size <= total - position)
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR, "TRepository::__LoadBlock(): error: ",
                "'%s': %s of %u bytes at %u lies outside the repository (%u bytes)", m_Name.GetText(), what,
                size, position, total);
    return false;
}

bool TRepository::ReadRaw(void* target, u32 position, u32 size, u32 flags)
{
    if (!Inside(position, size, "block"))
        return false;
    if (m_aImage.GetCount())
    {
        const u8* source = m_aImage.GetData() + position;
        if (flags & RESOURCE_READ_LOCK_PAGES)
            PageLock(source, size);
        std::memcpy(target, source, size);
        return true;
    }
    StreamLock().Enter();
    const i32 back = m_pStream->GetPosition();
    m_pStream->Seek(static_cast<i32>(position), STREAM_SEEK_SET);
    const i32 read = m_pStream->Read(target, static_cast<i32>(size));
    m_pStream->Seek(back, STREAM_SEEK_SET);
    StreamLock().Leave();
    if (read == static_cast<i32>(size))
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR,
                "TRepository::__LoadBlock(): error: ", "'%s': %u bytes at %u cannot be read",
                m_Name.GetText(), size, position);
    return false;
}

i32 TRepository::__LoadBlock(TResource* resource, u32 tag, void* target, u32 position, u32 size, u32 flags)
{
    if (!m_aImage.GetCount() && !m_pStream)
        return 1;
    if ((flags & RESOURCE_READ_LOADER_THREAD) && g_pResourceManager &&
        g_pResourceManager->GetLoader().Request(
            tag, target, resource, position, size,
            flags & (RESOURCE_READ_LOCK_PAGES | RESOURCE_READ_COMPRESSED)) == 0)
        return 0;
    DArray<u8> raw;
    if (flags & RESOURCE_READ_COMPRESSED)
    {
        // size is the room of the target; the stored block (head and stream) runs at most to
        // the end of the resource's data.
        u32 stored = size;
        if (position >= resource->m_nDataOffset &&
            position - resource->m_nDataOffset <= resource->m_nDataSize)
            stored = resource->m_nDataOffset + resource->m_nDataSize - position;
        // Never more than the repository holds from there.
        if (!Inside(position, 0, "compressed block"))
            return 1;
        const u32 total = GetSize();
        if (stored > total - position)
            stored = total - position;
        if (stored < sizeof(TCompressedBlockHead))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TRepository::__LoadBlock(): error: ",
                        "'%s': compressed block of '%s' at %u has no head", m_Name.GetText(),
                        resource->GetNameText(), position);
            return 1;
        }
        if (!raw.TrySetCapacity(static_cast<i32>(stored)) || !ReadRaw(raw.GetData(), position, stored, flags))
            return 1;
        TCompressedBlockHead head;
        std::memcpy(&head, raw.GetData(), sizeof head);
        u32 produced = head.nSize;
        const bool fits = head.nCompressedSize <= stored - sizeof head && head.nSize <= size;
        if (!fits ||
            InflateBuffer(raw.GetData() + sizeof head, head.nCompressedSize, target, &produced) !=
                Z_STREAM_END ||
            produced != head.nSize)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TRepository::__LoadBlock(): error: ",
                        "'%s': compressed block of '%s' at %u (%u bytes to %u, room for %u) refused",
                        m_Name.GetText(), resource->GetNameText(), position, head.nCompressedSize,
                        head.nSize, size);
            return 1;
        }
    }
    else if (!ReadRaw(target, position, size, flags))
        return 1;
    if (!(flags & RESOURCE_READ_NO_NOTIFY))
        resource->OnDataArrived(tag);
    if ((flags & RESOURCE_READ_LOCK_PAGES) && m_aImage.GetCount())
        PageUnlock(m_aImage.GetData() + position, size);
    return 0;
}

u8* TRepository::__GetResourceData(u32 position, u32 size)
{
    if (!Inside(position, size, "data"))
        return nullptr;
    if (m_aImage.GetCount())
        return m_aImage.GetData() + position;
    if (static_cast<u32>(s_aScratch.GetCount()) < size)
    {
        if (!s_aScratch.TrySetCapacity(static_cast<i32>(size)))
            return nullptr;
        s_aScratch.SetCount(static_cast<i32>(size));
    }
    return ReadRaw(s_aScratch.GetData(), position, size, 0) ? s_aScratch.GetData() : nullptr;
}

void TRepository::__ResourceBegin(TRepository* repository, TResource* resource)
{
    if (repository->m_nFlags & REPOSITORY_LOCKED)
        __Abort(
            "TRepository::__ResourceBegin", kSource, __LINE__,
            "unable to add new resource '%s' into locked repository '%s' (repository is probably compressed)",
            resource->GetNameText(), repository->m_Name.GetText());
    s_pWriteRepository = repository;
    s_pWriteResource = resource;
    s_aWriteBuffer.SetCount(0);
}

i32 TRepository::__ResourceWrite(const void* bytes, u32 count)
{
    if (!bytes || !s_pWriteResource)
        return 0;
    const i32 at = s_aWriteBuffer.GetCount();
    s_aWriteBuffer.SetCount(at + static_cast<i32>(count));
    std::memcpy(s_aWriteBuffer.GetData() + at, bytes, count);
    return 0;
}

void TRepository::__ResourceEnd()
{
    TRepository* repository = s_pWriteRepository;
    TResource* resource = s_pWriteResource;
    s_pWriteRepository = nullptr;
    s_pWriteResource = nullptr;
    if (!resource)
        return;
    // Only a repository opened for writing has a stream to append to.
    if (!repository || !repository->m_bWritable || !repository->m_pStream)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TRepository::__ResourceEnd(): error: ",
                    "'%s': the repository is not open for writing: resource '%s' not added",
                    repository ? repository->m_Name.GetText() : "", resource->GetNameText());
        return;
    }
    StreamLock().Enter();
    repository->m_pStream->Seek(0, STREAM_SEEK_END);
    resource->m_nDataOffset = static_cast<u32>(repository->m_pStream->GetPosition());
    resource->m_nDataSize = static_cast<u32>(s_aWriteBuffer.GetCount());
    repository->m_pStream->Write(s_aWriteBuffer.GetData(), s_aWriteBuffer.GetCount());
    StreamLock().Leave();
}
