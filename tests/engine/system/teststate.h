#pragma once
// A state object that writes a chosen number of bytes in each pass and checks them on load.
#include "core/stream/stream.h"
#include "engine/system/statemethods.h"

#include <vector>

class TTestStateObject : public TStateMethods
{
public:
    TTestStateObject(u8 seed, std::vector<i32> sizes) : m_nSeed(seed), m_aSize(std::move(sizes)) {}

    i32 SaveState(u32 pass, TStream& stream) override
    {
        if (static_cast<i32>(pass) == m_nFailPass)
            return 7;
        for (i32 i = 0; i < m_aSize[pass]; ++i)
        {
            const u8 byte = Byte(pass, i);
            stream.Write(&byte, 1);
        }
        return 0;
    }

    i32 LoadState(u32 pass, TStream& stream) override
    {
        if (static_cast<i32>(pass) == m_nFailPass)
            return 7;
        // The object reads what it expects to find, as real state objects do.
        const i32 size = m_aLoadSize.empty() ? m_aSize[pass] : m_aLoadSize[pass];
        for (i32 i = 0; i < size; ++i)
        {
            u8 byte = 0;
            if (stream.Read(&byte, 1) != 1 || byte != Byte(pass, i))
                ++m_nMismatches;
        }
        m_aLoadedPass.push_back(pass);
        return 0;
    }

    u8 Byte(u32 pass, i32 i) const { return static_cast<u8>(m_nSeed + 17 * pass + i); }

    u8 m_nSeed;
    std::vector<i32> m_aSize;
    std::vector<i32> m_aLoadSize;
    i32 m_nFailPass = -1;
    i32 m_nMismatches = 0;
    std::vector<u32> m_aLoadedPass;
};

// A state object holding one fixed record per pass, saved as it is and loaded straight into
// place: a load stopped part-way leaves it half-changed unless the manager undoes it.
class TTestRecordState : public TStateMethods
{
public:
    explicit TTestRecordState(std::vector<size_t> sizes)
    {
        for (size_t size : sizes)
            m_aRecord.emplace_back(size);
    }

    // Gives every byte a value of its own, different for each seed.
    void Fill(u8 seed)
    {
        for (size_t pass = 0; pass < m_aRecord.size(); ++pass)
            for (size_t i = 0; i < m_aRecord[pass].size(); ++i)
                m_aRecord[pass][i] = static_cast<u8>(seed + 16 * pass + i);
    }

    i32 SaveState(u32 pass, TStream& stream) override
    {
        std::vector<u8>& record = m_aRecord[pass];
        if (!record.empty())
            stream.Write(record.data(), static_cast<i32>(record.size()));
        return 0;
    }

    i32 LoadState(u32 pass, TStream& stream) override
    {
        if (static_cast<i32>(pass) == m_nFailLoadPass)
        {
            m_nFailLoadPass = -1;
            return 7;
        }
        std::vector<u8>& record = m_aRecord[pass];
        if (!record.empty())
            stream.Read(record.data(), static_cast<i32>(record.size()));
        return 0;
    }

    std::vector<std::vector<u8>> m_aRecord;
    // Fails the next load of that pass only, as an object refusing the data of one image.
    i32 m_nFailLoadPass = -1;
};
