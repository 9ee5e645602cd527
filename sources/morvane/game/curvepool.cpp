#include "morvane/game/curvepool.h"

#include "core/system/log.h"

namespace
{
const char* const kLoadError = "TCurvePool::Load(): error: ";
constexpr u64 CURVE_RECORD_SIZE = 16;
} // namespace

TCurvePool::TCurvePool()
    : m_PoolName(""), m_nPointCount(0), m_nCurveCount(0), pPoints(nullptr), pCurves(nullptr), m_aReserved88()
{
    m_nKind = CURVE_POOL_KIND;
}

i32 TCurvePool::Load()
{
    pPoints = nullptr;
    pCurves = nullptr;
    const u64 pointBytes = static_cast<u64>(m_nPointCount) * sizeof(TVector);
    const u64 needed = pointBytes + static_cast<u64>(m_nCurveCount) * CURVE_RECORD_SIZE;
    const u8* data = needed <= m_nDataSize ? GetData(0, 0) : nullptr;
    if (!data)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "pool '%s': %u points and %u curves need %llu bytes, its block holds %u: refused",
                    m_PoolName.GetPrintText(), m_nPointCount, m_nCurveCount, static_cast<unsigned long long>(needed),
                    m_nDataSize);
        return 1;
    }
    const auto* curves = reinterpret_cast<const TCurveRecord*>(data + pointBytes);
    for (u32 c = 0; c < m_nCurveCount; ++c)
        if (static_cast<u64>(curves[c].nFirstPoint) + curves[c].nPointCount > m_nPointCount)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                        "pool '%s': curve %u reaches past its %u points: refused", m_PoolName.GetPrintText(), c,
                        m_nPointCount);
            return 1;
        }
    pPoints = reinterpret_cast<const TVector*>(data);
    pCurves = curves;
    SetLoaded(1, 0);
    return 0;
}

i32 TCurvePool::Release()
{
    pPoints = nullptr;
    pCurves = nullptr;
    return 0;
}

const TCurveRecord* TCurvePool::GetCurve(i32 index) const
{
    if (!pCurves || index < 0 || static_cast<u32>(index) >= m_nCurveCount)
        return nullptr;
    return &pCurves[index];
}
