#include "engine/render/shaderparameterplugin.h"

const TName g_NameShaderParameterPlugin("TShaderParameterPlugin", true);
