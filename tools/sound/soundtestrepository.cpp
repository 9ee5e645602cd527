#include "soundtestrepository.h"

#include "core/cluster/cluster.h"
#include "engine/sound/sounddata.h"
#include "levelclips.h"
#include "repositorywriter.h"
#include "soundrecords.h"

namespace
{
// The groups and the pool with the clips added, saved through the engine's own save.
bool WriteSoundRepository(const char* path, void (*clips)(TRepositoryWriter&))
{
    g_pCluster->Clear();
    TRepositoryWriter writer(SOUND_TEST_REPOSITORY_ID, 0);
    clips(writer);
    TClusterManager* managers[16];
    const i32 count = TSoundRecords::ListManagers(managers, TRepositoryWriter::SceneManagers(managers));
    const bool written = writer.Write(path, managers, count, false);
    g_pCluster->Clear();
    return written;
}

void AddTestClips(TRepositoryWriter& writer)
{
    TSoundRecords& records = TSoundRecords::Current();
    const TClipTone tone = {EClipWave::Sine, 1000.0f, 1000.0f, 0.25f, 0.5f, 0.5f};
    records.AddClip(writer, {"tone", "/master/game/effects", 0, 1, {tone}});
    records.AddClip(writer, {"stereo", "/master/game/effects", 0, 2, {{EClipWave::Sine, 500.0f, 500.0f, 0.25f, 0.5f, 0.5f}}, 1.5f});
    records.AddClip(writer, {"hum", "/master/game/ambient", SOUND_DATA_ENDLESS, 1, {{EClipWave::Sine, 200.0f, 200.0f, 0.5f, 0.5f, 0.5f}}});
    records.AddClip(writer, {"track", "/master/common/music", SOUND_DATA_PACKET_TABLE, 2, {{EClipWave::Sine, 440.0f, 440.0f, 0.3f, 0.4f, 0.4f}}});
    records.AddClip(writer, {"click", "/master/common/effects", 0, 1, {{EClipWave::Square, 2000.0f, 2000.0f, 0.02f, 0.3f, 0.3f}}});
}
} // namespace

bool WriteSoundTestRepository(const char* path)
{
    return WriteSoundRepository(path, AddTestClips);
}

bool WriteGameSoundRepository(const char* path)
{
    return WriteSoundRepository(path, AddGameClips);
}
