#pragma once
// TDxRenderQuery: a render query over a Direct3D query. The Direct3D object is made on first
// use and released on a device reset (the query object itself survives), so Begin, End and
// GetData make it again when needed.
#include "engine/render/renderquery.h"
#include "platform/d3d9/d3d9.h"

// Attempts of GetData before it gives up, and how often a waiting GetData yields.
constexpr u32 RENDER_QUERY_ATTEMPTS = 1000;
constexpr u32 RENDER_QUERY_YIELD_EVERY = 256;

// States.
constexpr u32 RENDER_QUERY_IDLE = 0;
constexpr u32 RENDER_QUERY_BEGUN = 1;
constexpr u32 RENDER_QUERY_ENDED = 2;

class TDxRenderQuery : public TRenderQuery
{
public:
    TDxRenderQuery();
    ~TDxRenderQuery() override;

    u32 GetBracketFlag() override { return m_nBracket; }
    u32 IsCreated() override { return m_pQuery != nullptr; }
    i32 Begin() override;
    i32 End() override;
    i32 GetDataSize() override;
    i32 GetData(void* buffer, u32 size, u32 wait) override;

    // Stores the type and its bracket flag and releases the Direct3D query; a type outside the
    // table is fatal.
    void __SetType(u32 type);
    void __Create();
    // Releases the Direct3D query (device reset); the query is made again on use.
    void __Release();

    u32 GetType() const { return m_nType; }
    u32 GetState() const { return m_nState; }

private:
    u32 m_nType;
    IDirect3DQuery9* m_pQuery;
    u32 m_nState;
    u32 m_nBracket;
};

static_assert(sizeof(TDxRenderQuery) == 20);
