#pragma once
// Plug-ins: implementations of an engine interface chosen by name at run time (shader-parameter
// providers, input drivers). Each implementation has one factory object (TPluginData) that a
// static initialiser registers with the global TPluginManager under the interface's class name
// and its own plug-in name; code then asks for one (class, name) or for every plug-in of a
// class.
#include "core/system/name.h"
#include "core/system/templates/sset.h"

class TPluginData;

// Base of every plug-in object: the registry sets the factory word whenever it hands the object
// out.
class TPlugin
{
public:
    virtual ~TPlugin() = default;

    TPluginData* pPluginData = nullptr;
};

static_assert(sizeof(TPlugin) == 8);

// The factory of one plug-in; it yields the same embedded object every time.
class TPluginData
{
public:
    virtual ~TPluginData() = default;
    virtual const TName* GetName() = 0;
    virtual const TName* GetClassName() = 0;
    virtual i32 IsAvailable() = 0;
    virtual TPlugin* Create() = 0;
};

constexpr u32 PLUGIN_CLASS_COUNT = 64;
constexpr u32 PLUGIN_PER_CLASS_COUNT = 128;

typedef SSet<TMapKey<u32, TPluginData*>, PLUGIN_PER_CLASS_COUNT, u32, 0> TPluginSlots;
typedef TMapKey<u32, TPluginSlots> TPluginClass;

class TPluginManager
{
public:
    TPluginManager() : m_nBusy(0) {}

    // A second registration under the same names replaces the first. 0; 1 when the class
    // table or the class's plug-in table is full (the factory is refused with a log line).
    i32 Register(TPluginData* factory);

    // The plug-in object, its factory word set; a missing one is fatal.
    void FindPlugin(TPlugin*& object, const TName& pluginName, const TName& className);
    // The same, null when absent.
    void TryFindPlugin(TPlugin*& object, const TName& pluginName, const TName& className);
    // With capacity 0 the class's plug-in count; 0 for an unknown class or when the count exceeds
    // the capacity; otherwise every plug-in of the class in plug-in-id order and their count.
    i32 CreatePlugins(const TName& className, TPlugin** objects, i32 capacity);

    i32 _FindClass(u32 classId) const { return m_Classes.FindKey(classId); }
    u32 GetClassCount() const { return m_Classes.GetCount(); }

private:
    // Null when the table is full.
    TPluginClass* _GetClassEntry(u32 classId);
    TPluginData** _GetPluginSlot(TPluginClass& entry, u32 pluginId);
    TPlugin* _CreatePlugin(const TName& className, const TName& pluginName);
    static TPlugin* HandOut(TPluginData* factory);

    // 1 while a class or a plug-in slot is being inserted.
    u32 m_nBusy;
    SSet<TPluginClass, PLUGIN_CLASS_COUNT, u32, 0> m_Classes;
};

extern TPluginManager* g_pPluginManager;
// The empty choice of the shader-parameter code.
extern const TName g_NameInvalidPlugin;

// Declares the factory TPlugin<Impl><Interface> of a plug-in class Impl (default-constructible,
// derived from TPlugin) and registers it from a static initialiser.
#define VESTAMOR_PLUGIN(Impl, Interface)                                                                     \
    class TPlugin##Impl##Interface final : public TPluginData                                                \
    {                                                                                                        \
    public:                                                                                                  \
        TPlugin##Impl##Interface() : m_Name(#Impl, true), m_ClassName(#Interface, true)                      \
        {                                                                                                    \
            if (g_pPluginManager)                                                                            \
                g_pPluginManager->Register(this);                                                            \
        }                                                                                                    \
        const TName* GetName() override { return &m_Name; }                                                  \
        const TName* GetClassName() override { return &m_ClassName; }                                        \
        i32 IsAvailable() override { return 1; }                                                             \
        TPlugin* Create() override { return &m_Object; }                                                     \
                                                                                                             \
    private:                                                                                                 \
        TName m_Name;                                                                                        \
        TName m_ClassName;                                                                                   \
        Impl m_Object;                                                                                       \
    };                                                                                                       \
    static TPlugin##Impl##Interface s_Plugin##Impl##Interface
