#include "engine/system/renderstats.h"

TRenderStats g_RenderStatsCurrent;
TRenderStats g_RenderStatsFrame;
