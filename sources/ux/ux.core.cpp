#include "ux/ux.core.h"

#include "core/system/abort.h"
#include "core/system/log.h"

namespace UX
{
namespace
{
constexpr const char* kSource = "sources/ux/ux.core";
} // namespace

void TEventCallback::TObjectBase::Execute(TControl*, void*)
{
    __Abort("UX::TEventCallback::TObjectBase::Execute", kSource, __LINE__, "unimplemented");
}

void TEventCallback::TObjectBase::ExecuteOneArg(void*)
{
    __Abort("UX::TEventCallback::TObjectBase::Execute", kSource, __LINE__, "unimplemented");
}

void TEventCallback::Reset()
{
    MemoryDelete(m_pObject);
    m_pObject = nullptr;
}

bool TEventCallback::Equals(const TEventCallback& other) const
{
    if (!m_pObject || !other.m_pObject)
        return !m_pObject && !other.m_pObject;
    // The same delegate type: the same table of virtual operations.
    if (*reinterpret_cast<void* const*>(m_pObject) != *reinterpret_cast<void* const*>(other.m_pObject))
        return false;
    return m_pObject->HasTarget(*other.m_pObject);
}

i32 TEvent::Find(u32 list, const TEventCallback& probe) const
{
    const TEventCallbackList& callbacks = aList[list];
    for (u32 i = 0; i < callbacks.GetCount(); ++i)
        if (callbacks[i].Equals(probe))
            return static_cast<i32>(i);
    return -1;
}

bool TEvent::Room(u32 list) const
{
    if (aList[list].GetCount() < TEventCallbackList::GetCapacity())
        return true;
    TLog::Print(g_pSystemLog, LOG_WARNING,
                "UX::TEvent::AddHandler(): warning: ", "a list holds %u handlers: one more is refused",
                TEventCallbackList::GetCapacity());
    return false;
}

void TEvent::Invoke(TControl* sender, void* argument) const
{
    for (const TEventCallbackList& callbacks : aList)
        for (u32 i = 0; i < callbacks.GetCount(); ++i)
            callbacks[i].Execute(sender, argument);
}

void TEvent::Clear()
{
    for (TEventCallbackList& callbacks : aList)
        callbacks.SetCount(0);
}

void TEvent::Forget()
{
    for (TEventCallbackList& callbacks : aList)
    {
        for (u32 i = 0; i < TEventCallbackList::GetCapacity(); ++i)
            callbacks.GetData()[i].Forget();
        // The words are null now: the count goes without destroying anything.
        new (&callbacks) TEventCallbackList();
    }
}
} // namespace UX
