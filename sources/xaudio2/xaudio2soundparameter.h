#pragma once
// TXAudio2SoundParameter: stored type 72's prototype: a name, nothing more.
#include "engine/sound/soundparameter.h"

class TXAudio2SoundParameter : public TSoundParameter
{
public:
    const TName* GetName() override { return &m_Name; }
    f32 _Reserved0() override { return 0.0f; }
    void _Reserved1(f32) override {}
    void _Reserved2() override {}
};

static_assert(sizeof(TXAudio2SoundParameter) == 8);
