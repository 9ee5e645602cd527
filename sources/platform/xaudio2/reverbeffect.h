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
    // A circular delay of a power-of-two length.
    struct TDelay
    {
        std::vector<float> samples;
        UINT32 mask = 0;
        UINT32 head = 0;

        void Allocate(UINT32 length);
        void Push(float value)
        {
            head = (head + 1) & mask;
            samples[head] = value;
        }
        // The value pushed `age` pushes ago (0: the last one).
        float At(UINT32 age) const { return samples[(head - age) & mask]; }
    };
    // A Schroeder all-pass over a delay: it smears without colouring.
    struct TAllPass
    {
        TDelay delay;
        UINT32 length = 1;
        float coefficient = 0.0f;

        float Run(float input);
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
    float wet_ = 0.0f;
    float dry_ = 1.0f;
    float roomGain_ = 1.0f;
    float roomHighGain_ = 1.0f;
    float roomFilterCoefficient_ = 1.0f;
    float reflectionsGain_ = 1.0f;
    float reverbGain_ = 1.0f;
    float damping_ = 1.0f;
    UINT32 tapLeft_[kTaps] = {};
    UINT32 tapRight_[kTaps] = {};
    UINT32 lateDelay_ = 0;
    UINT32 lineLength_[kLines] = {};
    float lineGain_[kLines] = {};

    // State.
    float roomLowPass_ = 0.0f;
    TDelay input_;
    TAllPass earlyLeft_;
    TAllPass earlyRight_;
    TAllPass lateDiffusers_[2];
    TDelay lines_[kLines];
    float lineLowPass_[kLines] = {};
};
