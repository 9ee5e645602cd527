#pragma once
// The control managers: one per control class, owning the cluster's array of the loaded
// instances of that class and making it visible to the UX manager. Each registers itself with
// the UX manager and its array with the cluster when it is built (at program start).
#include "core/cluster/clusterloadhook.h"
#include "core/cluster/clustermanager.h"
#include "core/cluster/clustertypedecl.h"
#include "core/system/templates/darray.h"
#include "ux/ux.control.h"

namespace UX
{
class TControlManager : public TClusterManager
{
public:
    explicit TControlManager(const char* className);

    // The class name's text.
    const TName* GetName() override { return &m_ClassName; }
    i32 SetArray(u32 typeId, void* data, i32 count) override = 0;
    virtual i32 GetCount() = 0;
    // No bound check: callers stay below GetCount.
    virtual TControl* GetInstance(i32 index) = 0;
    // The first instance (null when there is none), the count and the class's descriptor.
    virtual void GetArrayInfo(TControl*& first, i32& count, const TClusterTypeDecl*& decl) = 0;
    // Loaded instances (their words of another run forgotten by the fix-up): their values checked.
    virtual void CheckLoaded() = 0;
    // Loaded instances leaving with their image: their literals and delegates freed.
    virtual void ReleaseLoaded() = 0;

    const TName& GetClassName() const { return m_ClassName; }

protected:
    // An error line: a loaded control whose class name is not its array's.
    void ReportClassName(const TControl* control) const;

    TName m_ClassName;
};

// The manager of one control class T. T provides its descriptor (T::Decl()) and, where its
// stored part holds words of another run, ForgetLoadedWords (the fix-up's hook of its type) /
// CheckLoadedValues / ReleaseLoaded hiding TControl's.
template <class T> class TControlManagerTemplate : public TControlManager
{
public:
    explicit TControlManagerTemplate(const char* className) : TControlManager(className)
    {
        RegisterArray(&T::Decl(), &m_aInstance);
        SetClusterLoadHook(T::Decl().GetTypeId(), &ForgetImageWords);
    }

    i32 SetArray(u32 typeId, void*, i32) override { return typeId == T::Decl().GetTypeId() ? 0 : 1; }
    i32 GetCount() override { return m_aInstance.GetCount(); }
    TControl* GetInstance(i32 index) override { return m_aInstance[index]; }
    void GetArrayInfo(TControl*& first, i32& count, const TClusterTypeDecl*& decl) override
    {
        count = m_aInstance.GetCount();
        first = count ? m_aInstance[0] : nullptr;
        decl = &T::Decl();
    }
    void CheckLoaded() override
    {
        for (i32 i = 0; i < m_aInstance.GetCount(); ++i)
        {
            T* instance = m_aInstance[i];
            // The class name is compared against to choose a control's operations: it is the
            // array's, whatever the image says.
            if (instance->ClassName != m_ClassName)
                ReportClassName(instance);
            instance->ClassName = m_ClassName;
            instance->T::CheckLoadedValues();
        }
    }
    void ReleaseLoaded() override
    {
        for (i32 i = 0; i < m_aInstance.GetCount(); ++i)
            m_aInstance[i]->T::ReleaseLoaded();
    }

    // Appends an instance made at run time (the data writer's).
    void Add(T* instance) { m_aInstance.Add(instance); }
    T* Get(i32 index) { return m_aInstance[index]; }
    DArray<T*>& Instances() { return m_aInstance; }

private:
    // The fix-up's hook: the words of the run that wrote the image go before anything reads them.
    static void ForgetImageWords(void* object) { static_cast<T*>(object)->T::ForgetLoadedWords(); }

    DArray<T*> m_aInstance;
    i32 m_nWord = -1;
};
} // namespace UX
