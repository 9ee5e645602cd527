#include "engine/render/rendercontext.h"

#include "core/system/log.h"

u32 TRenderContext::AddDefine(const TName& name, const TName& value)
{
    for (u32 i = 0; i < m_aDefine.GetCount(); ++i)
        if (m_aDefine[i].Name.GetId() == name.GetId())
        {
            m_aDefine[i].Value = value;
            if (m_pShader)
                m_pShader->SetDefine(name, value);
            return 0;
        }
    if (m_aDefine.GetCount() == m_aDefine.GetCapacity())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TRenderContext::AddDefine(): error: ",
                    "too many defines, '%s' not set", name.GetText());
        return 1;
    }
    m_aDefine.Add(TShaderDefine{name, value});
    if (m_pShader)
        m_pShader->SetDefine(name, value);
    return 0;
}

void TRenderContext::RemoveDefine(const TName& name)
{
    for (u32 i = 0; i < m_aDefine.GetCount(); ++i)
        if (m_aDefine[i].Name.GetId() == name.GetId())
        {
            // Later defines keep their order: the define text follows set order.
            for (u32 j = i + 1; j < m_aDefine.GetCount(); ++j)
                m_aDefine[j - 1] = m_aDefine[j];
            m_aDefine.SetCount(m_aDefine.GetCount() - 1);
            if (m_pShader)
                m_pShader->RemoveDefine(name);
            return;
        }
}

u32 TRenderContext::FindDefine(const TName& name) const
{
    for (u32 i = 0; i < m_aDefine.GetCount(); ++i)
        if (m_aDefine[i].Name.GetId() == name.GetId())
            return m_aDefine[i].Value.GetId();
    return 0;
}
