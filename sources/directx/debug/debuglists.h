#pragma once
// The debug manager's list overlays: meshes with keyboard paging and enable toggling, the
// memory of the cluster's reflected arrays, and the resources counted by type. Their state is
// kept here between frames.
#include "core/math/color.h"
#include "core/system/types.h"

struct TPropDataPool;

// The prop list: a row of 9 units per prop type from (10, 75); a column 250 wide ends 50 above
// the bottom.
constexpr f32 DEBUG_PROP_ROW_HEIGHT = 9.0f;
constexpr f32 DEBUG_PROP_COLUMN_WIDTH = 250.0f;
constexpr f32 DEBUG_PROP_TOP = 75.0f;
constexpr i32 DEBUG_LIST_FONT_SIZE = 10;

// The mesh list: 40 rows of 20 units from y 50.
constexpr i32 DEBUG_MESH_ROWS = 40;
constexpr f32 DEBUG_MESH_ROW_HEIGHT = 20.0f;
constexpr f32 DEBUG_MESH_LIST_HEIGHT = 800.0f;
// Arrays of more bytes than this are listed.
constexpr u32 DEBUG_ARRAY_THRESHOLD = 10000;
constexpr u32 DEBUG_ARRAY_ORDER_SIZE = 256;
// Resource types 0-22 and the total.
constexpr u32 DEBUG_RESOURCE_TYPES = 23;
constexpr u32 DEBUG_RESOURCE_ROWS = DEBUG_RESOURCE_TYPES + 1;
constexpr f32 DEBUG_RESOURCE_REFRESH = 3.0f;

// The paging keys of the mesh list that went down this frame.
constexpr u32 DEBUG_KEY_UP = 0x1;
constexpr u32 DEBUG_KEY_DOWN = 0x2;
constexpr u32 DEBUG_KEY_PAGE_UP = 0x4;
constexpr u32 DEBUG_KEY_PAGE_DOWN = 0x8;
constexpr u32 DEBUG_KEY_SPACE = 0x10;

struct TDebugMeshPaging
{
    i32 nSelected = 0;
    i32 nFirst = 0;
    // +1 down, -1 up.
    i32 nDirection = 1;

    // One frame over count items, of which listed(i) are shown: the selection moves on past
    // unlisted items, then the keys; returns the item Space toggles, or -1.
    template <class Listed> i32 Step(i32 count, bool selectedDrawn, u32 keys, Listed listed);
};

struct TDebugResourceRow
{
    u32 nTotalSize;
    u32 nLoadedSize;
    u32 nLargestSize;
    u32 nTotalCount;
    u32 nLoadedCount;
};

struct TDebugResourceTable
{
    TDebugResourceRow aRow[DEBUG_RESOURCE_ROWS];
    f32 fNextRefresh;

    // Counts every resource of the manager by type, when the refresh time has passed.
    void Refresh(f32 now);
};

// One prop type's counters: its free full forms, all its full forms (free and held), and its
// props inside the view frustum.
struct TDebugPropCounts
{
    i32 n0;
    i32 n1;
    i32 n2;
};
TDebugPropCounts DebugPropCounts(const TPropDataPool& pool);
// Light grey or white by row, blue once the forms do not outnumber the visible props, black
// with none visible.
const TColor& DebugPropColor(i32 row, const TDebugPropCounts& counts);

TDebugMeshPaging& DebugMeshPaging();
TDebugResourceTable& DebugResourceTable();
// The array list's order: the identity at first, then one bubble pass a frame.
u32* DebugArrayOrder();
extern const char* const DEBUG_RESOURCE_NAMES[DEBUG_RESOURCE_ROWS];

void DrawPropList();
void DrawMeshList();
void DrawArrayList();
void DrawResourceTable();

template <class Listed> i32 TDebugMeshPaging::Step(i32 count, bool selectedDrawn, u32 keys, Listed listed)
{
    if (!selectedDrawn)
    {
        if (nDirection > 0)
            while (nSelected < count - 1 && !listed(nSelected))
                ++nSelected;
        else if (nDirection < 0)
            while (nSelected > 0 && !listed(nSelected))
                --nSelected;
    }
    if ((keys & DEBUG_KEY_DOWN) && nSelected < count)
    {
        ++nSelected;
        nDirection = 1;
    }
    if ((keys & DEBUG_KEY_UP) && nSelected > 0)
    {
        --nSelected;
        nDirection = -1;
    }
    if ((keys & DEBUG_KEY_PAGE_DOWN) && nSelected < count)
    {
        nSelected += DEBUG_MESH_ROWS;
        nDirection = 1;
    }
    if ((keys & DEBUG_KEY_PAGE_UP) && nSelected > 0)
    {
        nSelected -= DEBUG_MESH_ROWS;
        nDirection = -1;
    }
    // An empty list leaves the selection at -1: nothing to toggle.
    if (nSelected < 0)
        nSelected = 0;
    if (nSelected > count - 1)
        nSelected = count - 1;
    const i32 toggled = (keys & DEBUG_KEY_SPACE) && nSelected >= 0 && nSelected < count ? nSelected : -1;
    if (nSelected < nFirst)
        nFirst = nSelected;
    if (nFirst + DEBUG_MESH_ROWS < nSelected)
        nFirst = nSelected - (DEBUG_MESH_ROWS - 1);
    if (nFirst > count - 1)
        nFirst = count - 1;
    if (nFirst < 0)
        nFirst = 0;
    return toggled;
}
