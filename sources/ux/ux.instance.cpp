#include "ux/ux.instance.h"

#include "ux/ux.manager.h"

#include <cstring>

namespace UX
{
namespace
{
const TInstanceObject s_Prototype{};
} // namespace

TInstance::TInstance(const char* className) : m_ClassName(className, true), m_pName(className)
{
    TUXManager::Instance().RegisterInstance(this);
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
