// A clip's block from arbitrary bytes, played by the sound service on a stepped engine: the
// check either refuses it (with a line) or takes it with every part inside the block, and a
// taken block plays through the voice (when the engine takes its format) for two quanta, then
// stops and is released.
#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "engine/system/repository.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "xaudio2/sounddatablock.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundgroup.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <cstdint>
#include <vector>

namespace
{
// The service started once, with a group and a pool of four records of its own.
struct TService
{
    TService()
    {
        TXAudio2Settings& settings = XAudio2Settings();
        settings.devices = {{u"Fuzz"}};
        settings.stepped = true;
        g_ManagerManager.Initialize();
        g_pCluster->LinkTypes();
        TXAudio2SoundManager& manager = *g_pXAudio2SoundManager;
        manager.InitializeManager();
        for (TXAudio2Sound& sound : aSound)
            manager.Sounds().Add(&sound);
        manager.Groups().Add(&Group);
        manager._ResetDynamicSounds();
        manager.OnClusterLoad();
        if (!manager.IsAudioEnabled())
            __builtin_trap();
    }

    TXAudio2SoundGroup Group;
    TXAudio2Sound aSound[4];
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static TService s_Service;
    // The block is read where it lies while the voice plays: a copy of its own size, so reads
    // past it are caught.
    std::vector<u8> bytes(data, data + size);
    const u32 length = static_cast<u32>(bytes.size());
    TSoundDataBlock block;
    const char* why = block.Read(bytes.data(), length);
    if (!why)
    {
        const u8* end = bytes.data() + length;
        const u8* table = reinterpret_cast<const u8*>(block.pPacketTable);
        if (table < bytes.data() + 22 || table + block.nPacketTableSize != block.pAudio ||
            block.pAudio + block.nAudioSize != end || block.nAudioSize == 0 ||
            block.nAudioSize % block.pFormat->nBlockAlign != 0 || block.GetChannelCount() < 1 ||
            block.GetChannelCount() > SOUND_DATA_MAX_CHANNELS)
            __builtin_trap();
    }

    TRepository repository(bytes.data(), length);
    TXAudio2SoundData clip;
    clip.pGroup = &s_Service.Group;
    clip.m_nFlags = size > 0 && (data[0] & 1) ? SOUND_DATA_ENDLESS : 0;
    clip.SetData(&repository, 0, length);
    TXAudio2SoundManager& manager = *g_pXAudio2SoundManager;
    TSound* sound = nullptr;
    manager.PlaySound(sound, &clip, nullptr, -1, 1);
    // A refused block never plays.
    if (!sound || (why && sound->IsPlaying()))
        __builtin_trap();
    manager.UpdateManager(0.0f);
    XAudio2StepMixer(2);
    sound->Stop(1);
    manager.UpdateManager(0.0f);
    if (sound->GetState() != SOUND_STOPPED || manager.GetPlayingList().GetCount() != 0)
        __builtin_trap();
    // A record bound without playing goes back to the pool too.
    sound->pSoundData = nullptr;
    manager._ResetDynamicSounds();
    return 0;
}
