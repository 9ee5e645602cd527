// "vegetation_range": the distance around the camera vegetation areas cover. Setting it applies
// it; the manager writes back the range it could cover (a float).
#include "engine/system/command/variable.h"
#include "igame/effects/vegetation/vegetationmanager.h"

class Tvegetation_rangeVariable : public TVariable
{
public:
    Tvegetation_rangeVariable() : TVariable("vegetation_range", "vegetation range", 0) { m_Value.SetInt(40); }
    void OnChange() override
    {
        if (g_pVegetationManager)
            g_pVegetationManager->ApplyRange(Range());
    }
    f32 Range() const
    {
        switch (m_Value.nType)
        {
        case VALUE_INT:
        case VALUE_INT64:
        case VALUE_FLOAT:
            return m_Value.ToFloat();
        default:
            return -1.0f;
        }
    }
    void StoreRange(f32 range) { m_Value.SetFloat(range); }
};

namespace
{
Tvegetation_rangeVariable s_vegetation_range;
} // namespace

f32 VegetationRangeVariable()
{
    return s_vegetation_range.Range();
}

void StoreVegetationRange(f32 range)
{
    s_vegetation_range.StoreRange(range);
}
