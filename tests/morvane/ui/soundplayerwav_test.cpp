// The sound player's clips heard: the game's own clips (the clip writer's) loaded with the group
// tree, the sound service on a stepped engine writing a WAV file, the player starting wind and
// music as a level load starts them.
#include "engine/system/resourcemanager.h"
#include "morvane/ui/gamemenumanager.h"
#include "soundplayerfixture.h"
#include "soundtestrepository.h"
#include "support/wavreader.h"
#include "xaudio2/soundvariables.h"

#include <algorithm>
#include <cstdlib>

namespace
{
class SoundPlayerWav : public SoundPlayerTest
{
protected:
    static constexpr u32 kQuantum = 441;
    static constexpr f32 kFrame = 0.05f;

    static const std::string& RepositoryPath()
    {
        static TScratchFolder s_Folder("gamesounds");
        static const std::string s_Path = [] {
            const std::string path = s_Folder.Path() + "/sounds.data";
            EXPECT_TRUE(WriteGameSoundRepository(path.c_str()));
            return path;
        }();
        return s_Path;
    }

    // The level's load: the sound service starts on the WAV file, then the player.
    void LoadSounds()
    {
        TXAudio2Settings& settings = XAudio2Settings();
        settings.devices = {{u"Test speakers"}};
        settings.stepped = true;
        settings.wavFile = m_Folder.Path() + "/out.wav";
        ASSERT_EQ(0, g_pResourceManager->LoadRepository(RepositoryPath().c_str(), 0));
        for (i32 i = 0; i < 10; ++i)
            Tick();
    }
    void Tick()
    {
        m_nClock += static_cast<i64>(kFrame * TIMER_COUNTS_PER_SECOND);
        g_pTimer->Update();
    }
    // Frames of the game for that many seconds, the mixer keeping up.
    void Play(f32 seconds)
    {
        for (f32 t = 0.0f; t < seconds - 0.001f; t += kFrame)
        {
            Tick();
            g_pXAudio2SoundManager->ThreadUpdateManager(kFrame);
            Player().UpdateManager(kFrame);
            g_pXAudio2SoundManager->UpdateManager(kFrame);
            XAudio2StepMixer(5);
        }
    }
    TWavContents Finish()
    {
        g_pCluster->Clear();
        return ReadWav(m_Folder.Path() + "/out.wav");
    }
    // The largest sample of both channels from one second to another.
    static i32 Peak(const TWavContents& wav, f32 from, f32 to)
    {
        i32 peak = 0;
        const size_t first = static_cast<size_t>(from * 44100.0f) * 2;
        const size_t last = std::min(wav.samples.size(), static_cast<size_t>(to * 44100.0f) * 2);
        for (size_t i = first; i < last; ++i)
            peak = std::max(peak, std::abs(static_cast<i32>(wav.samples[i])));
        return peak;
    }
};
} // namespace

TEST_F(SoundPlayerWav, WindAndMusicReachTheWavAtTheirGroupsVolumes)
{
    LoadSounds();
    TSound* wind = Player().GetSlot(TSoundPlayerManager::SLOT_WIND).pSound;
    TSound* music = Player().GetSlot(TSoundPlayerManager::SLOT_MUSIC).pSound;
    ASSERT_TRUE(wind && music);
    EXPECT_TRUE(wind->IsPlaying());
    EXPECT_TRUE(music->IsPlaying());
    // Out of the menu: the game's bus (the wind's) is heard.
    Player().SetMenuMode(0);
    Play(2.0f);
    // The wind alone, then the music alone, then neither.
    g_device_audio_musicvolume.SetFloat(0.0f);
    Play(1.0f);
    g_device_audio_musicvolume.SetFloat(4.0f);
    g_device_audio_ambientvolume.SetFloat(0.0f);
    Play(1.0f);
    g_device_audio_musicvolume.SetFloat(0.0f);
    Play(1.0f);
    g_device_audio_musicvolume.SetFloat(4.0f);
    g_device_audio_ambientvolume.SetFloat(10.0f);
    EXPECT_TRUE(wind->IsPlaying());
    const TWavContents wav = Finish();
    ASSERT_EQ(2u, wav.channels);
    EXPECT_GT(Peak(wav, 1.0f, 2.0f), 2000);
    // The reverb's tail gone, each is heard on its own.
    EXPECT_GT(Peak(wav, 2.5f, 3.0f), 2000);
    EXPECT_GT(Peak(wav, 3.5f, 4.0f), 1000);
    EXPECT_LT(Peak(wav, 4.8f, 5.0f), 300);
    // No clip clips.
    EXPECT_LT(Peak(wav, 0.0f, 5.0f), 32000);
}
