#pragma once
// TAudioEngine: IXAudio2 over the software mixer. It owns the voices and the output; each
// quantum of 10 ms it applies the due voice changes, renders the source voices into their
// destinations, runs the submix voices by processing stage, then the mastering voice, and
// hands the clipped 16-bit frames to the output. One recursive lock guards it all: the mixer
// holds it through a quantum, so callbacks may call back in and DestroyVoice returns only once
// the mixer has left the voice.
#include "platform/xaudio2/audiodevicelist.h"
#include "platform/xaudio2/mixbatch.h"
#include "platform/xaudio2/operationsets.h"
#include "platform/xaudio2/xaudio2.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TMixerThread;
class TSourceVoice;
class TVoice;

class TAudioEngine final : public IXAudio2
{
public:
    // The most frames one quantum of a voice of that rate has.
    static UINT32 MaxQuantumFrames(UINT32 sampleRate) { return (sampleRate + 99) / 100; }
    // Steps every stepped engine (XAudio2StepMixer).
    static void StepAll(UINT32 quanta);

    TAudioEngine();

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetDeviceCount(UINT32* count) override;
    HRESULT GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details) override;
    HRESULT Initialize(UINT32 flags, XAUDIO2_PROCESSOR processor) override;
    HRESULT CreateSourceVoice(IXAudio2SourceVoice** sourceVoice, const WAVEFORMATEX* sourceFormat, UINT32 flags,
                              float maxFrequencyRatio, IXAudio2VoiceCallback* callback,
                              const XAUDIO2_VOICE_SENDS* sendList, const XAUDIO2_EFFECT_CHAIN* effectChain) override;
    HRESULT CreateSubmixVoice(IXAudio2SubmixVoice** submixVoice, UINT32 inputChannels, UINT32 inputSampleRate,
                              UINT32 flags, UINT32 processingStage, const XAUDIO2_VOICE_SENDS* sendList,
                              const XAUDIO2_EFFECT_CHAIN* effectChain) override;
    HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** masteringVoice, UINT32 inputChannels,
                                 UINT32 inputSampleRate, UINT32 flags, UINT32 deviceIndex,
                                 const XAUDIO2_EFFECT_CHAIN* effectChain) override;
    HRESULT StartEngine() override;
    void StopEngine() override;
    HRESULT CommitChanges(UINT32 operationSet) override;

    // For the voices.
    std::recursive_mutex& Mutex() { return lock_; }
    TOperationSets& Operations() { return operations_; }
    TMixBatch& Batch() { return batch_; }
    TVoice* MasteringVoice() const { return mastering_; }
    TVoice* FindDestination(IXAudio2Voice* voice) const;
    void DestroyVoice(TVoice* voice);

    // Mixes one quantum; the frames stay valid until the next call. 0 frames while the engine
    // is stopped or has no mastering voice.
    UINT32 MixQuantum(const std::int16_t** samples);

private:
    ~TAudioEngine();
    HRESULT RefuseUninitialized(const char* call) const;
    void StopMixer();

    std::atomic<ULONG> references_{1};
    bool stepped_ = false;
    std::unique_ptr<TAudioDeviceList> devices_;

    std::recursive_mutex lock_;
    std::vector<TSourceVoice*> sources_;
    std::vector<TVoice*> submixes_; // by processing stage, then creation
    TVoice* mastering_ = nullptr;
    TOperationSets operations_;
    TMixBatch batch_;
    bool running_ = true;
    std::uint64_t quantum_ = 0;
    std::atomic<std::thread::id> mixingThread_{};

    std::unique_ptr<TAudioOutput> output_;
    std::unique_ptr<TMixerThread> mixer_;
    std::vector<float> deviceMix_;
    std::vector<std::int16_t> deviceSamples_;
};
