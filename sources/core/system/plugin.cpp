#include "core/system/plugin.h"

#include "core/system/log.h"

TPluginManager* g_pPluginManager = nullptr;
const TName g_NameInvalidPlugin("<invalid plugin>", true);

namespace
{
const char* const kRegisterPrefix = "TPluginManager::Register(): error: ";
} // namespace

i32 TPluginManager::Register(TPluginData* factory)
{
    TPluginClass* entry = _GetClassEntry(factory->GetClassName()->GetId());
    TPluginData** slot = entry ? _GetPluginSlot(*entry, factory->GetName()->GetId()) : nullptr;
    if (!slot)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kRegisterPrefix, "plugin '%s'::'%s' refused: table full",
                    factory->GetName()->GetText(), factory->GetClassName()->GetText());
        return 1;
    }
    *slot = factory;
    return 0;
}

TPluginClass* TPluginManager::_GetClassEntry(u32 classId)
{
    i32 index = m_Classes.FindKey(classId);
    if (index < 0)
    {
        if (m_Classes.IsFull())
            return nullptr;
        m_nBusy = 1;
        // The empty entry is built aside: a class entry is a kilobyte.
        static TPluginClass s_empty;
        s_empty.key = classId;
        m_Classes.Insert(s_empty);
        m_nBusy = 0;
        index = m_Classes.FindKey(classId);
    }
    return &m_Classes[index];
}

TPluginData** TPluginManager::_GetPluginSlot(TPluginClass& entry, u32 pluginId)
{
    i32 index = entry.value.FindKey(pluginId);
    if (index < 0)
    {
        if (entry.value.IsFull())
            return nullptr;
        m_nBusy = 1;
        entry.value.Insert({pluginId, nullptr});
        m_nBusy = 0;
        index = entry.value.FindKey(pluginId);
    }
    return &entry.value[index].value;
}

TPlugin* TPluginManager::HandOut(TPluginData* factory)
{
    TPlugin* object = factory->Create();
    if (object)
        object->pPluginData = factory;
    return object;
}

TPlugin* TPluginManager::_CreatePlugin(const TName& className, const TName& pluginName)
{
    const i32 classIndex = m_Classes.FindKey(className.GetId());
    if (classIndex < 0)
        return nullptr;
    const TPluginSlots& slots = m_Classes[classIndex].value;
    const i32 index = slots.FindKey(pluginName.GetId());
    if (index < 0 || !slots[index].value)
        return nullptr;
    return HandOut(slots[index].value);
}

void TPluginManager::FindPlugin(TPlugin*& object, const TName& pluginName, const TName& className)
{
    object = _CreatePlugin(className, pluginName);
    if (!object)
        __Abort("plugin", ".\\sources\\core\\system\\plugin.cpp", __LINE__, "plugin '%s'::'%s' not found",
                pluginName.GetText(), className.GetText());
}

void TPluginManager::TryFindPlugin(TPlugin*& object, const TName& pluginName, const TName& className)
{
    object = _CreatePlugin(className, pluginName);
}

i32 TPluginManager::CreatePlugins(const TName& className, TPlugin** objects, i32 capacity)
{
    const i32 classIndex = m_Classes.FindKey(className.GetId());
    if (classIndex < 0)
        return 0;
    TPluginSlots& slots = m_Classes[classIndex].value;
    const i32 count = static_cast<i32>(slots.GetCount());
    if (capacity == 0)
        return count;
    if (count > capacity)
        return 0;
    for (i32 i = 0; i < count; ++i)
        objects[i] = HandOut(slots[i].value);
    return count;
}
