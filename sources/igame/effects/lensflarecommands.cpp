// The lens flares' switch "effect_lensflares", read at each drawing.
#include "engine/system/command/variable.h"

class Teffect_lensflaresVariable : public TVariable
{
public:
    Teffect_lensflaresVariable() : TVariable("effect_lensflares", "Enable lens flares effect.", 0) { m_Value.SetInt(1); }
    void OnChange() override {}
};

namespace
{
Teffect_lensflaresVariable s_effect_lensflares;
} // namespace
