#pragma once
// TPropProxy: the physics side's stand-in for a prop; its position is the identity until a
// physics proxy derives from it.
#include "core/math/matrix.h"

class TProp;

class TPropProxy
{
public:
    TPropProxy() : pProp(nullptr) {}
    virtual ~TPropProxy() = default;
    // Writes the prop's placement into the caller's 16 floats.
    virtual void GetPosition(TMatrix* matrix) { *matrix = TMatrix(1.0f); }

    TProp* pProp;
};

static_assert(sizeof(TPropProxy) == 8);
