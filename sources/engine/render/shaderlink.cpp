#include "engine/render/shaderlink.h"

TShader* (*g_pFindShader)(const TName& name) = nullptr;

TShader* TShaderLink::Get()
{
    if (void* object = m_Link.FindObject())
        return static_cast<TShader*>(object);
    TName name;
    name.SetId(m_Link.nUserId);
    TShader* found = g_pFindShader ? g_pFindShader(name) : nullptr;
    m_Link.SetObject(found);
    return found;
}
