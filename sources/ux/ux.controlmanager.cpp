#include "ux/ux.controlmanager.h"

#include "ux/ux.manager.h"

namespace UX
{
TControlManager::TControlManager(const char* className) : m_ClassName(className, true)
{
    TUXManager::Instance().RegisterControlManager(this);
}
} // namespace UX
