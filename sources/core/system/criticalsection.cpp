#include "core/system/criticalsection.h"

#include "core/system/abort.h"
#include "core/system/memory.h"

#include <mutex>

struct TCriticalSectionState
{
    std::recursive_mutex mutex;
};

TCriticalSection::TCriticalSection() : m_pSection(MemoryNew<TCriticalSectionState>())
{
    if (!m_pSection)
        __Abort("TCriticalSection::TCriticalSection", "core/system/criticalsection.cpp", __LINE__,
                "out of memory");
}

TCriticalSection::~TCriticalSection()
{
    MemoryDelete(m_pSection);
}

void TCriticalSection::Enter()
{
    m_pSection->mutex.lock();
}

bool TCriticalSection::TryEnter()
{
    return m_pSection->mutex.try_lock();
}

void TCriticalSection::Leave()
{
    m_pSection->mutex.unlock();
}
