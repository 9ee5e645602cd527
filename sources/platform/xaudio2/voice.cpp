#include "platform/xaudio2/voice.h"

#include "platform/xaudio2/audioengine.h"
#include "platform/xaudio2/mixmatrix.h"
#include "platform/xaudio2/refusal.h"
#include "platform/xaudio2/reverbeffect.h"

#include <algorithm>
#include <cstring>

namespace
{
bool LevelInRange(float level)
{
    return level >= -XAUDIO2_MAX_VOLUME_LEVEL && level <= XAUDIO2_MAX_VOLUME_LEVEL;
}
} // namespace

TVoice::TVoice(TAudioEngine& engine, EVoiceKind kind, UINT32 channels, UINT32 sampleRate, UINT32 flags, UINT32 stage)
    : engine_(engine), kind_(kind), channels_(channels), sampleRate_(sampleRate), flags_(flags), stage_(stage)
{
    if (kind != EVoiceKind::Source)
        mix_.assign(TAudioEngine::MaxQuantumFrames(sampleRate) * channels, 0.0f);
    if (kind == EVoiceKind::Mastering)
    {
        sends_.push_back({nullptr, {}, {}});
        for (UINT32 c = 0; c < channels; ++c)
            sends_.back().levels[c * channels + c] = 1.0f;
    }
}

TVoice::~TVoice()
{
    ReleaseEffects();
}

bool TVoice::SetSends(const XAUDIO2_VOICE_SENDS* sends, std::string& why)
{
    std::vector<TVoice*> destinations;
    if (!sends)
    {
        TVoice* mastering = engine_.MasteringVoice();
        if (!mastering)
        {
            why = "no mastering voice to send to";
            return false;
        }
        destinations.push_back(mastering);
    }
    else if (sends->SendCount && !sends->pSends)
    {
        why = "send list without sends";
        return false;
    }
    else if (sends->SendCount > kMaxSends)
    {
        why = std::to_string(sends->SendCount) + " sends (at most 8)";
        return false;
    }
    for (UINT32 i = 0; sends && i < sends->SendCount; ++i)
    {
        const XAUDIO2_SEND_DESCRIPTOR& send = sends->pSends[i];
        if (send.Flags == XAUDIO2_SEND_USEFILTER)
        {
            why = "output filters (XAUDIO2_SEND_USEFILTER) are not supported";
            return false;
        }
        if (send.Flags)
        {
            why = "send flags " + std::to_string(send.Flags);
            return false;
        }
        TVoice* destination = engine_.FindDestination(send.pOutputVoice);
        if (!destination)
        {
            why = "send " + std::to_string(i) + " is not a submix or mastering voice of this engine";
            return false;
        }
        if (destination->kind_ == EVoiceKind::Submix && kind_ == EVoiceKind::Submix && destination->stage_ <= stage_)
        {
            why = "a submix voice sends only to submix voices of a later processing stage";
            return false;
        }
        if (std::find(destinations.begin(), destinations.end(), destination) != destinations.end())
        {
            why = "send " + std::to_string(i) + " repeats a destination";
            return false;
        }
        destinations.push_back(destination);
    }
    sends_.clear();
    for (TVoice* destination : destinations)
    {
        sends_.push_back({destination, {}, {}});
        DefaultLevels(sends_.back());
    }
    return true;
}

bool TVoice::SendsTo(const TVoice* voice) const
{
    return std::any_of(sends_.begin(), sends_.end(), [voice](const TSend& send) { return send.destination == voice; });
}

// A new send copies channel to channel; mono goes to both front speakers and stereo to mono
// at half each.
void TVoice::DefaultLevels(TSend& send) const
{
    const UINT32 sources = channels_;
    const UINT32 destinations = send.destination->channels_;
    if (sources == 1 && destinations >= 2)
        send.levels[0] = send.levels[1] = 1.0f;
    else if (sources == 2 && destinations == 1)
        send.levels[0] = send.levels[1] = 0.5f;
    else
        for (UINT32 c = 0; c < std::min(sources, destinations); ++c)
            send.levels[c * sources + c] = 1.0f;
}

TVoice::TSend* TVoice::FindSend(IXAudio2Voice* destination)
{
    if (kind_ == EVoiceKind::Mastering)
        return nullptr;
    if (!destination)
        return sends_.size() == 1 ? &sends_[0] : nullptr;
    for (TSend& send : sends_)
        if (send.destination->AsInterface() == destination)
            return &send;
    return nullptr;
}

void TVoice::Details(XAUDIO2_VOICE_DETAILS* details) const
{
    if (!details)
        return;
    details->CreationFlags = flags_;
    details->InputChannels = channels_;
    details->InputSampleRate = sampleRate_;
}

HRESULT TVoice::ChangeEffectChain(const XAUDIO2_EFFECT_CHAIN* chain)
{
    std::lock_guard<std::recursive_mutex> lock(engine_.Mutex());
    std::vector<TEffect> chosen;
    const UINT32 count = chain ? chain->EffectCount : 0;
    if (count && !chain->pEffectDescriptors)
        return RefuseCall("SetEffectChain", "effect chain without descriptors");
    for (UINT32 i = 0; i < count; ++i)
    {
        const XAUDIO2_EFFECT_DESCRIPTOR& descriptor = chain->pEffectDescriptors[i];
        TReverbEffect* effect = descriptor.pEffect ? dynamic_cast<TReverbEffect*>(descriptor.pEffect) : nullptr;
        if (!effect)
            return RefuseCall("SetEffectChain", "effect " + std::to_string(i) + " is not a reverb of this layer");
        if (channels_ != TReverbEffect::kChannels || descriptor.OutputChannels != TReverbEffect::kChannels)
            return RefuseCall("SetEffectChain", "the reverb runs on 2 channels in and out");
        chosen.push_back({effect, descriptor.InitialState != 0});
    }
    for (const TEffect& effect : effects_)
        effect.effect->Detach();
    for (size_t i = 0; i < chosen.size(); ++i)
    {
        if (chosen[i].effect->Attach(sampleRate_))
            continue;
        for (size_t k = 0; k < i; ++k)
            chosen[k].effect->Detach();
        for (const TEffect& effect : effects_)
            effect.effect->Attach(sampleRate_);
        return RefuseCall("SetEffectChain", "effect " + std::to_string(i) + " already serves a voice");
    }
    for (const TEffect& effect : effects_)
        effect.effect->Release();
    effects_ = std::move(chosen);
    for (const TEffect& effect : effects_)
        effect.effect->AddRef();
    return S_OK;
}

void TVoice::ReleaseEffects()
{
    for (const TEffect& effect : effects_)
    {
        effect.effect->Detach();
        effect.effect->Release();
    }
    effects_.clear();
}

HRESULT TVoice::QueueEffectEnabled(UINT32 index, bool enabled, UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(engine_.Mutex());
    const char* call = enabled ? "EnableEffect" : "DisableEffect";
    if (index >= effects_.size())
        return RefuseCall(call, "no effect " + std::to_string(index));
    Queue(ECommandKind::EffectEnabled, operationSet, index, enabled ? 1.0f : 0.0f);
    return S_OK;
}

HRESULT TVoice::QueueEffectParameters(UINT32 index, const void* parameters, UINT32 size, UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(engine_.Mutex());
    if (index >= effects_.size())
        return RefuseCall("SetEffectParameters", "no effect " + std::to_string(index));
    std::string why;
    if (!TReverbEffect::CheckParameters(parameters, size, why))
        return RefuseCall("SetEffectParameters", why);
    Queue(ECommandKind::EffectParameters, operationSet, index, 0.0f, parameters, size);
    return S_OK;
}

HRESULT TVoice::RefuseOutputFilter(IXAudio2Voice* destination)
{
    std::lock_guard<std::recursive_mutex> lock(engine_.Mutex());
    if (!FindSend(destination))
        return RefuseCall("SetOutputFilterParameters", "not a destination of this voice");
    return RefuseCall("SetOutputFilterParameters", "the send was not made with XAUDIO2_SEND_USEFILTER");
}

HRESULT TVoice::QueueVolume(float volume, UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(engine_.Mutex());
    if (!LevelInRange(volume))
        return RefuseCall("SetVolume", "volume " + std::to_string(volume) + " out of range");
    Queue(ECommandKind::Volume, operationSet, 0, volume);
    return S_OK;
}

HRESULT TVoice::QueueOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                                  const float* levels, UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(engine_.Mutex());
    TSend* send = FindSend(destination);
    if (!send)
        return RefuseCall("SetOutputMatrix", "not a destination of this voice");
    if (sourceChannels != channels_ || destinationChannels != send->destination->channels_)
        return RefuseCall("SetOutputMatrix", std::to_string(sourceChannels) + " x " +
                                                 std::to_string(destinationChannels) + " levels for " +
                                                 std::to_string(channels_) + " x " +
                                                 std::to_string(send->destination->channels_) + " channels");
    if (!levels)
        return RefuseCall("SetOutputMatrix", "no levels");
    const UINT32 count = sourceChannels * destinationChannels;
    if (!std::all_of(levels, levels + count, LevelInRange))
        return RefuseCall("SetOutputMatrix", "a level out of range");
    Queue(ECommandKind::OutputMatrix, operationSet, static_cast<UINT32>(send - sends_.data()), 0.0f, levels,
          count * sizeof(float));
    return S_OK;
}

void TVoice::Queue(ECommandKind kind, UINT32 operationSet, UINT32 index, float value, const void* data, UINT32 size)
{
    engine_.Operations().Add(this, kind, operationSet, index, value, data, size);
}

void TVoice::Destroy()
{
    engine_.DestroyVoice(this);
}

void TVoice::Apply(const TCommand& command, const BYTE* data)
{
    switch (command.kind)
    {
    case ECommandKind::Volume:
        volume_ = command.value;
        break;
    case ECommandKind::OutputMatrix:
        std::memcpy(sends_[command.index].levels, data, command.dataSize);
        break;
    case ECommandKind::EffectEnabled:
        // A chain changed since: the change has nothing left to act on.
        if (command.index < effects_.size())
            effects_[command.index].enabled = command.value != 0.0f;
        break;
    case ECommandKind::EffectParameters:
        if (command.index < effects_.size())
        {
            XAUDIO2FX_REVERB_PARAMETERS parameters;
            std::memcpy(&parameters, data, sizeof(parameters));
            effects_[command.index].effect->SetParameters(parameters);
        }
        break;
    default:
        break;
    }
}

void TVoice::ClearMixBuffer(UINT32 frames)
{
    std::fill(mix_.begin(), mix_.begin() + frames * channels_, 0.0f);
}

void TVoice::RunEffects(float* frames, UINT32 count)
{
    for (const TEffect& effect : effects_)
        if (effect.enabled)
            effect.effect->Process(frames, count);
}

void TVoice::PrefetchSends() const
{
    for (const TSend& send : sends_)
        __builtin_prefetch(send.levels);
}

// A mono source whose stereo sends kept their levels since the last quantum: mixed with the
// other such voices once every source has rendered. False for any other voice.
bool TVoice::JoinBatch(const float* frames, float volume, bool continues)
{
    const UINT32 sendCount = static_cast<UINT32>(sends_.size());
    if (kind_ != EVoiceKind::Source || channels_ != 1 || !continues || sendCount == 0 ||
        sendCount > TBatchVoice::kMaxTargets)
        return false;
    float* outs[TBatchVoice::kMaxTargets] = {};
    float sides[TBatchVoice::kMaxTargets][2] = {};
    for (UINT32 t = 0; t < sendCount; ++t)
    {
        const TSend& send = sends_[t];
        if (!send.destination || send.destination->channels_ != 2)
            return false;
        for (UINT32 side = 0; side < 2; ++side)
        {
            sides[t][side] = volume * send.levels[side];
            if (sides[t][side] != send.applied[side])
                return false;
        }
        outs[t] = send.destination->MixBuffer();
    }
    engine_.Batch().Add(frames, outs, sides, sendCount);
    return true;
}

void TVoice::Emit(const float* frames, UINT32 count, std::uint64_t quantum, float* device, bool fadingOut)
{
    const bool continues = emitted_ && lastEmitted_ + 1 == quantum;
    const bool resumes = emitted_ && !continues && kind_ == EVoiceKind::Source;
    emitted_ = true;
    lastEmitted_ = quantum;
    const float volume = fadingOut ? 0.0f : volume_;
    if (JoinBatch(frames, volume, continues))
        return;
    TMixTarget targets[kMaxSends] = {};
    float levels[kMaxSends][kMaxLevels];
    const UINT32 sendCount = static_cast<UINT32>(sends_.size());
    for (UINT32 t = 0; t < sendCount; ++t)
    {
        TSend& send = sends_[t];
        const UINT32 destinationChannels = send.destination ? send.destination->channels_ : channels_;
        const UINT32 levelCount = channels_ * destinationChannels;
        for (UINT32 i = 0; i < levelCount; ++i)
            levels[t][i] = volume * send.levels[i];
        // A source that played before, stopped mid-way, rises from silence: no step.
        if (resumes)
            std::fill(send.applied, send.applied + levelCount, 0.0f);
        else if (!continues)
            std::memcpy(send.applied, levels[t], levelCount * sizeof(float));
        targets[t] = {send.destination ? send.destination->MixBuffer() : device, destinationChannels, send.applied,
                      levels[t]};
    }
    MixThroughMatrices(frames, channels_, count, targets, sendCount);
    for (UINT32 t = 0; t < sendCount; ++t)
        std::memcpy(sends_[t].applied, levels[t], channels_ * targets[t].outChannels * sizeof(float));
}
