#pragma once
// UX::TEffect: an object a layer draws over its forms (its overlays), advanced by the UX
// manager's input step and drawn after the layer's forms.
#include "core/system/types.h"

namespace UX
{
class TEffect
{
public:
    virtual ~TEffect() = default;

    // The effect operations, in slot order.
    virtual void Start(u32 state) = 0;
    virtual void Finish() = 0;
    virtual bool IsActive() const = 0;
    virtual void Update(f32 step) = 0;
    virtual void Draw() = 0;
};
} // namespace UX
