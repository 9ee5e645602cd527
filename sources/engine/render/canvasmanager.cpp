#include "engine/render/canvasmanager.h"

TCanvasManager* g_pCanvasManager = nullptr;
