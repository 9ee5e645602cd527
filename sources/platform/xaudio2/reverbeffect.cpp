#include "platform/xaudio2/reverbeffect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <xmmintrin.h>

namespace
{
// Early reflection taps after the reflections delay, in ms at the largest room, and their
// levels (together of unit energy).
constexpr float kTapLeftMs[] = {0.0f, 4.3f, 8.9f, 13.1f, 17.9f, 23.3f};
constexpr float kTapRightMs[] = {1.9f, 6.1f, 10.7f, 15.3f, 20.1f, 24.7f};
constexpr float kTapLevel[] = {0.579f, 0.486f, 0.411f, 0.342f, 0.290f, 0.243f};
// Feedback delay lines in ms at the largest room and full density; mutually prime in samples
// at the usual rates, so that their echoes do not pile up.
constexpr float kLineMs[] = {29.7f, 37.1f, 41.1f, 43.7f};
constexpr float kEarlyAllPassMs[] = {5.3f, 6.7f};
constexpr float kLateAllPassMs[] = {4.7f, 7.9f};
// The longest input delay: reflections delay, reverb delay and the last tap.
constexpr float kLongestInputMs = 300.0f + 85.0f + 25.0f;
constexpr float kLongestLineMs = 2.0f * 43.7f;

float Decibels(float dB)
{
    return std::pow(10.0f, dB / 20.0f);
}

bool InRange(float value, float low, float high)
{
    return value >= low && value <= high;
}

UINT32 PowerOfTwoAtLeast(UINT32 value)
{
    UINT32 size = 1;
    while (size < value)
        size <<= 1;
    return size;
}
} // namespace

TReverbEffect::TReverbEffect()
{
    parameters_ = {XAUDIO2FX_REVERB_DEFAULT_WET_DRY_MIX,
                   XAUDIO2FX_REVERB_DEFAULT_REFLECTIONS_DELAY,
                   XAUDIO2FX_REVERB_DEFAULT_REVERB_DELAY,
                   XAUDIO2FX_REVERB_DEFAULT_REAR_DELAY,
                   XAUDIO2FX_REVERB_DEFAULT_POSITION,
                   XAUDIO2FX_REVERB_DEFAULT_POSITION,
                   XAUDIO2FX_REVERB_DEFAULT_POSITION_MATRIX,
                   XAUDIO2FX_REVERB_DEFAULT_POSITION_MATRIX,
                   XAUDIO2FX_REVERB_DEFAULT_EARLY_DIFFUSION,
                   XAUDIO2FX_REVERB_DEFAULT_LATE_DIFFUSION,
                   XAUDIO2FX_REVERB_DEFAULT_LOW_EQ_GAIN,
                   XAUDIO2FX_REVERB_DEFAULT_LOW_EQ_CUTOFF,
                   XAUDIO2FX_REVERB_DEFAULT_HIGH_EQ_GAIN,
                   XAUDIO2FX_REVERB_DEFAULT_HIGH_EQ_CUTOFF,
                   XAUDIO2FX_REVERB_DEFAULT_ROOM_FILTER_FREQ,
                   XAUDIO2FX_REVERB_DEFAULT_ROOM_FILTER_MAIN,
                   XAUDIO2FX_REVERB_DEFAULT_ROOM_FILTER_HF,
                   XAUDIO2FX_REVERB_DEFAULT_REFLECTIONS_GAIN,
                   XAUDIO2FX_REVERB_DEFAULT_REVERB_GAIN,
                   XAUDIO2FX_REVERB_DEFAULT_DECAY_TIME,
                   XAUDIO2FX_REVERB_DEFAULT_DENSITY,
                   XAUDIO2FX_REVERB_DEFAULT_ROOM_SIZE};
}

HRESULT TReverbEffect::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_INVALIDARG;
    if (!(riid == IID_IUnknown))
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IUnknown*>(this);
    return S_OK;
}

ULONG TReverbEffect::AddRef()
{
    return ++references_;
}

ULONG TReverbEffect::Release()
{
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

bool TReverbEffect::CheckParameters(const void* parameters, UINT32 size, std::string& why)
{
    if (!parameters || size != sizeof(XAUDIO2FX_REVERB_PARAMETERS))
    {
        why = "reverb parameters of " + std::to_string(parameters ? size : 0) + " bytes (52 expected)";
        return false;
    }
    XAUDIO2FX_REVERB_PARAMETERS p;
    std::memcpy(&p, parameters, sizeof(p));
    const char* field = nullptr;
    if (!InRange(p.WetDryMix, XAUDIO2FX_REVERB_MIN_WET_DRY_MIX, XAUDIO2FX_REVERB_MAX_WET_DRY_MIX))
        field = "WetDryMix";
    else if (p.ReflectionsDelay > XAUDIO2FX_REVERB_MAX_REFLECTIONS_DELAY)
        field = "ReflectionsDelay";
    else if (p.ReverbDelay > XAUDIO2FX_REVERB_MAX_REVERB_DELAY)
        field = "ReverbDelay";
    else if (p.RearDelay > XAUDIO2FX_REVERB_MAX_REAR_DELAY)
        field = "RearDelay";
    else if (p.PositionLeft > XAUDIO2FX_REVERB_MAX_POSITION || p.PositionRight > XAUDIO2FX_REVERB_MAX_POSITION ||
             p.PositionMatrixLeft > XAUDIO2FX_REVERB_MAX_POSITION ||
             p.PositionMatrixRight > XAUDIO2FX_REVERB_MAX_POSITION)
        field = "Position";
    else if (p.EarlyDiffusion > XAUDIO2FX_REVERB_MAX_DIFFUSION || p.LateDiffusion > XAUDIO2FX_REVERB_MAX_DIFFUSION)
        field = "Diffusion";
    else if (p.LowEQGain > XAUDIO2FX_REVERB_MAX_LOW_EQ_GAIN || p.LowEQCutoff > XAUDIO2FX_REVERB_MAX_LOW_EQ_CUTOFF)
        field = "LowEQ";
    else if (p.HighEQGain > XAUDIO2FX_REVERB_MAX_HIGH_EQ_GAIN || p.HighEQCutoff > XAUDIO2FX_REVERB_MAX_HIGH_EQ_CUTOFF)
        field = "HighEQ";
    else if (!InRange(p.RoomFilterFreq, 0.0f, XAUDIO2FX_REVERB_MAX_ROOM_FILTER_FREQ))
        field = "RoomFilterFreq";
    else if (!InRange(p.RoomFilterMain, XAUDIO2FX_REVERB_MIN_ROOM_FILTER_MAIN, XAUDIO2FX_REVERB_MAX_ROOM_FILTER_MAIN))
        field = "RoomFilterMain";
    else if (!InRange(p.RoomFilterHF, XAUDIO2FX_REVERB_MIN_ROOM_FILTER_HF, XAUDIO2FX_REVERB_MAX_ROOM_FILTER_HF))
        field = "RoomFilterHF";
    else if (!InRange(p.ReflectionsGain, XAUDIO2FX_REVERB_MIN_REFLECTIONS_GAIN, XAUDIO2FX_REVERB_MAX_REFLECTIONS_GAIN))
        field = "ReflectionsGain";
    else if (!InRange(p.ReverbGain, XAUDIO2FX_REVERB_MIN_REVERB_GAIN, XAUDIO2FX_REVERB_MAX_REVERB_GAIN))
        field = "ReverbGain";
    else if (!InRange(p.DecayTime, 0.0f, 3.0e38f))
        field = "DecayTime";
    else if (!InRange(p.Density, XAUDIO2FX_REVERB_MIN_DENSITY, XAUDIO2FX_REVERB_MAX_DENSITY))
        field = "Density";
    else if (!InRange(p.RoomSize, 0.0f, XAUDIO2FX_REVERB_MAX_ROOM_SIZE))
        field = "RoomSize";
    if (field)
    {
        why = std::string("reverb parameter ") + field + " out of range";
        return false;
    }
    return true;
}

bool TReverbEffect::Attach(UINT32 sampleRate)
{
    if (attached_.exchange(true))
        return false;
    if (sampleRate != sampleRate_)
    {
        sampleRate_ = sampleRate;
        input_.Allocate(Samples(kLongestInputMs) + 2);
        for (TDelay& line : lines_)
            line.Allocate(Samples(kLongestLineMs) + 2);
        earlyLeft_.delay.Allocate(Samples(kEarlyAllPassMs[0]) + 2);
        earlyRight_.delay.Allocate(Samples(kEarlyAllPassMs[1]) + 2);
        for (int i = 0; i < 2; ++i)
            lateDiffusers_[i].delay.Allocate(Samples(kLateAllPassMs[i]) + 2);
        earlyLeft_.length = std::max<UINT32>(1, Samples(kEarlyAllPassMs[0]));
        earlyRight_.length = std::max<UINT32>(1, Samples(kEarlyAllPassMs[1]));
        for (int i = 0; i < 2; ++i)
            lateDiffusers_[i].length = std::max<UINT32>(1, Samples(kLateAllPassMs[i]));
    }
    SetParameters(parameters_);
    return true;
}

void TReverbEffect::Detach()
{
    attached_ = false;
}

UINT32 TReverbEffect::Samples(float milliseconds) const
{
    return static_cast<UINT32>(std::lround(milliseconds * static_cast<float>(sampleRate_) / 1000.0f));
}

void TReverbEffect::SetParameters(const XAUDIO2FX_REVERB_PARAMETERS& p)
{
    parameters_ = p;
    TShape& shape = shape_;
    shape.wet = p.WetDryMix / 100.0f;
    shape.dry = 1.0f - shape.wet;
    shape.roomGain = Decibels(p.RoomFilterMain);
    shape.roomHighGain = Decibels(p.RoomFilterHF);
    const float cutoff = std::max(p.RoomFilterFreq, XAUDIO2FX_REVERB_MIN_ROOM_FILTER_FREQ);
    shape.roomFilterCoefficient = 1.0f - std::exp(-2.0f * 3.14159265f * cutoff / static_cast<float>(sampleRate_));
    shape.reflectionsGain = Decibels(p.ReflectionsGain);
    shape.reverbGain = Decibels(p.ReverbGain);
    shape.damping = 0.2f + 0.8f * p.HighEQGain / XAUDIO2FX_REVERB_MAX_HIGH_EQ_GAIN;
    earlyLeft_.coefficient = earlyRight_.coefficient = 0.7f * p.EarlyDiffusion / XAUDIO2FX_REVERB_MAX_DIFFUSION;
    for (TAllPass& diffuser : lateDiffusers_)
        diffuser.coefficient = 0.7f * p.LateDiffusion / XAUDIO2FX_REVERB_MAX_DIFFUSION;

    const float size = 0.25f + 0.75f * std::max(p.RoomSize, XAUDIO2FX_REVERB_MIN_ROOM_SIZE) / 100.0f;
    const float sparseness = 2.0f - p.Density / 100.0f;
    for (UINT32 k = 0; k < kTaps; ++k)
    {
        shape.tapLeft[k] = Samples(static_cast<float>(p.ReflectionsDelay) + kTapLeftMs[k] * size);
        shape.tapRight[k] = Samples(static_cast<float>(p.ReflectionsDelay) + kTapRightMs[k] * size);
    }
    shape.lateDelay = Samples(static_cast<float>(p.ReflectionsDelay + p.ReverbDelay));
    const float decay = std::max(p.DecayTime, XAUDIO2FX_REVERB_MIN_DECAY_TIME);
    for (UINT32 i = 0; i < kLines; ++i)
    {
        shape.lineLength[i] = std::max<UINT32>(1, Samples(kLineMs[i] * size * sparseness));
        const float seconds = static_cast<float>(shape.lineLength[i]) / static_cast<float>(sampleRate_);
        shape.lineGain[i] = std::pow(10.0f, -3.0f * seconds / decay);
    }
}

void TReverbEffect::TDelay::Allocate(UINT32 length)
{
    const UINT32 size = PowerOfTwoAtLeast(length);
    samples.assign(size, 0.0f);
    mask = size - 1;
}

namespace
{
// What the frame loop needs of a delay, in locals: the compiler need not reload them after
// every store of a sample.
struct TTap
{
    float* samples;
    UINT32 mask;

    explicit TTap(std::vector<float>& values) : samples(values.data()), mask(static_cast<UINT32>(values.size() - 1)) {}
    float At(UINT32 time) const { return samples[time & mask]; }
    void Put(UINT32 time, float value) const { samples[time & mask] = value; }
};

struct TLocalAllPass
{
    TTap tap;
    UINT32 length;
    float coefficient;

    float Run(UINT32 time, float input) const
    {
        const float delayed = tap.At(time - length);
        const float stored = input + coefficient * delayed;
        tap.Put(time, stored);
        return delayed - coefficient * stored;
    }
};

// Adds `level` x the ring's values of times first + 1 .. first + count to `out`: one or two
// contiguous runs of the ring, four at a time.
void AddTap(float* out, const TTap& ring, UINT32 first, UINT32 count, float level)
{
    const __m128 gain = _mm_set1_ps(level);
    UINT32 f = 0;
    while (f < count)
    {
        const UINT32 start = (first + 1 + f) & ring.mask;
        const UINT32 run = std::min(count - f, ring.mask + 1 - start);
        const float* in = ring.samples + start;
        UINT32 i = 0;
        for (; i + 4 <= run; i += 4)
            _mm_storeu_ps(out + f + i, _mm_add_ps(_mm_loadu_ps(out + f + i), _mm_mul_ps(gain, _mm_loadu_ps(in + i))));
        for (; i < run; ++i)
            out[f + i] += level * in[i];
        f += run;
    }
}
} // namespace

void TReverbEffect::Process(float* frames, UINT32 count)
{
    const TShape shape = shape_;
    if (shape.wet == 0.0f)
        return;
    const TTap input(input_.samples);
    const auto local = [](TAllPass& pass) { return TLocalAllPass{TTap(pass.delay.samples), pass.length, pass.coefficient}; };
    const TLocalAllPass earlyLeft = local(earlyLeft_), earlyRight = local(earlyRight_);
    const TLocalAllPass late0 = local(lateDiffusers_[0]), late1 = local(lateDiffusers_[1]);
    const TTap lines[kLines] = {TTap(lines_[0].samples), TTap(lines_[1].samples), TTap(lines_[2].samples),
                                TTap(lines_[3].samples)};
    const UINT32 start = time_;

    // The quantum's input into its delay first, so that the reflections can be read as runs.
    float roomLowPass = roomLowPass_;
    for (UINT32 f = 0; f < count; ++f)
    {
        const float* frame = frames + f * kChannels;
        const float mono = 0.5f * (frame[0] + frame[1]) * shape.roomGain;
        roomLowPass += shape.roomFilterCoefficient * (mono - roomLowPass);
        input.Put(start + 1 + f, roomLowPass + shape.roomHighGain * (mono - roomLowPass));
    }
    roomLowPass_ = roomLowPass;
    if (reflected_.size() < 2 * count)
        reflected_.resize(2 * count);
    float* reflectedLeft = reflected_.data();
    float* reflectedRight = reflectedLeft + count;
    std::fill(reflectedLeft, reflectedLeft + 2 * count, 0.0f);
    for (UINT32 k = 0; k < kTaps; ++k)
    {
        AddTap(reflectedLeft, input, start - shape.tapLeft[k], count, kTapLevel[k]);
        AddTap(reflectedRight, input, start - shape.tapRight[k], count, kTapLevel[k]);
    }

    float lineLowPass[kLines];
    std::copy(lineLowPass_, lineLowPass_ + kLines, lineLowPass);
    for (UINT32 f = 0; f < count; ++f)
    {
        const UINT32 time = start + 1 + f;
        float* frame = frames + f * kChannels;
        const float earlyLeftOut = earlyLeft.Run(time, reflectedLeft[f] * shape.reflectionsGain);
        const float earlyRightOut = earlyRight.Run(time, reflectedRight[f] * shape.reflectionsGain);

        const float late = late1.Run(time, late0.Run(time, input.At(time - shape.lateDelay)));
        float y[kLines];
        for (UINT32 i = 0; i < kLines; ++i)
        {
            lineLowPass[i] += shape.damping * (lines[i].At(time - shape.lineLength[i]) - lineLowPass[i]);
            y[i] = shape.lineGain[i] * lineLowPass[i];
        }
        // An orthogonal (Hadamard) mix keeps the lines' energy, so the gains alone set the decay.
        lines[0].Put(time, late + 0.5f * (y[0] + y[1] + y[2] + y[3]));
        lines[1].Put(time, late + 0.5f * (y[0] - y[1] + y[2] - y[3]));
        lines[2].Put(time, late + 0.5f * (y[0] + y[1] - y[2] - y[3]));
        lines[3].Put(time, late + 0.5f * (y[0] - y[1] - y[2] + y[3]));

        const float lateLeft = 0.5f * (y[0] + y[2]) * shape.reverbGain;
        const float lateRight = 0.5f * (y[1] + y[3]) * shape.reverbGain;
        frame[0] = shape.dry * frame[0] + shape.wet * (earlyLeftOut + lateLeft);
        frame[1] = shape.dry * frame[1] + shape.wet * (earlyRightOut + lateRight);
    }
    time_ = start + count;
    std::copy(lineLowPass, lineLowPass + kLines, lineLowPass_);
}
