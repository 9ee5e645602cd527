#include "engine/render/shadermanager.h"

TShaderManager* g_pShaderManager = nullptr;
