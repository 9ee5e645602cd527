#include "engine/render/rendertargetmanager.h"

TRenderTargetManager* g_pRenderTargetManager = nullptr;
