#include "ux/ux.instance.h"

#include "core/system/log.h"
#include "ux/ux.control.h"
#include "ux/ux.manager.h"

#include <algorithm>

#include <cstring>

namespace UX
{
namespace
{
const TInstanceObject s_Prototype{};
} // namespace

TInstance::TInstance(const char* className) : m_ClassName(className, true), m_pName(className)
{
    TUXManager& manager = TUXManager::Instance();
    if (!manager.IsRegistrationSuspended())
        manager.RegisterInstance(this);
}

void TInstance::Initialize(TInstanceObject& object)
{
    m_pForm = nullptr;
    u32 count = static_cast<u32>(std::max(object.nCount, 0));
    if (object.nCount < 0 || count > INSTANCE_ENTRY_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TInstance::Initialize(): error: ",
                    "'%s': %d controls, %u read", m_pName, object.nCount, std::min(count, INSTANCE_ENTRY_CAPACITY));
        count = std::min(count, INSTANCE_ENTRY_CAPACITY);
    }
    for (u32 i = 0; i < count; ++i)
    {
        TControl* control = object.GetControl(i);
        if (!control)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "UX::TInstance::Initialize(): error: ", "uninitialized control");
            continue;
        }
        if (i == 0)
            m_pForm = control;
        control->Load();
    }
    OnInitialize();
}

const TClusterTypeDecl& TInstanceObject::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TInstanceObject", INSTANCE_OBJECT_TYPE_ID, sizeof(TInstanceObject),
                                   &s_Prototype, 0);
    return s_Decl;
}

TControl* TInstanceObject::GetControl(u32 index)
{
    if (index >= INSTANCE_ENTRY_CAPACITY || static_cast<i32>(index) >= nCount)
        return nullptr;
    TInstanceEntry& entry = aEntry[index];
    if (!entry.pControl && !entry.Handle.IsNull())
    {
        void* object = entry.Handle.GetObject();
        // The entry lies in the loaded image: it goes with it, and each load forgets it again.
        if (object && g_pUXManager->IsLoadedControl(object))
            entry.pControl = static_cast<TControl*>(object);
    }
    return entry.pControl;
}

void TInstanceObject::ForgetLoadedWords()
{
    pInstance = nullptr;
    for (TInstanceEntry& entry : aEntry)
        entry.pControl = nullptr;
}
} // namespace UX
