#pragma once
// TShaderParameterPlugin: fills one named effect parameter per draw (object matrices, camera
// matrices, sizes, noise). Plug-ins register under the class "TShaderParameterPlugin" and their
// own class name; the shader manager binds each to the parameters of its name.
#include "core/system/plugin.h"

class TMaterial;
class TNodeObject;
class TShader;
class TShaderParameter;
struct TMeshDescription;

class TShaderParameterPlugin : public TPlugin
{
public:
    virtual void Apply(TNodeObject* object, TShader* shader, TShaderParameter* parameter, TMaterial* material,
                       const TMeshDescription* mesh) = 0;
};

// The class name the plug-ins register under.
extern const TName g_NameShaderParameterPlugin;
