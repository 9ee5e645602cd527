#include "engine/render/texturemanager.h"

TTextureManager* g_pTextureManager = nullptr;
