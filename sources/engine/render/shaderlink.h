#pragma once
// TShaderLink: a static link to a shader by name, as the render code names the shaders it
// draws with: resolved on first use (the loaded cluster's user-id table, else the shader
// manager's shader of that name) and forgotten when the cluster is cleared.
#include "core/cluster/useridlink.h"
#include "core/system/name.h"

class TShader;

class TShaderLink
{
public:
    explicit TShaderLink(const char* name) : m_Link(TName(name, true).GetId()) {}

    // Null while no loaded shader has the name.
    TShader* Get();

private:
    TUserIdLink m_Link;
};

// Set by the platform: the shader manager's shader of that name, or null.
extern TShader* (*g_pFindShader)(const TName& name);
