#pragma once
// TRenderContext: what a renderer hands to a queue pass. Queues and passes add shader defines
// (name = value) to its set while they draw and take them out again afterwards.
#include "core/system/templates/sarray.h"
#include "engine/render/shader.h"

constexpr u32 RENDER_CONTEXT_DEFINE_CAPACITY = 16;

class TRenderContext
{
public:
    // Sets the define's value (replacing an earlier value of the same name); a full set
    // refuses a new name with an error line: 0 added, 1 refused.
    u32 AddDefine(const TName& name, const TName& value);
    void RemoveDefine(const TName& name);
    // The define's value id, or 0 when it is not set.
    u32 FindDefine(const TName& name) const;
    u32 GetDefineCount() const { return m_aDefine.GetCount(); }

private:
    SArray<TShaderDefine, RENDER_CONTEXT_DEFINE_CAPACITY, 0> m_aDefine;
};
