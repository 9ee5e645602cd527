#pragma once
// TSdlAudioOutput: an SDL2 audio device, the one place of the layer that sees SDL. The mixer
// fills a ring of 16-bit frames and waits while it is full; SDL's callback drains it on SDL's
// audio thread and plays silence for what the mixer has not delivered yet.
#include "platform/xaudio2/audiooutput.h"
#include "platform/xaudio2/xaudio2settings.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TSdlAudioOutput final : public TAudioOutput
{
public:
    // An output device SDL lists: its SDL name (empty for the default output) and description.
    struct TDevice
    {
        std::string sdlName;
        TAudioDeviceDescription description;
    };

    // Starts SDL's audio for the caller (false: no audio driver works here); each success is
    // matched by one StopAudio.
    static bool StartAudio();
    static void StopAudio();
    // The default output first, then the named outputs by name, so the order is the same in
    // every run. Only the default when SDL names no output: there is none.
    static std::vector<TDevice> ListDevices();

    // Opens the device for 16-bit frames of the mixer's layout; null (with the reason) when SDL
    // refuses.
    static std::unique_ptr<TSdlAudioOutput> Open(const std::string& sdlName, UINT32 channels, UINT32 sampleRate,
                                                 std::string& why);
    ~TSdlAudioOutput() override;

    void Write(const std::int16_t* samples, UINT32 frames) override;
    bool PacedByDevice() const override { return true; }
    void Interrupt() override;

private:
    TSdlAudioOutput(UINT32 channels, UINT32 ringSamples);
    static void Drain(void* self, std::uint8_t* stream, int length);

    UINT32 channels_;
    std::vector<std::int16_t> ring_;
    std::atomic<std::uint64_t> written_{0}; // samples, ever
    std::atomic<std::uint64_t> read_{0};
    std::atomic<bool> interrupted_{false};
    std::mutex waitLock_;
    std::condition_variable drained_;
    std::uint32_t device_ = 0;
};
