#include "directx/render/dxrenderquery.h"

#include "core/system/abort.h"
#include "directx/render/dxdevice.h"

#include <thread>

namespace
{
struct TQueryTypeEntry
{
    D3DQUERYTYPE Type; // 0: refused
    u32 nBracket;
};

// By engine query type.
constexpr TQueryTypeEntry kQueryTypes[RENDER_QUERY_TYPE_COUNT] = {
    {D3DQUERYTYPE_VCACHE, 0},
    {D3DQUERYTYPE(0), 0},
    {D3DQUERYTYPE_VERTEXSTATS, 0},
    {D3DQUERYTYPE_EVENT, 0},
    {D3DQUERYTYPE_OCCLUSION, 1},
    {D3DQUERYTYPE_TIMESTAMP, 0},
    {D3DQUERYTYPE_TIMESTAMPDISJOINT, 1},
    {D3DQUERYTYPE_TIMESTAMPFREQ, 0},
    {D3DQUERYTYPE_PIPELINETIMINGS, 1},
    {D3DQUERYTYPE_INTERFACETIMINGS, 1},
    {D3DQUERYTYPE_VERTEXTIMINGS, 1},
    {D3DQUERYTYPE_PIXELTIMINGS, 1},
    {D3DQUERYTYPE_BANDWIDTHTIMINGS, 1},
    {D3DQUERYTYPE_CACHEUTILIZATION, 1},
};

bool IsMapped(u32 type)
{
    return type < RENDER_QUERY_TYPE_COUNT && kQueryTypes[type].Type != D3DQUERYTYPE(0);
}
} // namespace

TDxRenderQuery::TDxRenderQuery() : m_nType(0), m_pQuery(nullptr), m_nState(RENDER_QUERY_IDLE), m_nBracket(0)
{
}

TDxRenderQuery::~TDxRenderQuery()
{
    __Release();
}

void TDxRenderQuery::__SetType(u32 type)
{
    if (!IsMapped(type))
        __Abort("TDxRenderQuery::__SetType", "sources/directx/render/dxrenderquery", __LINE__,
                "invalid query type");
    m_nType = type;
    m_nBracket = kQueryTypes[type].nBracket;
    __Release();
}

void TDxRenderQuery::__Create()
{
    if (m_pQuery)
        return;
    if (!IsMapped(m_nType))
        __Abort("TDxRenderQuery::__Create", "sources/directx/render/dxrenderquery", __LINE__,
                "invalid query type");
    IDirect3DDevice9* device = g_pDxDeviceManager->GetDevice();
    if (device)
        device->CreateQuery(kQueryTypes[m_nType].Type, &m_pQuery);
    m_nState = RENDER_QUERY_IDLE;
}

void TDxRenderQuery::__Release()
{
    if (m_pQuery)
        m_pQuery->Release();
    m_pQuery = nullptr;
    m_nState = RENDER_QUERY_IDLE;
}

i32 TDxRenderQuery::Begin()
{
    __Create();
    if (m_pQuery)
        m_pQuery->Issue(D3DISSUE_BEGIN);
    m_nState = RENDER_QUERY_BEGUN;
    return 0;
}

i32 TDxRenderQuery::End()
{
    if (!m_pQuery)
    {
        // A bracket query that was never begun has nothing to end.
        if (m_nBracket)
            return -1;
        __Create();
    }
    if (m_pQuery)
        m_pQuery->Issue(D3DISSUE_END);
    m_nState = RENDER_QUERY_ENDED;
    return 0;
}

i32 TDxRenderQuery::GetDataSize()
{
    if (!m_pQuery)
        return -1;
    return static_cast<i32>(m_pQuery->GetDataSize());
}

i32 TDxRenderQuery::GetData(void* buffer, u32 size, u32 wait)
{
    if (!m_pQuery)
    {
        __Create();
        return RENDER_QUERY_DATA_CREATED;
    }
    for (u32 attempt = 1; attempt <= RENDER_QUERY_ATTEMPTS; ++attempt)
    {
        const HRESULT result = m_pQuery->GetData(buffer, size, wait ? D3DGETDATA_FLUSH : 0);
        if (result == S_OK)
        {
            m_nState = RENDER_QUERY_IDLE;
            return RENDER_QUERY_DATA_READY;
        }
        if (!wait)
            return RENDER_QUERY_DATA_PENDING;
        if (attempt % RENDER_QUERY_YIELD_EVERY == 0)
            std::this_thread::yield();
    }
    return RENDER_QUERY_DATA_TIMEOUT;
}
