#pragma once
// TVariable: base of every console variable. One class per variable, named T, the variable's
// name and Variable (Tshadow_enableVariable), with one static instance that registers itself
// with the command manager under its dotted name ("shadow.enable").
#include "engine/system/command/variablevalue.h"

// Flag bits.
constexpr u32 VARIABLE_CHANGED = 0x1;   // assigned since start: written by the settings script
constexpr u32 VARIABLE_NOT_SAVED = 0x2; // never written to the settings script
constexpr u32 VARIABLE_STARTUP = 0x4;   // written to the startup-variables file

class TVariable
{
public:
    // Registers the variable; the subclass stores its default into m_Value afterwards.
    TVariable(const char* name, const char* description, u32 flags);
    virtual ~TVariable();
    // Applies the value just assigned.
    virtual void OnChange() = 0;

    // Assignments: store, mark changed, apply.
    void SetInt(i32 value);
    void SetFloat(f32 value);
    // The conversion of the "set" command: the value texts read by the variable's type.
    // Integers, 64-bit integers and colours take decimal or "0x" hexadecimal; a vector takes
    // one to four components, y and z 0 and w 1 when left out; a name takes the value's id.
    // Returns 0, or 1 when the variable has no type to assign (nothing changes).
    u32 Assign(const TName* values, u32 count);

    const TName& GetName() const { return m_Name; }
    const TName& GetDescription() const { return m_Description; }
    u32 GetFlags() const { return m_nFlags; }
    void SetFlags(u32 flags) { m_nFlags = flags; }
    const TVariableValue& GetValue() const { return m_Value; }

    // Stores without applying: for values the owner has already acted on. StoreChanged also
    // marks the variable changed, so the settings script keeps it.
    void Store(i32 value) { m_Value.SetInt(value); }
    void Store(f32 x, f32 y, f32 z, f32 w) { m_Value.SetVector(x, y, z, w); }
    void StoreChanged(i32 value);
    void StoreChanged(f32 x, f32 y, f32 z, f32 w);

protected:
    // Every assignment: the settings script keeps the variable's value.
    void MarkChanged();

    TName m_Name;
    TName m_Description;
    u32 m_nFlags;
    TVariableValue m_Value;

    friend class TCommandManager;
};

static_assert(sizeof(TVariable) == 44);

// Declares the class of one variable of a module's set (T<name>Variable, derived from `base`)
// and its instance g_<name>, defined by the module.
#define DECLARE_VARIABLE_CLASS(base, name)                                                                   \
    class T##name##Variable : public base                                                                    \
    {                                                                                                        \
    public:                                                                                                  \
        T##name##Variable();                                                                                 \
        void OnChange() override;                                                                            \
    };                                                                                                       \
    extern T##name##Variable g_##name;
