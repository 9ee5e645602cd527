#pragma once
// TRegistryKey: the engine's small persistent key store. Keys are paths under one of seven
// roots; values are named {kind, size, data}. Everything lives in one file under the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config, then a folder named after the
// product), readable by its owner only and rewritten whole through a temporary file and a
// rename, so a reader never sees half a store. A store that cannot be read is renamed aside,
// never written over.
#include "core/system/types.h"

// Value kinds.
constexpr u32 REGISTRY_NONE = 0;
constexpr u32 REGISTRY_BINARY = 1;
constexpr u32 REGISTRY_DWORD = 2;
constexpr u32 REGISTRY_QWORD = 3;
constexpr u32 REGISTRY_TEXT = 4;
constexpr u32 REGISTRY_TEXT_LIST = 5;
constexpr u32 REGISTRY_OTHER = 6;
constexpr u32 REGISTRY_LINK = 7;

constexpr u32 REGISTRY_VALUE_SIZE = 8192;
constexpr i32 REGISTRY_PATH_SIZE = 1024;

// The predefined roots, in the order of TRegistryKey::Root.
enum TRegistryRoot : u32
{
    REGISTRY_CLASSES_ROOT,
    REGISTRY_CURRENT_CONFIG,
    REGISTRY_CURRENT_USER,
    REGISTRY_LOCAL_MACHINE,
    REGISTRY_USERS,
    REGISTRY_PERFORMANCE_DATA,
    REGISTRY_DYNAMIC_DATA,
    REGISTRY_ROOTS
};

struct TRegistryValue
{
    u32 kind;
    u32 size;
    u8 data[REGISTRY_VALUE_SIZE];
};

class TRegistryKey
{
public:
    TRegistryKey() : m_nHandle(0), m_Value(), m_aPath(), m_nRoot(0) {}
    ~TRegistryKey() { Close(); }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;

    // One of the seven predefined roots; always open.
    static TRegistryKey& Root(TRegistryRoot root);

    // Opens the subkey of the parent (the subkey path's parts joined by "\"); a missing key is
    // created when asked. Returns the handle, 0 on failure.
    u32 Open(const TRegistryKey& parent, const char* subkey, bool create);
    void Close();
    bool IsOpen() const { return m_nHandle != 0; }

    // 1 when the key is not open, 2 when the value cannot be read, else 0 with the value filled.
    u32 QueryValue(const char* name);
    // The value read, or null.
    const TRegistryValue* GetValue(const char* name);
    // The number of a kind-2 value, else 0.
    u32 GetDword(const char* name);
    // 0 copied; 1 not open or missing, 2 the buffer is too small. size: room in, bytes out.
    u32 GetBinary(const char* name, void* buffer, u32* size);
    // The 64-bit "SecurityToken" when of kind 3, else 0.
    u64 GetSecurityToken();
    // The text "Username" when of kind 4, else the empty text.
    const char* GetUsername();

    // Writes a value and stores the file: 0 done, 1 not open, 2 too large or not stored.
    u32 SetValue(const char* name, u32 kind, const void* data, u32 size);
    // 0 deleted or missing, 1 not open, 2 not stored.
    u32 DeleteValue(const char* name);

    const char* GetPath() const { return m_aPath; }

private:
    u32 m_nHandle;
    TRegistryValue m_Value;
    char m_aPath[REGISTRY_PATH_SIZE];
    u32 m_nRoot;
};

static_assert(sizeof(TRegistryKey) == 9232);

// The store's file; the folder is created on the first write.
const char* GetRegistryFile();
