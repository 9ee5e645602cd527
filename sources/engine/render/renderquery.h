#pragma once
// TRenderQuery: a GPU query taken from the device manager's pool (CreateRenderQuery).
#include "core/system/types.h"

// Engine query types (the pool maps them to the device's query types).
constexpr u32 RENDER_QUERY_VCACHE = 0;
constexpr u32 RENDER_QUERY_VERTEXSTATS = 2;
constexpr u32 RENDER_QUERY_EVENT = 3;
constexpr u32 RENDER_QUERY_OCCLUSION = 4;
constexpr u32 RENDER_QUERY_TIMESTAMP = 5;
constexpr u32 RENDER_QUERY_CACHEUTILIZATION = 13;
constexpr u32 RENDER_QUERY_TYPE_COUNT = 14;

// GetData results.
constexpr i32 RENDER_QUERY_DATA_READY = 0;
constexpr i32 RENDER_QUERY_DATA_PENDING = 1;
constexpr i32 RENDER_QUERY_DATA_CREATED = 2;
constexpr i32 RENDER_QUERY_DATA_TIMEOUT = 4;

class TRenderQuery
{
public:
    virtual ~TRenderQuery() = default;
    // 1 for types that need a begin and an end, 0 for types that only end.
    virtual u32 GetBracketFlag() = 0;
    virtual u32 IsCreated() = 0;
    virtual i32 Begin() = 0;
    // -1 for a bracket query that was never begun.
    virtual i32 End() = 0;
    virtual i32 GetDataSize() = 0;
    virtual i32 GetData(void* buffer, u32 size, u32 wait) = 0;
};
