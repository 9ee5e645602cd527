#pragma once
// An effect pool: the values of the parameters its effects declare shared, by name. The first
// effect to declare a name gives it its type and initial value; later ones must agree.
#include "platform/d3dx9/parametervalue.h"
#include "platform/d3dx9/unknown.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

class TD3DXEffectPool : public TD3DXUnknown<ID3DXEffectPool>
{
public:
    TD3DXEffectPool() : TD3DXUnknown(IID_ID3DXEffectPool) {}

    // The shared value for the declaration; null when the pool holds that name with another
    // type or element count.
    std::shared_ptr<TParameterValue> Share(const TEffectParameter& declaration);

private:
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<TParameterValue>> values_;
};
