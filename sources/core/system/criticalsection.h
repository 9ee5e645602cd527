#pragma once
// TCriticalSection: a lock that the thread holding it may take again (each Enter needs its
// Leave).
#include "core/system/types.h"

struct TCriticalSectionState;

class TCriticalSection
{
public:
    TCriticalSection();
    ~TCriticalSection();
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    void Enter();
    // Takes the lock only when that needs no wait (a crash handler must not wait on a lock its
    // own thread or a stopped one holds); each true needs its Leave.
    bool TryEnter();
    void Leave();

private:
    TCriticalSectionState* m_pSection;
};

static_assert(sizeof(TCriticalSection) == 4);
