#pragma once
// Stored test classes of every member kind, their descriptors and the managers that hold them:
// shapes (type 40, a pointer array of polymorphic objects), groups (41), links (42) and
// textures (36, the size of the engine's texture) in managed arrays.
#include "core/cluster/cluster.h"

#include <string>
#include <vector>

struct TTestGroup;
struct TTestLink;

constexpr u16 TEST_TEXTURE_TYPE = 36;
constexpr u16 TEST_SHAPE_TYPE = 40;
constexpr u16 TEST_GROUP_TYPE = 41;
constexpr u16 TEST_LINK_TYPE = 42;
constexpr u16 TEST_PART_TYPE = 43;
constexpr i32 TEST_SHAPE_MANAGER_ID = 100;

// Embedded in shapes; restored through a kind-4 record.
class TTestPart
{
public:
    virtual ~TTestPart() = default;
    virtual i32 GetKind() const { return TEST_PART_TYPE; }
    u32 nValue = 0;
};

class TTestShape
{
public:
    virtual ~TTestShape() = default;
    virtual i32 GetSides() const { return 3; }

    TTestShape* pNext = nullptr;
    TTestGroup* pGroup = nullptr;
    void* pAny = nullptr;
    TTestGroup* aGroup[3] = {};
    TTestLink* pLinks = nullptr;
    u32 nLinkCount = 0;
    TTestPart part;
    u32 nId = 0;
};

struct TTestGroup
{
    TTestShape* pFirst;
    TTestGroup* pParent;
    u32 nId;
    u32 nFlags;
};

struct TTestLink
{
    u32 nKey;
    void* pTarget;
};

class TTestTexture
{
public:
    virtual ~TTestTexture() = default;
    virtual i32 GetWidth() const { return 64; }
    u32 nId = 0;
    u8 aPixel[1652] = {};
};

static_assert(sizeof(TTestShape) == 48);
static_assert(sizeof(TTestGroup) == 16);
static_assert(sizeof(TTestLink) == 8);
static_assert(sizeof(TTestTexture) == 1660);

extern TClusterTypeDecl g_ShapeDecl;

// Holds shapes in a pointer array and stores one raw data block.
class TShapeManager : public TClusterManager
{
public:
    TShapeManager();
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    i32 GetDataCount() override { return nBlocks; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

    DArray<TTestShape*> aShape;
    i32 nBlocks = 1;
    std::string block = "shape block";
};

extern TShapeManager g_ShapeManager;
extern TClusterDynManager* g_pGroupManager;
extern TClusterDynManager* g_pLinkManager;
extern TClusterDynManager* g_pTextureManager;

// Records the notifications it hears in a journal shared by all listeners.
class TTestListener : public TClusterMethods
{
public:
    TTestListener(const char* name, std::vector<std::string>& journal) : m_Name(name), m_Journal(journal) {}
    void OnClusterUnload() override { m_Journal.push_back(m_Name + ".unload"); }
    void OnClusterLoad() override { m_Journal.push_back(m_Name + ".load"); }

private:
    std::string m_Name;
    std::vector<std::string>& m_Journal;
};

// The objects of a managed array.
template <class T> T* DynObjects(TClusterDynManager* manager, i32* count = nullptr)
{
    void* data = nullptr;
    i32 n = 0;
    manager->GetArray(0, data, n);
    if (count)
        *count = n;
    return static_cast<T*>(data);
}

// What a manager sees of the arrays (shapes and groups) when the cluster tells it to unload.
class TArrayWatcher : public TClusterMethods
{
public:
    void OnClusterUnload() override
    {
        i32 groups = 0;
        DynObjects<TTestGroup>(g_pGroupManager, &groups);
        seen.push_back(g_ShapeManager.aShape.GetCount() + groups);
    }
    void OnClusterLoad() override {}
    std::vector<i32> seen;
};

// Fills a managed array with n zeroed objects.
template <class T> T* MakeDynObjects(TClusterDynManager* manager, i32 n)
{
    std::vector<u8> zero(n * sizeof(T));
    manager->SetArray(0, zero.data(), n);
    return DynObjects<T>(manager);
}
