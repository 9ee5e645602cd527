#pragma once
// TInputEventRing: the buffered events for text entry, 32 slots. The slot after the write
// position is kept free, so at most 31 events wait; a new event into a full ring drops the
// oldest.
#include "engine/input/inputevent.h"

constexpr u32 INPUT_RING_SIZE = 32;

class TInputEventRing
{
public:
    TInputEventRing() : m_aEvent(), m_nWrite(0), m_nRead(0), m_nCount(0) {}

    void Clear()
    {
        m_nWrite = 0;
        m_nRead = 0;
        m_nCount = 0;
    }

    void Push(const TInputEvent& event)
    {
        if ((m_nWrite + 1) % INPUT_RING_SIZE == m_nRead)
        {
            m_nRead = (m_nRead + 1) % INPUT_RING_SIZE;
            --m_nCount;
        }
        m_aEvent[m_nWrite] = event;
        m_nWrite = (m_nWrite + 1) % INPUT_RING_SIZE;
        ++m_nCount;
    }

    // The oldest event, removed; false when none waits.
    bool Pop(TInputEvent& event)
    {
        if (m_nCount == 0)
            return false;
        event = m_aEvent[m_nRead];
        m_nRead = (m_nRead + 1) % INPUT_RING_SIZE;
        --m_nCount;
        return true;
    }

    u32 GetCount() const { return m_nCount; }

private:
    TInputEvent m_aEvent[INPUT_RING_SIZE];
    u32 m_nWrite;
    u32 m_nRead;
    u32 m_nCount;
};
