#pragma once
// TShaderManager ("Shader"): owns every shader. Its Direct3D form is TDxShaderManager.
#include "engine/system/manager.h"

class TShader;

class TShaderManager : public TManager
{
public:
    virtual i32 GetShaderCount() = 0;
    virtual TShader* GetShader(i32 index) = 0;
};

extern TShaderManager* g_pShaderManager;
