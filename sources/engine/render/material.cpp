#include "engine/render/material.h"

#include "engine/render/shader.h"

i32 TMaterial::Begin(TMaterial* material, TNodeObject* object, const TMeshDescription* mesh)
{
    if (!material || !material->pShader)
        return 1;
    return material->pShader->Begin(object, mesh, material);
}

void TMaterial::End(TMaterial* material)
{
    if (material && material->pShader)
        material->pShader->End();
}
