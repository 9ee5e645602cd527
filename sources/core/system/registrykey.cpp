#include "core/system/registrykey.h"

#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/string.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
const char* const kStoreError = "TRegistryKey: error: ";
const char kStoreMagic[4] = {'V', 'R', 'E', 'G'};
constexpr u32 kStoreVersion = 1;
constexpr u32 kRootHandle = 0x80000000;

struct TStoredValue
{
    u32 kind;
    std::vector<u8> data;
};

// Names of keys and values compare without case, as the system's registry does.
typedef std::map<std::string, TStoredValue> TStoredKey;
typedef std::map<std::string, TStoredKey> TStore;

std::mutex s_StoreLock;
u32 s_nNextHandle = 1;

std::string Lower(const char* text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string KeyId(u32 root, const char* path)
{
    return std::to_string(root) + ":" + Lower(path);
}

// A cursor over the file's bytes that refuses to read past the end.
struct TReader
{
    const std::vector<u8>& bytes;
    size_t at;

    bool Word(u32& value)
    {
        if (bytes.size() - at < 4)
            return false;
        std::memcpy(&value, bytes.data() + at, 4);
        at += 4;
        return true;
    }
    bool Bytes(u32 count, u32 limit, std::string& out)
    {
        if (count > limit || bytes.size() - at < count)
            return false;
        out.assign(reinterpret_cast<const char*>(bytes.data() + at), count);
        at += count;
        return true;
    }
};

void PutWord(std::vector<u8>& out, u32 value)
{
    const u8* bytes = reinterpret_cast<const u8*>(&value);
    out.insert(out.end(), bytes, bytes + 4);
}

void PutText(std::vector<u8>& out, const std::string& text)
{
    PutWord(out, static_cast<u32>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}

std::string ConfigFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return config;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : ".") + "/.config";
}

std::string ProductFolder()
{
    const char* product = GetProductName()->GetText();
    return ConfigFolder() + "/" + (product[0] ? product : "vestamor");
}

bool SaveStore(const TStore& store);

// An unreadable or damaged store is renamed aside, never overwritten: the next write would
// replace what it still holds. False when it cannot be moved.
bool KeepAside(const std::string& file, const char* why)
{
    for (u32 n = 1; n < 100; ++n)
    {
        const std::string aside = file + ".unreadable." + std::to_string(n);
        struct stat info;
        if (lstat(aside.c_str(), &info) == 0)
            continue;
        if (rename(file.c_str(), aside.c_str()) != 0)
            break;
        TLog::Print(g_pSystemLog, LOG_ERROR, kStoreError, "%s key store '%s' kept aside as '%s'", why, file.c_str(),
                    aside.c_str());
        return true;
    }
    TLog::Print(g_pSystemLog, LOG_ERROR, kStoreError, "%s key store '%s' cannot be kept aside: %s; it is not written",
                why, file.c_str(), std::strerror(errno));
    return false;
}

// The store as the file holds it; false when it may not be written over (a store that could
// not be read nor kept aside). A missing file is an empty store; an unreadable one is kept
// aside, and a damaged one too, with what was read before the damage stored anew.
bool LoadStore(TStore& store)
{
    store.clear();
    const std::string file = GetRegistryFile();
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        return true;
    std::vector<u8> bytes;
    bool readable = fd >= 0;
    u8 buffer[65536];
    ssize_t got = 0;
    while (readable && (got = read(fd, buffer, sizeof buffer)) != 0)
    {
        if (got < 0 && errno == EINTR)
            continue;
        readable = got > 0;
        if (readable)
            bytes.insert(bytes.end(), buffer, buffer + got);
    }
    if (fd >= 0)
        close(fd);
    if (!readable)
        return KeepAside(file, "unreadable");

    TReader reader{bytes, 0};
    std::string magic;
    u32 version = 0;
    bool sound = reader.Bytes(4, 4, magic) && magic == std::string(kStoreMagic, 4) && reader.Word(version) &&
                 version == kStoreVersion;
    while (sound && reader.at < bytes.size())
    {
        u32 root, pathLength, values;
        std::string path;
        sound = reader.Word(root) && reader.Word(pathLength) &&
                reader.Bytes(pathLength, REGISTRY_PATH_SIZE, path) && reader.Word(values);
        TStoredKey key;
        for (u32 i = 0; sound && i < values; ++i)
        {
            u32 nameLength, kind, size;
            std::string name, data;
            sound = reader.Word(nameLength) && reader.Bytes(nameLength, REGISTRY_PATH_SIZE, name) &&
                    reader.Word(kind) && reader.Word(size) && reader.Bytes(size, REGISTRY_VALUE_SIZE, data);
            if (sound)
                key[name] = TStoredValue{kind, std::vector<u8>(data.begin(), data.end())};
        }
        if (sound)
            store[KeyId(root, path.c_str())] = key;
    }
    if (sound)
        return true;
    TLog::Print(g_pSystemLog, LOG_ERROR, kStoreError, "damaged key store '%s' (read up to byte %u)", file.c_str(),
                static_cast<u32>(reader.at));
    if (!KeepAside(file, "damaged"))
        return false;
    return store.empty() || SaveStore(store);
}

bool WriteAll(int fd, const std::vector<u8>& bytes)
{
    size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// Writes the whole store to a temporary file readable by its owner only, then renames it over
// the store.
bool SaveStore(const TStore& store)
{
    std::vector<u8> bytes(kStoreMagic, kStoreMagic + 4);
    PutWord(bytes, kStoreVersion);
    for (const auto& [id, key] : store)
    {
        const size_t colon = id.find(':');
        PutWord(bytes, static_cast<u32>(std::strtoul(id.c_str(), nullptr, 10)));
        PutText(bytes, id.substr(colon + 1));
        PutWord(bytes, static_cast<u32>(key.size()));
        for (const auto& [name, value] : key)
        {
            PutText(bytes, name);
            PutWord(bytes, value.kind);
            PutWord(bytes, static_cast<u32>(value.data.size()));
            bytes.insert(bytes.end(), value.data.begin(), value.data.end());
        }
    }

    const std::string config = ConfigFolder();
    const std::string folder = ProductFolder();
    mkdir(config.c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    const std::string file = GetRegistryFile();
    const std::string temporary = file + ".tmp";
    unlink(temporary.c_str());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool stored = fd >= 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    if (fd >= 0 && close(fd) != 0)
        stored = false;
    stored = stored && rename(temporary.c_str(), file.c_str()) == 0;
    if (!stored)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kStoreError, "unable to store '%s': %s", file.c_str(),
                    std::strerror(errno));
        unlink(temporary.c_str());
    }
    return stored;
}
} // namespace

const char* GetRegistryFile()
{
    static char s_aFile[1024];
    FormatStringN(s_aFile, sizeof s_aFile, "%s/registry.store", ProductFolder().c_str());
    return s_aFile;
}

TRegistryKey& TRegistryKey::Root(TRegistryRoot root)
{
    static TRegistryKey s_aRoot[REGISTRY_ROOTS];
    TRegistryKey& key = s_aRoot[root < REGISTRY_ROOTS ? root : REGISTRY_CURRENT_USER];
    if (!key.m_nHandle)
    {
        key.m_nRoot = root;
        key.m_nHandle = kRootHandle + root;
    }
    return key;
}

u32 TRegistryKey::Open(const TRegistryKey& parent, const char* subkey, bool create)
{
    Close();
    if (!parent.IsOpen())
        return 0;
    char path[REGISTRY_PATH_SIZE];
    const i32 length = parent.m_aPath[0] ? FormatStringN(path, sizeof path, "%s\\%s", parent.m_aPath, subkey)
                                         : FormatStringN(path, sizeof path, "%s", subkey);
    if (length >= REGISTRY_PATH_SIZE - 1)
        return 0;

    std::lock_guard<std::mutex> lock(s_StoreLock);
    TStore store;
    const bool writable = LoadStore(store);
    const std::string id = KeyId(parent.m_nRoot, path);
    // A key exists when it was stored or lies on the path of a stored key.
    const auto below = store.lower_bound(id + "\\");
    const bool exists = store.count(id) || (below != store.end() && below->first.rfind(id + "\\", 0) == 0);
    if (!exists)
    {
        if (!create || !writable)
            return 0;
        store[id];
        if (!SaveStore(store))
            return 0;
    }
    std::memcpy(m_aPath, path, sizeof path);
    m_nRoot = parent.m_nRoot;
    m_nHandle = s_nNextHandle++;
    return m_nHandle;
}

void TRegistryKey::Close()
{
    if (m_nHandle >= kRootHandle)
        return; // the roots stay open
    m_nHandle = 0;
}

u32 TRegistryKey::QueryValue(const char* name)
{
    if (!IsOpen())
        return 1;
    std::lock_guard<std::mutex> lock(s_StoreLock);
    TStore store;
    LoadStore(store);
    const auto key = store.find(KeyId(m_nRoot, m_aPath));
    if (key == store.end())
        return 2;
    const auto value = key->second.find(Lower(name));
    if (value == key->second.end())
        return 2;
    m_Value.kind = value->second.kind;
    m_Value.size = static_cast<u32>(value->second.data.size());
    std::memcpy(m_Value.data, value->second.data.data(), m_Value.size);
    return 0;
}

const TRegistryValue* TRegistryKey::GetValue(const char* name)
{
    return QueryValue(name) == 0 ? &m_Value : nullptr;
}

u32 TRegistryKey::GetDword(const char* name)
{
    const TRegistryValue* value = GetValue(name);
    if (!value || value->kind != REGISTRY_DWORD || value->size < 4)
        return 0;
    u32 number;
    std::memcpy(&number, value->data, 4);
    return number;
}

u32 TRegistryKey::GetBinary(const char* name, void* buffer, u32* size)
{
    const TRegistryValue* value = GetValue(name);
    if (!value)
        return 1;
    if (*size < value->size)
    {
        *size = value->size;
        return 2;
    }
    std::memcpy(buffer, value->data, value->size);
    *size = value->size;
    return 0;
}

u64 TRegistryKey::GetSecurityToken()
{
    const TRegistryValue* value = GetValue("SecurityToken");
    if (!value || value->kind != REGISTRY_QWORD || value->size < 8)
        return 0;
    u64 token;
    std::memcpy(&token, value->data, 8);
    return token;
}

const char* TRegistryKey::GetUsername()
{
    TRegistryValue* value = QueryValue("Username") == 0 ? &m_Value : nullptr;
    if (!value || value->kind != REGISTRY_TEXT)
        return "";
    // Stored texts may lack their NUL.
    value->data[value->size < REGISTRY_VALUE_SIZE ? value->size : REGISTRY_VALUE_SIZE - 1] = 0;
    return reinterpret_cast<const char*>(value->data);
}

u32 TRegistryKey::SetValue(const char* name, u32 kind, const void* data, u32 size)
{
    if (!IsOpen())
        return 1;
    if (size > REGISTRY_VALUE_SIZE || m_nHandle >= kRootHandle)
        return 2;
    std::lock_guard<std::mutex> lock(s_StoreLock);
    TStore store;
    if (!LoadStore(store))
        return 2;
    const u8* bytes = static_cast<const u8*>(data);
    store[KeyId(m_nRoot, m_aPath)][Lower(name)] = TStoredValue{kind, std::vector<u8>(bytes, bytes + size)};
    return SaveStore(store) ? 0 : 2;
}

u32 TRegistryKey::DeleteValue(const char* name)
{
    if (!IsOpen())
        return 1;
    std::lock_guard<std::mutex> lock(s_StoreLock);
    TStore store;
    if (!LoadStore(store))
        return 2;
    const auto key = store.find(KeyId(m_nRoot, m_aPath));
    if (key == store.end() || key->second.erase(Lower(name)) == 0)
        return 0;
    return SaveStore(store) ? 0 : 2;
}
