#pragma once
// TReverbEffect: the object CoCreateInstance makes for CLSID_AudioReverb, our own stereo
// reverb driven by XAUDIO2FX_REVERB_PARAMETERS. A voice runs it in place on its 2 channels:
// the input, low-passed and delayed, feeds six early reflections per side and, after the
// reverb delay, four feedback delay lines that fall by 60 dB over the decay time; the result
// is mixed with the dry input by WetDryMix (README.md lists what each parameter does).
#include "platform/xaudio2/xaudio2fx.h"

#include <atomic>
#include <string>
#include <vector>

class TReverbEffect final : public IUnknown
{
public:
    static constexpr UINT32 kChannels = 2;

    TReverbEffect();

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // Whether a parameter block is a reverb's: 52 bytes, each field in its range (an all-zero
    // block, "off", is one). Otherwise false and `why` says what is wrong.
    static bool CheckParameters(const void* parameters, UINT32 size, std::string& why);

    // A reverb serves one voice's chain at a time; false when it already serves one.
    bool Attach(UINT32 sampleRate);
    void Detach();

    // Mixer side.
    void SetParameters(const XAUDIO2FX_REVERB_PARAMETERS& parameters);
    void Process(float* frames, UINT32 count);

private:
    // A circular delay of a power-of-two length. Every delay takes one value per frame, so all
    // of them share the reverb's frame counter: the value of frame t sits at t & mask.
    struct TDelay
    {
        std::vector<float> samples;
        UINT32 mask = 0;

        void Allocate(UINT32 length);
    };
    // A Schroeder all-pass over a delay: it smears without colouring.
    struct TAllPass
    {
        TDelay delay;
        UINT32 length = 1;
        float coefficient = 0.0f;
    };

    static constexpr UINT32 kTaps = 6;
    static constexpr UINT32 kLines = 4;

    ~TReverbEffect() = default;
    UINT32 Samples(float milliseconds) const;

    std::atomic<ULONG> references_{1};
    std::atomic<bool> attached_{false};
    UINT32 sampleRate_ = 0;
    XAUDIO2FX_REVERB_PARAMETERS parameters_;

    // Derived from the parameters for the voice's rate.
    struct TShape
    {
        float wet = 0.0f;
        float dry = 1.0f;
        float roomGain = 1.0f;
        float roomHighGain = 1.0f;
        float roomFilterCoefficient = 1.0f;
        float reflectionsGain = 1.0f;
        float reverbGain = 1.0f;
        float damping = 1.0f;
        UINT32 tapLeft[kTaps] = {};
        UINT32 tapRight[kTaps] = {};
        UINT32 lateDelay = 0;
        UINT32 lineLength[kLines] = {};
        float lineGain[kLines] = {};
    };
    TShape shape_;

    // State.
    UINT32 time_ = 0;
    float roomLowPass_ = 0.0f;
    TDelay input_;
    TAllPass earlyLeft_;
    TAllPass earlyRight_;
    TAllPass lateDiffusers_[2];
    TDelay lines_[kLines];
    float lineLowPass_[kLines] = {};
    std::vector<float> reflected_; // the quantum's early reflections, left then right
};
