#include "morvane/game/curvepool.h"


TCurvePool::TCurvePool()
    : m_PoolName(""), m_nPointCount(0), m_nCurveCount(0), pPoints(nullptr), pCurves(nullptr), m_aReserved88()
{
    m_nKind = CURVE_POOL_KIND;
}
