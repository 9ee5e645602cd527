#include "engine/render/renderer.h"

void (*g_pImposterDrawCallback)(TShader* shader, u32 pass) = nullptr;

u32 ObjectInLightVolume(TRenderObject*, const TMatrix*, void*)
{
    return 1;
}
