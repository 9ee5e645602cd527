#include "ux/ux.controlmanager.h"

#include "core/system/log.h"
#include "ux/ux.manager.h"

namespace UX
{
TControlManager::TControlManager(const char* className) : m_ClassName(className, true)
{
    TUXManager::Instance().RegisterControlManager(this);
}

void TControlManager::ReportClassName(const TControl* control) const
{
    TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TControl::CheckLoadedValues(): error: ",
                "'%s': class name 0x%08x is not its class '%s': reset", control->GetNameText(),
                control->ClassName.GetId(), m_ClassName.GetText());
}
} // namespace UX
