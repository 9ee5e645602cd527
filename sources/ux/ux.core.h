#pragma once
// The root of the UX classes and the delegates through which controls raise their events:
// UX::TEventCallback owns one heap delegate (a TObject2 over an owner class, a sender type and
// an argument type), and UX::TEvent is two short lists of them.
#include "core/system/memory.h"
#include "core/system/templates/sarray.h"

namespace UX
{
class TControl;

// The root of the class tree: one virtual operation, the destructor.
class TObject
{
public:
    virtual ~TObject() = default;
};

class TEventCallback
{
public:
    // The delegate base; both execute operations end the program ("unimplemented").
    class TObjectBase
    {
    public:
        virtual ~TObjectBase() = default;
        virtual bool IsBound() const { return false; }
        virtual void Execute(TControl* sender, void* argument);
        virtual void ExecuteOneArg(void* argument);
        // The same owner and the same member function (the delegate types are compared apart).
        virtual bool HasTarget(const TObjectBase& other) const { return false; }
    };

    // A member function of the owner called with (sender, argument).
    template <class O, class S, class A> class TObject2 : public TObjectBase
    {
    public:
        typedef void (O::*TFunction)(S, A);

        TObject2(O* owner, TFunction function) : m_pOwner(owner), m_pFunction(function) {}

        bool IsBound() const override { return m_pOwner != nullptr; }
        void Execute(TControl* sender, void* argument) override
        {
            if (m_pOwner)
                (m_pOwner->*m_pFunction)(static_cast<S>(sender), static_cast<A>(argument));
        }
        bool HasTarget(const TObjectBase& other) const override
        {
            const TObject2& same = static_cast<const TObject2&>(other);
            return same.m_pOwner == m_pOwner && same.m_pFunction == m_pFunction;
        }

    private:
        O* m_pOwner;
        TFunction m_pFunction;
    };

    TEventCallback() = default;
    ~TEventCallback() { Reset(); }
    TEventCallback(const TEventCallback&) = delete;
    TEventCallback& operator=(const TEventCallback&) = delete;

    // Replaces the delegate with a new one; null when it cannot be allocated.
    template <class O, class S, class A> void Bind(O* owner, void (O::*function)(S, A))
    {
        Reset();
        m_pObject = MemoryNew<TObject2<O, S, A>>(owner, function);
    }
    // Destroys and frees the delegate.
    void Reset();
    // Forgets a stale delegate word without freeing it (a loaded image's).
    void Forget() { m_pObject = nullptr; }

    bool IsSet() const { return m_pObject != nullptr; }
    // Both null, or delegates of one type with the same owner and member function.
    bool Equals(const TEventCallback& other) const;
    // Runs the delegate when there is one.
    void Execute(TControl* sender, void* argument) const
    {
        if (m_pObject)
            m_pObject->Execute(sender, argument);
    }

private:
    TObjectBase* m_pObject = nullptr;
};

static_assert(sizeof(TEventCallback) == 4);
static_assert(sizeof(TEventCallback::TObject2<TObject, TControl*, void*>) == 16);

typedef SArray<TEventCallback, 2, 1> TEventCallbackList;

// Two lists of at most two delegates; handlers are attached to the first.
class TEvent
{
public:
    static constexpr u32 LIST_COUNT = 2;

    // Appends a delegate of the owner's member function unless an equal one is listed; a third
    // in a list is refused with a warning. 0 when added, 1 when not.
    template <class O, class S, class A> i32 AddHandler(u32 list, O* owner, void (O::*function)(S, A))
    {
        TEventCallback probe;
        probe.Bind(owner, function);
        if (Find(list, probe) >= 0)
            return 1;
        if (!Room(list))
            return 1;
        TEventCallbackList& callbacks = aList[list];
        callbacks.SetCount(callbacks.GetCount() + 1);
        callbacks[callbacks.GetCount() - 1].Bind(owner, function);
        return 0;
    }
    // The index of the first callback of the list equal to the probe, or -1.
    i32 Find(u32 list, const TEventCallback& probe) const;
    // Every callback of the first list in order, then of the second.
    void Invoke(TControl* sender, void* argument) const;
    bool HasHandler() const { return aList[0].GetCount() != 0 || aList[1].GetCount() != 0; }
    // Frees every delegate and empties both lists.
    void Clear();
    // A loaded image's lists: their words meant delegates of another run.
    void Forget();

    TEventCallbackList aList[LIST_COUNT];

private:
    // False, with a warning, when the list is full.
    bool Room(u32 list) const;
};

static_assert(sizeof(TEvent) == 24);
} // namespace UX
