#pragma once
// UX::TInstance: the base of the game's UX screens, registered with the UX manager in one fixed
// order; UX::TInstanceObject (stored type 226, 1,032 bytes): the loaded counterpart of one
// registered screen, the control references its fields receive (entry 0 is its form).
#include "core/cluster/clusterhandle.h"
#include "core/cluster/clustertypedecl.h"
#include "core/system/name.h"

namespace UX
{
class TControl;

constexpr u16 INSTANCE_OBJECT_TYPE_ID = 226;
constexpr u32 INSTANCE_ENTRY_CAPACITY = 128;

struct TInstanceObject;

class TInstance
{
public:
    // Registers the screen with the UX manager under its class name, unless the manager's
    // registration is suspended.
    explicit TInstance(const char* className);

    // The screen's own initialisation, which binds its controls by name.
    virtual void OnInitialize() {}

    // The loaded controls of the screen's instance object: each reference resolved and its tree
    // loaded ("uninitialized control" for each that is none), then the screen's own
    // initialisation.
    void Initialize(TInstanceObject& object);

    const TName& GetClassName() const { return m_ClassName; }
    const char* GetConstructedName() const { return m_pName; }
    // The number the UX manager gave it (its place among the registered screens); -1 when it
    // was not registered.
    i32 GetRegistrationNumber() const { return m_nNumber; }
    void SetRegistrationNumber(i32 number) { m_nNumber = number; }
    // The screen's form (entry 0 of its instance object) after Initialize; null before.
    TControl* GetForm() const { return m_pForm; }
    // Its controls go with their image.
    void ForgetForm() { m_pForm = nullptr; }

protected:
    ~TInstance() = default;

private:
    TName m_ClassName;
    const char* m_pName;
    i32 m_nNumber = -1;
    TControl* m_pForm = nullptr;
};

struct TInstanceEntry
{
    TClusterHandle Handle;
    TControl* pControl;
};

struct TInstanceObject
{
    static const TClusterTypeDecl& Decl();

    // The control of an entry, resolved from its handle on first use; null when it is none.
    TControl* GetControl(u32 index);
    // A loaded image's pointer words meant objects of another run.
    void ForgetLoadedWords();

    TInstance* pInstance;
    i32 nCount;
    TInstanceEntry aEntry[INSTANCE_ENTRY_CAPACITY];
};

static_assert(sizeof(TInstanceObject) == 1032);
static_assert(offsetof(TInstanceObject, aEntry) == 8);
} // namespace UX
