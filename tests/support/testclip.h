#pragma once
// TTestClip: a clip of the test's own block, held by a repository over the test's bytes.
#include "engine/system/repository.h"
#include "xaudio2/xaudio2sounddata.h"

#include <utility>
#include <vector>

class TTestClip
{
public:
    TTestClip(const char* name, std::vector<u8> block, TSoundGroup* group, u32 flags)
        : m_aBlock(std::move(block)), m_Repository(m_aBlock.data(), static_cast<u32>(m_aBlock.size()))
    {
        Data.m_Name.Set(name, true);
        Data.m_nFlags = flags;
        Data.pGroup = group;
        Data.SetData(&m_Repository, 0, static_cast<u32>(m_aBlock.size()));
    }

    TXAudio2SoundData Data;

private:
    std::vector<u8> m_aBlock;
    TRepository m_Repository;
};
