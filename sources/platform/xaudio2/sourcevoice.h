#pragma once
// TSourceVoice: plays the queued buffers of its sample format at its frequency ratio, with
// linear interpolation, into its sends. Buffers stay the caller's until OnBufferEnd; the
// callback's notifications come on the mixer's thread with the engine lock held.
#include "platform/xaudio2/voice.h"

#include <deque>

class TSourceVoice final : public TVoiceInterface<IXAudio2SourceVoice>
{
public:
    TSourceVoice(TAudioEngine& engine, const TSampleFormat& format, UINT32 flags, float maxFrequencyRatio,
                 IXAudio2VoiceCallback* callback);

    HRESULT Start(UINT32 flags, UINT32 operationSet) override;
    HRESULT Stop(UINT32 flags, UINT32 operationSet) override;
    HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const XAUDIO2_BUFFER_WMA* bufferWMA) override;
    HRESULT SetFrequencyRatio(float ratio, UINT32 operationSet) override;

    void Apply(const TCommand& command, const BYTE* data) override;
    // Starts fetching what Render reads first.
    void Prefetch() const;
    // Renders one quantum of `frames` frames at `mixRate` and emits it; nothing while stopped
    // (the quantum after a Stop still plays, fading out).
    void Render(UINT32 frames, UINT32 mixRate, std::uint64_t quantum, float* device);

private:
    struct TQueuedBuffer
    {
        const BYTE* data;
        UINT32 frames;
        UINT32 playBegin;
        UINT32 playEnd;
        UINT32 loopBegin;
        UINT32 loopEnd;
        UINT32 loopsLeft; // XAUDIO2_LOOP_INFINITE: without end
        bool endOfStream;
        bool started;
        void* context;

        bool Looping() const { return loopsLeft != 0; }
        // Where the position turns back or the buffer ends.
        UINT32 End() const { return Looping() ? loopEnd : playEnd; }
    };

    // The position has reached the end of the front buffer: loop back, or finish the buffer
    // and carry the position into the next one.
    void Advance();
    // The frame that plays after the last one of the front buffer's region (silence if none).
    void NextFrame(float* out) const;
    UINT32 BytesRequired(UINT32 frames, std::uint64_t step) const;

    TSampleFormat format_;
    float maxFrequencyRatio_;
    IXAudio2VoiceCallback* callback_;
    std::deque<TQueuedBuffer> queue_;
    std::vector<float> rendered_; // this quantum's frames, kept for the engine's batch
    std::uint64_t position_ = 0; // 32.32 frames into the front buffer
    float ratio_ = 1.0f;
    // The position's advance per output frame, for the ratio and mixing rate it was made for.
    std::uint64_t step_ = 0;
    float stepRatio_ = 0.0f;
    UINT32 stepMixRate_ = 0;
    bool running_ = false;
    // Stopped while heard: one more quantum plays, its levels falling to silence.
    bool fadingOut_ = false;
    // Played in the last quantum (a start and stop between two quanta plays nothing).
    bool heard_ = false;
};
