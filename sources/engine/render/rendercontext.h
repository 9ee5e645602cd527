#pragma once
// TRenderContext: what a renderer hands to a queue pass: the pass shader every object draws
// with (none: each object draws with its material's shader), and the shader defines (name =
// value) that queues and passes set while they draw and take out again afterwards. Defines go
// onto the pass shader too, so that its draws find the program of that define text.
#include "core/system/templates/sarray.h"
#include "engine/render/shader.h"

constexpr u32 RENDER_CONTEXT_DEFINE_CAPACITY = 16;

class TRenderContext
{
public:
    TRenderContext() = default;
    explicit TRenderContext(TShader* shader) : m_pShader(shader) {}

    // Null: objects draw with their materials' shaders.
    TShader* GetShader() const { return m_pShader; }
    // The pass's name (empty for the scene's ordinary passes): objects that draw differently
    // in a pass ("shadow_buffer", the shadow map) ask for it.
    const TName& GetPassName() const { return m_PassName; }
    void SetPassName(const TName& name) { m_PassName = name; }

    // Sets the define's value (replacing an earlier value of the same name); a full set
    // refuses a new name with an error line: 0 added, 1 refused.
    u32 AddDefine(const TName& name, const TName& value);
    void RemoveDefine(const TName& name);
    // The define's value id, or 0 when it is not set.
    u32 FindDefine(const TName& name) const;
    u32 GetDefineCount() const { return m_aDefine.GetCount(); }

private:
    TShader* m_pShader = nullptr;
    TName m_PassName;
    SArray<TShaderDefine, RENDER_CONTEXT_DEFINE_CAPACITY, 0> m_aDefine;
};
