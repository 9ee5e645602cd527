#include "aerodromecurves.h"
#include "aerodromebuilder.h"

#include "morvane/game/curvepool.h"
#include "morvane/game/gamelogicmanager.h"
#include "repositorywriter.h"

#include <cstring>

i32 TCurvePoolBuilder::Add(const TPlanPath& path)
{
    if (path.size() < 2)
        return -1;
    m_aCurve.push_back(path);
    return static_cast<i32>(m_aCurve.size() - 1);
}

TCurvePool& TCurvePoolBuilder::Write(TAerodromeBuilder& builder, const char* name) const
{
    std::vector<TVector> points;
    std::vector<TCurveRecord> curves;
    for (const TPlanPath& path : m_aCurve)
    {
        curves.push_back({static_cast<u32>(points.size()), static_cast<u32>(path.size()), {0, 0}});
        for (const TPlanPoint& p : path)
            points.emplace_back(p.x, p.y, p.z, 1.0f);
    }
    std::vector<u8> block(points.size() * sizeof(TVector) + curves.size() * sizeof(TCurveRecord));
    std::memcpy(block.data(), points.data(), points.size() * sizeof(TVector));
    std::memcpy(block.data() + points.size() * sizeof(TVector), curves.data(), curves.size() * sizeof(TCurveRecord));

    TCurvePool& pool = builder.Make<TCurvePool>();
    pool.m_Name.Set(name, true);
    pool.m_PoolName.Set(name, true);
    pool.m_nPointCount = static_cast<u32>(points.size());
    pool.m_nCurveCount = static_cast<u32>(curves.size());
    builder.Writer().AddBlock(&pool, block.data(), static_cast<u32>(block.size()));
    g_pGameLogicManager->CurvePools().Add(&pool);
    return pool;
}
