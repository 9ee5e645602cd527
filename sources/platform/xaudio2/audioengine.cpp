#include "platform/xaudio2/audioengine.h"

#include "platform/xaudio2/mixerthread.h"
#include "platform/xaudio2/refusal.h"
#include "platform/xaudio2/sourcevoice.h"

#include <algorithm>
#include <cmath>

#include <emmintrin.h>

namespace
{
using TSubmixVoice = TVoiceInterface<IXAudio2SubmixVoice>;
using TMasteringVoice = TVoiceInterface<IXAudio2MasteringVoice>;

// Denormals in the reverb's fading tails would cost far more than they are worth.
constexpr unsigned kFlushDenormals = 0x8040;

std::mutex s_enginesLock;
std::vector<TAudioEngine*> s_engines;

bool IsMixingThread(const std::atomic<std::thread::id>& mixing)
{
    return mixing.load() == std::this_thread::get_id();
}

// Scaled by 32768, rounded to the nearest and clipped: four samples at a time. Numbers the
// conversion cannot represent (too large, or no number) come back as its "indefinite" value
// -2^31; those that were no number become silence.
void ToDeviceSamples(const float* mix, std::int16_t* samples, UINT32 count)
{
    const __m128 scale = _mm_set1_ps(32768.0f);
    const __m128 top = _mm_set1_ps(32767.0f);
    const __m128 bottom = _mm_set1_ps(-32768.0f);
    UINT32 i = 0;
    for (; i + 4 <= count; i += 4)
    {
        const __m128 scaled = _mm_mul_ps(_mm_loadu_ps(mix + i), scale);
        // max and min return their second operand when the first is no number: clear those first.
        const __m128 numbers = _mm_and_ps(scaled, _mm_cmpeq_ps(scaled, scaled));
        const __m128i whole = _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(numbers, bottom), top));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(samples + i), _mm_packs_epi32(whole, whole));
    }
    for (; i < count; ++i)
    {
        const float scaled = mix[i] * 32768.0f;
        samples[i] = scaled != scaled ? 0 : static_cast<std::int16_t>(std::lrint(std::clamp(scaled, -32768.0f, 32767.0f)));
    }
}
} // namespace

void TAudioEngine::StepAll(UINT32 quanta)
{
    std::lock_guard<std::mutex> engines(s_enginesLock);
    for (TAudioEngine* engine : s_engines)
    {
        std::lock_guard<std::recursive_mutex> lock(engine->lock_);
        if (!engine->stepped_)
            continue;
        for (UINT32 q = 0; q < quanta; ++q)
        {
            const std::int16_t* samples = nullptr;
            const UINT32 frames = engine->MixQuantum(&samples);
            if (frames)
                engine->output_->Write(samples, frames);
        }
    }
}

TAudioEngine::TAudioEngine()
{
    std::lock_guard<std::mutex> engines(s_enginesLock);
    s_engines.push_back(this);
}

TAudioEngine::~TAudioEngine()
{
    {
        std::lock_guard<std::mutex> engines(s_enginesLock);
        s_engines.erase(std::find(s_engines.begin(), s_engines.end(), this));
    }
    StopMixer();
    std::lock_guard<std::recursive_mutex> lock(lock_);
    for (TSourceVoice* voice : sources_)
        delete voice;
    for (TVoice* voice : submixes_)
        delete voice;
    if (mastering_)
        delete mastering_;
}

HRESULT TAudioEngine::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_INVALIDARG;
    if (!(riid == IID_IUnknown || riid == IID_IXAudio2))
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IXAudio2*>(this);
    return S_OK;
}

ULONG TAudioEngine::AddRef()
{
    return ++references_;
}

ULONG TAudioEngine::Release()
{
    const ULONG left = --references_;
    if (left != 0)
        return left;
    if (IsMixingThread(mixingThread_))
    {
        PrintAudioError("Release", "the last reference let go in a voice callback; the engine stays");
        return 0;
    }
    delete this;
    return 0;
}

HRESULT TAudioEngine::RefuseUninitialized(const char* call) const
{
    return RefuseCall(call, "the engine is not initialized");
}

HRESULT TAudioEngine::Initialize(UINT32 flags, XAUDIO2_PROCESSOR)
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (devices_)
        return RefuseCall("Initialize", "the engine is initialized already");
    if (flags & ~XAUDIO2_DEBUG_ENGINE)
        return RefuseCall("Initialize", "flags " + std::to_string(flags));
    const TXAudio2Settings& settings = XAudio2Settings();
    stepped_ = settings.stepped;
    devices_ = std::make_unique<TAudioDeviceList>(settings);
    return S_OK;
}

HRESULT TAudioEngine::GetDeviceCount(UINT32* count)
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!devices_)
        return RefuseUninitialized("GetDeviceCount");
    if (!count)
        return RefuseCall("GetDeviceCount", "no count to fill");
    *count = devices_->Count();
    return S_OK;
}

HRESULT TAudioEngine::GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details)
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!devices_)
        return RefuseUninitialized("GetDeviceDetails");
    if (!details)
        return RefuseCall("GetDeviceDetails", "no details to fill");
    if (index >= devices_->Count())
    {
        PrintAudioError("GetDeviceDetails", "no device " + std::to_string(index));
        return E_INVALIDARG;
    }
    devices_->Describe(index, *details);
    return S_OK;
}

HRESULT TAudioEngine::CreateSourceVoice(IXAudio2SourceVoice** sourceVoice, const WAVEFORMATEX* sourceFormat,
                                        UINT32 flags, float maxFrequencyRatio, IXAudio2VoiceCallback* callback,
                                        const XAUDIO2_VOICE_SENDS* sendList, const XAUDIO2_EFFECT_CHAIN* effectChain)
{
    static constexpr const char* kCall = "CreateSourceVoice";
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!devices_)
        return RefuseUninitialized(kCall);
    if (!sourceVoice)
        return RefuseCall(kCall, "no voice pointer to fill");
    TSampleFormat format;
    std::string why;
    if (!TSampleFormat::FromWaveFormat(sourceFormat, format, why))
        return RefuseCall(kCall, why);
    if (flags & ~XAUDIO2_VOICE_USEFILTER)
        return RefuseCall(kCall, "flags " + std::to_string(flags));
    if (!(maxFrequencyRatio >= XAUDIO2_MIN_FREQ_RATIO && maxFrequencyRatio <= XAUDIO2_MAX_FREQ_RATIO))
        return RefuseCall(kCall, "maximum frequency ratio " + std::to_string(maxFrequencyRatio));
    if (!mastering_)
        return RefuseCall(kCall, "create the mastering voice first");
    auto voice = std::make_unique<TSourceVoice>(*this, format, flags, maxFrequencyRatio, callback);
    if (!voice->SetSends(sendList, why))
        return RefuseCall(kCall, why);
    if (effectChain && FAILED(voice->SetEffectChain(effectChain)))
        return XAUDIO2_E_INVALID_CALL;
    sources_.push_back(voice.get());
    *sourceVoice = voice.release();
    return S_OK;
}

HRESULT TAudioEngine::CreateSubmixVoice(IXAudio2SubmixVoice** submixVoice, UINT32 inputChannels,
                                        UINT32 inputSampleRate, UINT32 flags, UINT32 processingStage,
                                        const XAUDIO2_VOICE_SENDS* sendList, const XAUDIO2_EFFECT_CHAIN* effectChain)
{
    static constexpr const char* kCall = "CreateSubmixVoice";
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!devices_)
        return RefuseUninitialized(kCall);
    if (!submixVoice)
        return RefuseCall(kCall, "no voice pointer to fill");
    if (inputChannels == 0 || inputChannels > TSampleFormat::kMaxChannels)
        return RefuseCall(kCall, std::to_string(inputChannels) + " channels (1 to 8 expected)");
    if (flags & ~XAUDIO2_VOICE_USEFILTER)
        return RefuseCall(kCall, "flags " + std::to_string(flags));
    if (!mastering_)
        return RefuseCall(kCall, "create the mastering voice first");
    const UINT32 rate = inputSampleRate ? inputSampleRate : mastering_->SampleRate();
    if (rate != mastering_->SampleRate())
        return RefuseCall(kCall, "submix voices run at the mastering voice's rate of " +
                                     std::to_string(mastering_->SampleRate()) + " Hz, not " + std::to_string(rate));
    auto voice =
        std::make_unique<TSubmixVoice>(*this, EVoiceKind::Submix, inputChannels, rate, flags, processingStage);
    std::string why;
    if (!voice->SetSends(sendList, why))
        return RefuseCall(kCall, why);
    if (effectChain && FAILED(voice->SetEffectChain(effectChain)))
        return XAUDIO2_E_INVALID_CALL;
    const auto later = std::upper_bound(submixes_.begin(), submixes_.end(), processingStage,
                                        [](UINT32 stage, const TVoice* other) { return stage < other->Stage(); });
    submixes_.insert(later, voice.get());
    *submixVoice = voice.release();
    return S_OK;
}

HRESULT TAudioEngine::CreateMasteringVoice(IXAudio2MasteringVoice** masteringVoice, UINT32 inputChannels,
                                           UINT32 inputSampleRate, UINT32 flags, UINT32 deviceIndex,
                                           const XAUDIO2_EFFECT_CHAIN* effectChain)
{
    static constexpr const char* kCall = "CreateMasteringVoice";
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!devices_)
        return RefuseUninitialized(kCall);
    if (!masteringVoice)
        return RefuseCall(kCall, "no voice pointer to fill");
    if (mastering_)
        return RefuseCall(kCall, "a mastering voice exists already");
    if (flags)
        return RefuseCall(kCall, "flags " + std::to_string(flags));
    if (deviceIndex >= devices_->Count())
        return RefuseCall(kCall, "no device " + std::to_string(deviceIndex));
    XAUDIO2_DEVICE_DETAILS details;
    devices_->Describe(deviceIndex, details);
    const UINT32 channels = inputChannels ? inputChannels : details.OutputFormat.Format.nChannels;
    const UINT32 rate = inputSampleRate ? inputSampleRate : details.OutputFormat.Format.nSamplesPerSec;
    if (channels == 0 || channels > TSampleFormat::kMaxChannels)
        return RefuseCall(kCall, std::to_string(channels) + " channels (1 to 8 expected)");
    if (rate < XAUDIO2_MIN_SAMPLE_RATE || rate > XAUDIO2_MAX_SAMPLE_RATE)
        return RefuseCall(kCall, "sample rate " + std::to_string(rate) + " (1000 to 200000 expected)");
    auto voice = std::make_unique<TMasteringVoice>(*this, EVoiceKind::Mastering, channels, rate, 0, 0);
    if (effectChain && FAILED(voice->SetEffectChain(effectChain)))
        return XAUDIO2_E_INVALID_CALL;
    std::string why;
    std::unique_ptr<TAudioOutput> output = devices_->Open(deviceIndex, channels, rate, why);
    if (!output)
    {
        PrintAudioError(kCall, why);
        return XAUDIO2_E_DEVICE_INVALIDATED;
    }
    const UINT32 frames = MaxQuantumFrames(rate);
    deviceMix_.assign(std::size_t(frames) * channels, 0.0f);
    deviceSamples_.assign(std::size_t(frames) * channels, 0);
    quantum_ = 0;
    output_ = std::move(output);
    mastering_ = voice.release();
    if (!stepped_)
        mixer_ = std::make_unique<TMixerThread>(*this, *output_, rate);
    *masteringVoice = static_cast<TMasteringVoice*>(mastering_);
    return S_OK;
}

HRESULT TAudioEngine::StartEngine()
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    running_ = true;
    return S_OK;
}

void TAudioEngine::StopEngine()
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    running_ = false;
}

HRESULT TAudioEngine::CommitChanges(UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    operations_.Commit(operationSet);
    return S_OK;
}

TVoice* TAudioEngine::FindDestination(IXAudio2Voice* voice) const
{
    if (!voice)
        return nullptr;
    if (mastering_ && mastering_->AsInterface() == voice)
        return mastering_;
    for (TVoice* submix : submixes_)
        if (submix->AsInterface() == voice)
            return submix;
    return nullptr;
}

void TAudioEngine::DestroyVoice(TVoice* voice)
{
    std::unique_ptr<TMixerThread> mixer;
    std::unique_ptr<TAudioOutput> output;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        if (IsMixingThread(mixingThread_))
        {
            PrintAudioError("DestroyVoice", "called from a voice callback; the voice stays");
            return;
        }
        const auto sendsHere = [voice](const TVoice* other) { return other->SendsTo(voice); };
        if (std::any_of(sources_.begin(), sources_.end(), sendsHere) ||
            std::any_of(submixes_.begin(), submixes_.end(), sendsHere))
        {
            PrintAudioError("DestroyVoice", "other voices still send to this voice; it stays");
            return;
        }
        operations_.Forget(voice);
        switch (voice->Kind())
        {
        case EVoiceKind::Source:
            sources_.erase(std::find(sources_.begin(), sources_.end(), voice));
            break;
        case EVoiceKind::Submix:
            submixes_.erase(std::find(submixes_.begin(), submixes_.end(), voice));
            break;
        case EVoiceKind::Mastering:
            mastering_ = nullptr;
            mixer = std::move(mixer_);
            output = std::move(output_);
            break;
        }
    }
    // Out of the lock: the mixer may be waiting for it to finish its quantum.
    mixer.reset();
    delete voice;
}

void TAudioEngine::StopMixer()
{
    std::unique_ptr<TMixerThread> mixer;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        mixer = std::move(mixer_);
    }
    mixer.reset();
}

UINT32 TAudioEngine::MixQuantum(const std::int16_t** samples)
{
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!running_ || !mastering_)
        return 0;
    const unsigned controlWord = _mm_getcsr();
    _mm_setcsr(controlWord | kFlushDenormals);
    mixingThread_ = std::this_thread::get_id();

    operations_.ApplyDue([](const TCommand& command, const BYTE* data) { command.voice->Apply(command, data); });
    const UINT32 rate = mastering_->SampleRate();
    const UINT32 channels = mastering_->Channels();
    const UINT32 frames = static_cast<UINT32>((quantum_ + 1) * rate / 100 - quantum_ * rate / 100);
    for (TVoice* submix : submixes_)
        submix->ClearMixBuffer(frames);
    mastering_->ClearMixBuffer(frames);
    std::fill(deviceMix_.begin(), deviceMix_.begin() + frames * channels, 0.0f);

    // By index: a callback may add voices.
    for (size_t i = 0; i < sources_.size(); ++i)
    {
        // The voices lie apart in memory; fetch the next while this one renders.
        if (i + 1 < sources_.size())
            sources_[i + 1]->Prefetch();
        sources_[i]->Render(frames, rate, quantum_, deviceMix_.data());
    }
    batch_.Flush(frames);
    for (TVoice* submix : submixes_)
    {
        submix->RunEffects(submix->MixBuffer(), frames);
        submix->Emit(submix->MixBuffer(), frames, quantum_, deviceMix_.data());
    }
    mastering_->RunEffects(mastering_->MixBuffer(), frames);
    mastering_->Emit(mastering_->MixBuffer(), frames, quantum_, deviceMix_.data());
    ToDeviceSamples(deviceMix_.data(), deviceSamples_.data(), frames * channels);
    ++quantum_;

    mixingThread_ = std::thread::id();
    _mm_setcsr(controlWord);
    *samples = deviceSamples_.data();
    return frames;
}
