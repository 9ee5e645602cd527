#include "platform/xaudio2/sourcevoice.h"

#include "platform/xaudio2/audioengine.h"
#include "platform/xaudio2/refusal.h"
#include "platform/xaudio2/resampler.h"

#include <algorithm>
#include <cmath>

TSourceVoice::TSourceVoice(TAudioEngine& engine, const TSampleFormat& format, UINT32 flags, float maxFrequencyRatio,
                           IXAudio2VoiceCallback* callback)
    : TVoiceInterface(engine, EVoiceKind::Source, format.channels, format.sampleRate, flags, 0), format_(format),
      maxFrequencyRatio_(maxFrequencyRatio), callback_(callback)
{
}

HRESULT TSourceVoice::Start(UINT32 flags, UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(Engine().Mutex());
    if (flags)
        return RefuseCall("Start", "flags " + std::to_string(flags));
    Queue(ECommandKind::Start, operationSet, 0, 0.0f);
    return S_OK;
}

HRESULT TSourceVoice::Stop(UINT32 flags, UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(Engine().Mutex());
    if (flags & ~XAUDIO2_PLAY_TAILS)
        return RefuseCall("Stop", "flags " + std::to_string(flags));
    Queue(ECommandKind::Stop, operationSet, 0, 0.0f);
    return S_OK;
}

HRESULT TSourceVoice::SetFrequencyRatio(float ratio, UINT32 operationSet)
{
    std::lock_guard<std::recursive_mutex> lock(Engine().Mutex());
    if (ratio != ratio)
        return RefuseCall("SetFrequencyRatio", "the ratio is no number");
    Queue(ECommandKind::FrequencyRatio, operationSet, 0, std::clamp(ratio, XAUDIO2_MIN_FREQ_RATIO, maxFrequencyRatio_));
    return S_OK;
}

HRESULT TSourceVoice::SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const XAUDIO2_BUFFER_WMA* bufferWMA)
{
    static constexpr const char* kCall = "SubmitSourceBuffer";
    std::lock_guard<std::recursive_mutex> lock(Engine().Mutex());
    if (!buffer)
        return RefuseCall(kCall, "no buffer");
    if (bufferWMA && bufferWMA->PacketCount)
        return RefuseCall(kCall, "xWMA packets for a PCM voice");
    if (buffer->Flags & ~XAUDIO2_END_OF_STREAM)
        return RefuseCall(kCall, "buffer flags " + std::to_string(buffer->Flags));
    if (buffer->AudioBytes == 0 || !buffer->pAudioData)
        return RefuseCall(kCall, "an empty buffer");
    if (buffer->AudioBytes > XAUDIO2_MAX_BUFFER_BYTES)
        return RefuseCall(kCall, "more than XAUDIO2_MAX_BUFFER_BYTES");
    if (buffer->AudioBytes % format_.blockAlign)
        return RefuseCall(kCall, std::to_string(buffer->AudioBytes) + " bytes are not whole blocks of " +
                                     std::to_string(format_.blockAlign));
    const UINT32 frames = buffer->AudioBytes / format_.blockAlign;
    if (buffer->PlayBegin >= frames || buffer->PlayLength > frames - buffer->PlayBegin)
        return RefuseCall(kCall, "the play region runs past the buffer");
    const UINT32 playEnd = buffer->PlayLength ? buffer->PlayBegin + buffer->PlayLength : frames;
    const UINT32 loops = buffer->LoopCount;
    if (loops > XAUDIO2_MAX_LOOP_COUNT && loops != XAUDIO2_LOOP_INFINITE)
        return RefuseCall(kCall, "loop count " + std::to_string(loops));
    if (loops == 0 && (buffer->LoopBegin || buffer->LoopLength))
        return RefuseCall(kCall, "a loop region without loops");
    const UINT32 loopEnd = buffer->LoopLength ? buffer->LoopBegin + buffer->LoopLength : playEnd;
    if (loops && (buffer->LoopBegin >= playEnd || buffer->LoopLength > playEnd - buffer->LoopBegin ||
                  loopEnd <= buffer->PlayBegin))
        return RefuseCall(kCall, "the loop region lies outside the play region");
    if (queue_.size() >= XAUDIO2_MAX_QUEUED_BUFFERS)
        return RefuseCall(kCall, "64 buffers are queued already");
    if (queue_.empty())
        position_ = std::uint64_t(buffer->PlayBegin) << 32;
    queue_.push_back({buffer->pAudioData, frames, buffer->PlayBegin, playEnd, buffer->LoopBegin, loopEnd, loops,
                      (buffer->Flags & XAUDIO2_END_OF_STREAM) != 0, false, buffer->pContext});
    return S_OK;
}

void TSourceVoice::Apply(const TCommand& command, const BYTE* data)
{
    switch (command.kind)
    {
    case ECommandKind::Start:
        running_ = true;
        fadingOut_ = false;
        break;
    case ECommandKind::Stop:
        fadingOut_ = running_ && heard_;
        running_ = false;
        break;
    case ECommandKind::FrequencyRatio:
        ratio_ = command.value;
        break;
    default:
        TVoice::Apply(command, data);
    }
}

void TSourceVoice::Prefetch() const
{
    const char* self = reinterpret_cast<const char*>(this);
    for (size_t offset = 0; offset < sizeof(*this); offset += 64)
        __builtin_prefetch(self + offset);
    PrefetchSends();
    if (!queue_.empty())
        __builtin_prefetch(&queue_.front());
}

void TSourceVoice::Render(UINT32 frames, UINT32 mixRate, std::uint64_t quantum, float* device)
{
    if (!running_ && !fadingOut_)
    {
        heard_ = false;
        return;
    }
    const UINT32 channels = format_.channels;
    if (rendered_.size() < frames * channels)
        rendered_.resize(TAudioEngine::MaxQuantumFrames(mixRate) * channels);
    float* const scratch = rendered_.data();
    if (ratio_ != stepRatio_ || mixRate != stepMixRate_)
    {
        stepRatio_ = ratio_;
        stepMixRate_ = mixRate;
        step_ = static_cast<std::uint64_t>(static_cast<double>(ratio_) * format_.sampleRate / mixRate *
                                               static_cast<double>(kPositionOne) +
                                           0.5);
    }
    const std::uint64_t step = step_;
    if (callback_)
        callback_->OnVoiceProcessingPassStart(BytesRequired(frames, step));

    float* out = scratch;
    UINT32 done = 0;
    while (done < frames)
    {
        if (queue_.empty())
        {
            std::fill(out, scratch + frames * channels, 0.0f);
            break;
        }
        if (!queue_.front().started)
        {
            queue_.front().started = true;
            if (callback_)
                callback_->OnBufferStart(queue_.front().context);
            continue;
        }
        const TQueuedBuffer& buffer = queue_.front();
        const UINT32 end = buffer.End();
        const UINT32 index = static_cast<UINT32>(position_ >> 32);
        if (index >= end)
        {
            Advance();
            continue;
        }
        if (index + 1 < end)
        {
            // Every frame up to the region's last has its neighbour in the buffer.
            const std::uint64_t last = std::uint64_t(end - 1) << 32;
            const UINT32 wanted = frames - done;
            // Usually the whole rest of the quantum fits before the region's end.
            const std::uint64_t count = last - position_ > step * (wanted - 1)
                                            ? wanted
                                            : std::min<std::uint64_t>((last - position_ + step - 1) / step, wanted);
            ResampleLinear(format_.kind, channels, buffer.data, buffer.frames, position_, step, static_cast<UINT32>(count),
                           out);
            position_ += count * step;
            out += count * channels;
            done += static_cast<UINT32>(count);
            continue;
        }
        float first[TSampleFormat::kMaxChannels];
        float next[TSampleFormat::kMaxChannels];
        DecodeFrame(format_.kind, channels, buffer.data + std::size_t(index) * format_.blockAlign, first);
        NextFrame(next);
        const float fraction = PositionFraction(position_);
        for (UINT32 c = 0; c < channels; ++c)
            out[c] = first[c] + (next[c] - first[c]) * fraction;
        out += channels;
        ++done;
        position_ += step;
    }
    // A buffer whose last frame has played ends in this quantum, not the next.
    while (!queue_.empty() && queue_.front().started && (position_ >> 32) >= queue_.front().End())
        Advance();
    RunEffects(scratch, frames);
    Emit(scratch, frames, quantum, device, fadingOut_);
    fadingOut_ = false;
    heard_ = running_;
    if (callback_)
        callback_->OnVoiceProcessingPassEnd();
}

void TSourceVoice::Advance()
{
    TQueuedBuffer& buffer = queue_.front();
    const UINT32 index = static_cast<UINT32>(position_ >> 32);
    if (buffer.Looping())
    {
        const UINT32 length = buffer.loopEnd - buffer.loopBegin;
        UINT32 passes = (index - buffer.loopBegin) / length;
        if (buffer.loopsLeft != XAUDIO2_LOOP_INFINITE)
        {
            passes = std::min(passes, buffer.loopsLeft);
            buffer.loopsLeft -= passes;
        }
        position_ -= (std::uint64_t(passes) * length) << 32;
        for (UINT32 i = 0; callback_ && i < passes; ++i)
            callback_->OnLoopEnd(buffer.context);
        return;
    }
    const std::uint64_t carry = position_ - (std::uint64_t(buffer.playEnd) << 32);
    void* const context = buffer.context;
    const bool endOfStream = buffer.endOfStream;
    queue_.pop_front();
    position_ = queue_.empty() ? 0 : (std::uint64_t(queue_.front().playBegin) << 32) + carry;
    if (callback_)
    {
        callback_->OnBufferEnd(context);
        if (endOfStream)
            callback_->OnStreamEnd();
    }
}

void TSourceVoice::NextFrame(float* out) const
{
    const TQueuedBuffer& buffer = queue_.front();
    if (buffer.Looping())
        return DecodeFrame(format_.kind, format_.channels, buffer.data + std::size_t(buffer.loopBegin) * format_.blockAlign, out);
    if (queue_.size() > 1)
    {
        const TQueuedBuffer& following = queue_[1];
        return DecodeFrame(format_.kind, format_.channels,
                           following.data + std::size_t(following.playBegin) * format_.blockAlign, out);
    }
    std::fill(out, out + format_.channels, 0.0f);
}

// The bytes this quantum reads beyond what is queued (0 while a loop without end plays).
UINT32 TSourceVoice::BytesRequired(UINT32 frames, std::uint64_t step) const
{
    const std::uint64_t needed = (((position_ & 0xFFFFFFFFu) + step * frames) >> 32) + 1;
    std::uint64_t queued = 0;
    for (size_t i = 0; i < queue_.size(); ++i)
    {
        const TQueuedBuffer& buffer = queue_[i];
        if (buffer.loopsLeft == XAUDIO2_LOOP_INFINITE)
            return 0;
        const UINT32 from = i == 0 ? static_cast<UINT32>(position_ >> 32) : buffer.playBegin;
        queued += buffer.playEnd > from ? buffer.playEnd - from : 0;
        queued += std::uint64_t(buffer.loopsLeft) * (buffer.loopEnd - buffer.loopBegin);
    }
    const std::uint64_t missing = needed > queued ? needed - queued : 0;
    return static_cast<UINT32>(std::min<std::uint64_t>(missing * format_.blockAlign, 0xFFFFFFFFu));
}
