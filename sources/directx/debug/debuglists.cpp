#include "directx/debug/debuglists.h"

#include "core/cluster/cluster.h"
#include "core/cluster/clustertypedecl.h"
#include "core/system/timer.h"
#include "directx/debug/debugmanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/render/device.h"
#include "engine/render/mesh.h"
#include "engine/render/meshdata.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "engine/system/propmanager.h"
#include "engine/system/resource.h"
#include "engine/system/resourcemanager.h"

#include <algorithm>
#include <iterator>

const char* const DEBUG_RESOURCE_NAMES[DEBUG_RESOURCE_ROWS] = {
    "Unknown",  "System",       "Mesh",         "Collision",   "DynamicMesh", "Texture", "Render target", "Material",
    "Shader",   "Skeleton",     "Animation",    "Script",      "Sound",       "SoundGroup", "SoundGeometry",
    "SoundReverb", "SoundLibrary", "Movie",    "Decal",       "User1",       "User2",   "User3",         "User4",
    "Total"};

namespace
{
constexpr f32 MEGABYTE = 1.0f / 1048576.0f;
// Right-aligned number columns end at their x.
constexpr i32 ALIGN_RIGHT = 2;

// The mesh's node is enabled (its own and inherited bits) and it has a mesh to show.
bool IsListed(TMesh* mesh)
{
    return mesh && mesh->pMeshData && mesh->pNode && mesh->pNode->IsEnabled();
}

u32 MeshKeys()
{
    static const char* const s_aName[] = {"Up", "Down", "PgUp", "PgDn", "Space"};
    static TInput* s_apInput[5] = {};
    static bool s_bLooked = false;
    if (!s_bLooked)
    {
        for (u32 i = 0; i < 5; ++i)
            s_apInput[i] = TInputManager::Instance().FindInput(TName(s_aName[i], true));
        s_bLooked = true;
    }
    const u32 bits[] = {DEBUG_KEY_UP, DEBUG_KEY_DOWN, DEBUG_KEY_PAGE_UP, DEBUG_KEY_PAGE_DOWN, DEBUG_KEY_SPACE};
    u32 keys = 0;
    for (u32 i = 0; i < 5; ++i)
        if (s_apInput[i] && s_apInput[i]->WasPressed())
            keys |= bits[i];
    return keys;
}
} // namespace

TDebugMeshPaging& DebugMeshPaging()
{
    static TDebugMeshPaging s_Paging;
    return s_Paging;
}

TDebugResourceTable& DebugResourceTable()
{
    static TDebugResourceTable s_Table = {};
    return s_Table;
}

u32* DebugArrayOrder()
{
    static u32 s_aOrder[DEBUG_ARRAY_ORDER_SIZE];
    static bool s_bSet = false;
    if (!s_bSet)
    {
        for (u32 i = 0; i < DEBUG_ARRAY_ORDER_SIZE; ++i)
            s_aOrder[i] = i;
        s_bSet = true;
    }
    return s_aOrder;
}

TDebugPropCounts DebugPropCounts(const TPropDataPool& pool)
{
    const i32 free = std::clamp(pool.m_nFreeCount, 0, static_cast<i32>(std::size(pool.aFree)));
    i32 held = 0;
    for (const TProp* prop = pool.lProp.pFirst; prop; prop = prop->pNext)
        ++held;
    return {free, free + held, pool.m_nInsideFrustum};
}

const TColor& DebugPropColor(i32 row, const TDebugPropCounts& counts)
{
    if (counts.n2 == 0)
        return DEBUG_BLACK;
    if (counts.n1 <= counts.n2)
        return DEBUG_BLUE;
    return row % 2 == 0 ? DEBUG_LIGHT_GREY : DEBUG_WHITE;
}

void DrawPropList()
{
    static const TName s_Font("Arial", true);
    if (!g_pPropManager)
        return;
    g_pDxCanvasManager->SetFont(s_Font, DEBUG_LIST_FONT_SIZE);
    const f32 bottom = static_cast<f32>(g_pDeviceManager->GetVideoHeight()) - 50.0f;
    f32 x = 10.0f, y = DEBUG_PROP_TOP;
    DArray<TPropDataPool*>& pools = g_pPropManager->Pools();
    for (i32 i = 0; i < pools.GetCount(); ++i)
    {
        const TPropDataPool& pool = *pools[i];
        const TDebugPropCounts n = DebugPropCounts(pool);
        // The type's name: that of any of its full forms.
        const TPropData* form = n.n0 > 0 ? pool.aFree[0] : pool.lProp.pFirst ? pool.lProp.pFirst->pPropData : nullptr;
        const TColor& color = DebugPropColor(i, n);
        CanvasWritefColored(x, y, color, "%d %s", i, form ? form->m_Name.GetText() : "");
        CanvasWritefColored(x + 150.0f, y, color, "%d", n.n1 - n.n0);
        CanvasWritefColored(x + 175.0f, y, color, "%d", n.n1);
        CanvasWritefColored(x + 200.0f, y, color, "%d", n.n2);
        y += DEBUG_PROP_ROW_HEIGHT;
        if (y > bottom)
        {
            x += DEBUG_PROP_COLUMN_WIDTH;
            y = DEBUG_PROP_TOP;
        }
    }
    g_pDxCanvasManager->SetDefaultFont();
}

void DrawMeshList()
{
    if (!g_pDxMeshManager)
        return;
    TDebugMeshPaging& paging = DebugMeshPaging();
    const i32 count = g_pDxMeshManager->GetMeshCount();
    bool selectedDrawn = false;
    f32 offset = 0.0f;
    for (i32 i = std::max(paging.nFirst, 0); i < count && offset < DEBUG_MESH_LIST_HEIGHT; ++i)
    {
        TMesh* mesh = g_pDxMeshManager->GetMesh(i);
        if (!IsListed(mesh))
            continue;
        const bool selected = i == paging.nSelected;
        selectedDrawn |= selected;
        CanvasWritefColored(100.0f, 50.0f + offset, selected ? DEBUG_BLUE : DEBUG_WHITE, "%d %s (%s)", i,
                            mesh->pNode->m_Name.GetText(), mesh->pMeshData->GetNameText());
        offset += DEBUG_MESH_ROW_HEIGHT;
    }
    const i32 toggled = paging.Step(count, selectedDrawn, MeshKeys(),
                                    [](i32 i) { return IsListed(g_pDxMeshManager->GetMesh(i)); });
    if (toggled >= 0)
    {
        // Its own flag: set when the node is not fully enabled, cleared when it is; a node
        // switched off drops out and the selection moves on.
        TNode* node = g_pDxMeshManager->GetMesh(toggled)->pNode;
        if (node)
            node->Enable(node->IsEnabled() ? 0 : 1, 0);
    }
}

void DrawArrayList()
{
    u32* order = DebugArrayOrder();
    const u32 count = std::min(g_pCluster->GetArrayCount(), DEBUG_ARRAY_ORDER_SIZE);
    const f32 bottom = static_cast<f32>(g_pDeviceManager->GetVideoHeight()) - 50.0f;
    f32 y = 100.0f;
    f32 total = 0.0f;
    u32 previous = 0;
    for (u32 k = 0; k < count; ++k)
    {
        // The order table may name an entry past a registry that shrank: skip it.
        if (order[k] >= count)
            continue;
        const TClusterManagerItem& item = g_pCluster->GetArrayItem(order[k]);
        void* data = nullptr;
        i32 items = 0;
        item.GetArray(data, items);
        const u32 size = item.pDecl ? item.pDecl->GetObjectSize() : 0;
        const u32 bytes = size * static_cast<u32>(std::max(items, 0));
        total += static_cast<f32>(bytes);
        if (bytes > DEBUG_ARRAY_THRESHOLD && y < bottom)
        {
            const TName* manager = item.pManager ? item.pManager->GetName() : nullptr;
            CanvasWritefColored(100.0f, y, DEBUG_WHITE, "%s::%s", manager ? manager->GetText() : "",
                                item.pDecl ? item.pDecl->GetName() : "");
            CanvasWritefColoredFlags(400.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%db", size);
            CanvasWritefColoredFlags(450.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%d", items);
            CanvasWritefColoredFlags(550.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%.2f Mb", static_cast<f32>(bytes) * MEGABYTE);
            y += 15.0f;
        }
        // One bubble pass a frame: the list settles into descending size.
        if (k > 0 && previous < bytes)
            std::swap(order[k - 1], order[k]);
        previous = bytes;
    }
    CanvasWritefColoredFlags(550.0f, y + 15.0f, DEBUG_WHITE, ALIGN_RIGHT, "%.2f Mb", total * MEGABYTE);
}

void TDebugResourceTable::Refresh(f32 now)
{
    if (now <= fNextRefresh)
        return;
    fNextRefresh = now + DEBUG_RESOURCE_REFRESH;
    for (TDebugResourceRow& row : aRow)
        row = {};
    for (u32 i = 0; g_pResourceManager && i < g_pResourceManager->GetResourceCount(); ++i)
    {
        const TResource* resource = g_pResourceManager->GetResource(i);
        if (!resource || resource->m_nKind >= DEBUG_RESOURCE_TYPES)
            continue;
        TDebugResourceRow& row = aRow[resource->m_nKind];
        const u32 size = resource->m_nDataSize;
        ++row.nTotalCount;
        row.nTotalSize += size;
        row.nLargestSize = std::max(row.nLargestSize, size);
        if (resource->IsLoaded())
        {
            row.nLoadedSize += size;
            ++row.nLoadedCount;
        }
    }
    TDebugResourceRow& sum = aRow[DEBUG_RESOURCE_TYPES];
    for (u32 type = 0; type < DEBUG_RESOURCE_TYPES; ++type)
    {
        sum.nTotalSize += aRow[type].nTotalSize;
        sum.nLoadedSize += aRow[type].nLoadedSize;
        sum.nTotalCount += aRow[type].nTotalCount;
        sum.nLoadedCount += aRow[type].nLoadedCount;
        sum.nLargestSize = std::max(sum.nLargestSize, aRow[type].nLargestSize);
    }
}

void DrawResourceTable()
{
    TDebugResourceTable& table = DebugResourceTable();
    table.Refresh(static_cast<f32>(g_pTimer->GetTime()));
    CanvasWritefColored(50.0f, 200.0f, DEBUG_WHITE, "Name");
    CanvasWritefColoredFlags(200.0f, 200.0f, DEBUG_WHITE, ALIGN_RIGHT, "Loaded");
    CanvasWritefColoredFlags(250.0f, 200.0f, DEBUG_WHITE, ALIGN_RIGHT, "Total");
    CanvasWritefColoredFlags(350.0f, 200.0f, DEBUG_WHITE, ALIGN_RIGHT, "Loaded size (MB)");
    CanvasWritefColoredFlags(450.0f, 200.0f, DEBUG_WHITE, ALIGN_RIGHT, "Total size (MB)");
    CanvasWritefColoredFlags(550.0f, 200.0f, DEBUG_WHITE, ALIGN_RIGHT, "Max size (MB)");
    for (u32 i = 0; i < DEBUG_RESOURCE_ROWS; ++i)
    {
        const TDebugResourceRow& row = table.aRow[i];
        const f32 y = 215.0f + 15.0f * static_cast<f32>(i);
        CanvasWritefColored(50.0f, y, DEBUG_WHITE, "%s", DEBUG_RESOURCE_NAMES[i]);
        CanvasWritefColoredFlags(200.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%d", row.nLoadedCount);
        CanvasWritefColoredFlags(250.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%d", row.nTotalCount);
        CanvasWritefColoredFlags(350.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%.2f", static_cast<f32>(row.nLoadedSize) * MEGABYTE);
        CanvasWritefColoredFlags(450.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%.2f", static_cast<f32>(row.nTotalSize) * MEGABYTE);
        CanvasWritefColoredFlags(550.0f, y, DEBUG_WHITE, ALIGN_RIGHT, "%.2f", static_cast<f32>(row.nLargestSize) * MEGABYTE);
    }
}
