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
    void Leave();

private:
    TCriticalSectionState* m_pSection;
};

static_assert(sizeof(TCriticalSection) == 4);
