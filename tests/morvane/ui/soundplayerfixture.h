#pragma once
// The game's fixture with the sound service started (the clips a test makes join its data),
// every instance call recorded as "<clip> <call>", and a clock of the test's behind the timer.
#include "core/system/timer.h"
#include "morvane/game/gamefixture.h"

#include <memory>
#include <sstream>

class TSoundLines : public TSoundCallListener
{
public:
    void OnSoundCall(TXAudio2Sound* sound, ESoundCall call, i32 id, f32 value) override
    {
        std::ostringstream line;
        line << (sound->pSoundData ? sound->pSoundData->GetNameText() : "?");
        if (call == SOUND_CALL_PLAY)
            line << " play";
        else if (call == SOUND_CALL_STOP)
            line << " stop";
        else
            line << " " << id << "=" << value;
        aLine.push_back(line.str());
    }
    bool Has(const std::string& text) const { return std::find(aLine.begin(), aLine.end(), text) != aLine.end(); }
    size_t Count(const std::string& text) const { return std::count(aLine.begin(), aLine.end(), text); }
    std::vector<std::string> aLine;
};

class SoundPlayerTest : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        static i64* s_pClock = nullptr;
        s_pClock = &m_nClock;
        m_pHeldTimer = g_pTimer;
        m_pTimer = std::make_unique<TTimer>([]() { return *s_pClock; });
        g_pTimer = m_pTimer.get();
        StartSounds();
        TXAudio2Sound::s_pCallListener = &m_Sounds;
    }
    void TearDown() override
    {
        TXAudio2Sound::s_pCallListener = nullptr;
        g_pTimer = m_pHeldTimer;
        GameTest::TearDown();
    }

    static TSoundPlayerManager& Player() { return *g_pSoundPlayerManager; }
    void Clips(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            Clip(name);
    }

    // The clock at the given second since the timer's start.
    void At(f64 seconds) { m_nClock = static_cast<i64>(seconds * TIMER_COUNTS_PER_SECOND); }

    TSoundLines m_Sounds;
    i64 m_nClock = 0;
    TTimer* m_pHeldTimer = nullptr;
    std::unique_ptr<TTimer> m_pTimer;
};
