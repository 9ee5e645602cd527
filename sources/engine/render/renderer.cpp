#include "engine/render/renderer.h"

#include "core/system/log.h"

void (*g_pImposterDrawCallback)(TShader* shader, u32 pass) = nullptr;

TRenderer::TRenderer(const char* name, u32 flags, u32 index)
    : m_Name(name, true), m_nEnabled(1), m_nSupported(1), m_nFlags(flags), m_nIndex(index)
{
}

void TRenderer::Enable()
{
    if (!m_nSupported)
    {
        TLog::Print(g_pSystemLog, LOG_INFO, "TRenderer::Enable(): ", "%s: unsupported", m_Name.GetText());
        return;
    }
    if (m_nEnabled)
        return;
    m_nEnabled = 1;
    Initialize();
}
