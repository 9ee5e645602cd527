#pragma once
// TPropProxy: the physics side's stand-in for a prop; its position is the identity until a
// physics proxy derives from it.
#include "core/math/matrix.h"

class TProp;
class TPropData;

class TPropProxy
{
public:
    TPropProxy() : pProp(nullptr) {}
    virtual ~TPropProxy() = default;
    // Writes the prop's placement into the caller's 16 floats.
    virtual void GetPosition(TMatrix* matrix) { *matrix = TMatrix(1.0f); }
    // The frame time, given while the prop manager walks the prop's pool.
    virtual void OnFrameTime(f32 time) {}
    virtual void OnActivate(TPropData* data) {}
    virtual void OnDeactivate(TPropData* data) {}

    TProp* pProp;
};

static_assert(sizeof(TPropProxy) == 8);
