#pragma once
// TVoice: what every voice of the mixer has (channels, rate, volume, sends with their level
// matrices, an effect chain) and the IXAudio2Voice calls over it. Calls check their arguments
// at once and queue the change in the engine's operation sets; the mixer applies it at the
// start of a quantum. Everything here runs under the engine lock.
#include "platform/xaudio2/operationsets.h"
#include "platform/xaudio2/sampleformat.h"
#include "platform/xaudio2/xaudio2.h"

#include <cstdint>
#include <string>
#include <vector>

class TAudioEngine;
class TReverbEffect;

enum class EVoiceKind
{
    Source,
    Submix,
    Mastering
};

class TVoice
{
public:
    static constexpr UINT32 kMaxLevels = TSampleFormat::kMaxChannels * TSampleFormat::kMaxChannels;
    // A voice sends to at most this many destinations.
    static constexpr UINT32 kMaxSends = 8;

    TVoice(TAudioEngine& engine, EVoiceKind kind, UINT32 channels, UINT32 sampleRate, UINT32 flags, UINT32 stage);
    virtual ~TVoice();

    virtual IXAudio2Voice* AsInterface() = 0;
    EVoiceKind Kind() const { return kind_; }
    UINT32 Channels() const { return channels_; }
    UINT32 SampleRate() const { return sampleRate_; }
    UINT32 Stage() const { return stage_; }
    TAudioEngine& Engine() { return engine_; }

    // Creation: the destinations (null: the mastering voice), each with its default matrix.
    bool SetSends(const XAUDIO2_VOICE_SENDS* sends, std::string& why);
    bool SendsTo(const TVoice* voice) const;

    // Mixer side.
    virtual void Apply(const TCommand& command, const BYTE* data);
    // Submix and mastering voices: the quantum's input, `frames` frames cleared to silence.
    float* MixBuffer() { return mix_.data(); }
    void ClearMixBuffer(UINT32 frames);
    void RunEffects(float* frames, UINT32 count);
    // Adds the frames, through volume and matrix, to every destination (the mastering voice's
    // destination is `device`). Levels ramp over the quantum from the last quantum's, unless the
    // voice was silent in the quantum before: a source that played before then ramps from
    // silence, any other voice starts at its levels. `fadingOut` ramps them to silence.
    // A mono source with steady stereo sends joins the engine's batch instead, so its frames
    // must last until the batch is mixed.
    void Emit(const float* frames, UINT32 count, std::uint64_t quantum, float* device, bool fadingOut = false);
    void PrefetchSends() const;

protected:
    void Details(XAUDIO2_VOICE_DETAILS* details) const;
    HRESULT ChangeEffectChain(const XAUDIO2_EFFECT_CHAIN* chain);
    HRESULT QueueEffectEnabled(UINT32 index, bool enabled, UINT32 operationSet);
    HRESULT QueueEffectParameters(UINT32 index, const void* parameters, UINT32 size, UINT32 operationSet);
    HRESULT RefuseOutputFilter(IXAudio2Voice* destination);
    HRESULT QueueVolume(float volume, UINT32 operationSet);
    HRESULT QueueOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                              const float* levels, UINT32 operationSet);
    void Queue(ECommandKind kind, UINT32 operationSet, UINT32 index, float value, const void* data = nullptr,
               UINT32 size = 0);
    // DestroyVoice: the engine takes the voice out of the mix and deletes it.
    void Destroy();

private:
    struct TSend
    {
        TVoice* destination; // null: the device
        float levels[kMaxLevels];
        float applied[kMaxLevels]; // volume x levels of the last quantum
    };
    struct TEffect
    {
        TReverbEffect* effect;
        bool enabled;
    };

    // The send to a destination; null with several sends means none.
    TSend* FindSend(IXAudio2Voice* destination);
    void DefaultLevels(TSend& send) const;
    void ReleaseEffects();
    bool JoinBatch(const float* frames, float volume, bool continues);

    TAudioEngine& engine_;
    EVoiceKind kind_;
    UINT32 channels_;
    UINT32 sampleRate_;
    UINT32 flags_;
    UINT32 stage_;
    float volume_ = 1.0f;
    std::vector<TSend> sends_;
    std::vector<TEffect> effects_;
    std::vector<float> mix_;
    bool emitted_ = false;
    std::uint64_t lastEmitted_ = 0;
};

// The IXAudio2Voice calls of a voice interface, answered by TVoice.
template <class Interface> class TVoiceInterface : public Interface, public TVoice
{
public:
    using TVoice::TVoice;

    IXAudio2Voice* AsInterface() override { return this; }

    void GetVoiceDetails(XAUDIO2_VOICE_DETAILS* details) override { Details(details); }
    HRESULT SetEffectChain(const XAUDIO2_EFFECT_CHAIN* chain) override { return ChangeEffectChain(chain); }
    HRESULT EnableEffect(UINT32 index, UINT32 operationSet) override
    {
        return QueueEffectEnabled(index, true, operationSet);
    }
    HRESULT DisableEffect(UINT32 index, UINT32 operationSet) override
    {
        return QueueEffectEnabled(index, false, operationSet);
    }
    HRESULT SetEffectParameters(UINT32 index, const void* parameters, UINT32 size, UINT32 operationSet) override
    {
        return QueueEffectParameters(index, parameters, size, operationSet);
    }
    HRESULT SetOutputFilterParameters(IXAudio2Voice* destination, const XAUDIO2_FILTER_PARAMETERS*, UINT32) override
    {
        return RefuseOutputFilter(destination);
    }
    HRESULT SetVolume(float volume, UINT32 operationSet) override { return QueueVolume(volume, operationSet); }
    HRESULT SetOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                            const float* levels, UINT32 operationSet) override
    {
        return QueueOutputMatrix(destination, sourceChannels, destinationChannels, levels, operationSet);
    }
    void DestroyVoice() override { Destroy(); }
};
