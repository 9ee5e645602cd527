#include "morvane/ui/screencontrol.h"

#include "core/system/log.h"
#include "ux/ux.control.h"

UX::TControl* FindScreenControl(UX::TControl* parent, const char* name, const TName* className, const char* prefix)
{
    UX::TControl* control = parent ? parent->FindChild(TName(name, true)) : nullptr;
    if (control && (!className || control->IsClass(*className)))
        return control;
    TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "no control '%s'", name);
    return nullptr;
}
