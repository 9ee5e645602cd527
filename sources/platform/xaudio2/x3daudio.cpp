// X3DAudioInitialize and X3DAudioCalculate: pairwise constant-power panning between the two
// speakers around the direction of each emitter channel, distance curves evaluated at the
// distance over the curve scaler, and Doppler from the velocities along the line between
// emitter and listener.
#include "platform/xaudio2/x3daudio.h"

#include "platform/xaudio2/audiodefs.h"
#include "platform/xaudio2/refusal.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>

namespace
{
constexpr UINT32 kHandleMark = 0x58334441; // "X3DA"
constexpr UINT32 kMaxChannels = 64;

// What a handle holds (it is the caller's 20 bytes).
struct TInstance
{
    UINT32 mark;
    DWORD speakerMask;
    float speedOfSound;
    UINT32 speakerCount;
    UINT32 reserved;
};
static_assert(sizeof(TInstance) == X3DAUDIO_HANDLE_BYTESIZE);

// Where each speaker of a mask stands, clockwise from the front; negative for the
// low-frequency speaker and the top speakers, which are never panned to.
constexpr float kDegrees = X3DAUDIO_PI / 180.0f;
constexpr float kSpeakerAzimuth[] = {330 * kDegrees, 30 * kDegrees, 0, -1, 250 * kDegrees, 110 * kDegrees,
                                     345 * kDegrees, 15 * kDegrees, 180 * kDegrees, 270 * kDegrees, 90 * kDegrees};
constexpr UINT32 kPlacedSpeakers = sizeof(kSpeakerAzimuth) / sizeof(kSpeakerAzimuth[0]);

constexpr UINT32 kSupportedFlags = X3DAUDIO_CALCULATE_MATRIX | X3DAUDIO_CALCULATE_LPF_DIRECT |
                                   X3DAUDIO_CALCULATE_LPF_REVERB | X3DAUDIO_CALCULATE_REVERB |
                                   X3DAUDIO_CALCULATE_DOPPLER | X3DAUDIO_CALCULATE_EMITTER_ANGLE;

X3DAUDIO_DISTANCE_CURVE_POINT kLPFDirectPoints[] = {{0.0f, 1.0f}, {1.0f, 0.75f}};
X3DAUDIO_DISTANCE_CURVE_POINT kLPFReverbPoints[] = {{0.0f, 0.75f}, {1.0f, 0.75f}};
X3DAUDIO_DISTANCE_CURVE_POINT kReverbPoints[] = {{0.0f, 1.0f}, {1.0f, 0.0f}};
const X3DAUDIO_DISTANCE_CURVE kLPFDirectCurve = {kLPFDirectPoints, 2};
const X3DAUDIO_DISTANCE_CURVE kLPFReverbCurve = {kLPFReverbPoints, 2};
const X3DAUDIO_DISTANCE_CURVE kReverbCurve = {kReverbPoints, 2};

struct TVector
{
    float x, y, z;
};

TVector Of(const X3DAUDIO_VECTOR& v)
{
    return {v.x, v.y, v.z};
}
TVector operator-(TVector a, TVector b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
TVector operator+(TVector a, TVector b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
TVector operator*(TVector a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
float Dot(TVector a, TVector b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
TVector Cross(TVector a, TVector b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(TVector a)
{
    return std::sqrt(Dot(a, a));
}
TVector Normalized(TVector a)
{
    const float length = Length(a);
    return length > 0.0f ? a * (1.0f / length) : a;
}

bool Finite(float value)
{
    return std::isfinite(value);
}

// One line per kind of fault for the whole run: a game calculates every frame.
void ReportOnce(std::atomic<bool>& reported, const std::string& why)
{
    if (!reported.exchange(true))
        PrintAudioError("X3DAudioCalculate", why + " (reported once)");
}

bool ValidCurve(const X3DAUDIO_DISTANCE_CURVE* curve)
{
    if (!curve)
        return true;
    if (!curve->pPoints || curve->PointCount < 2)
        return false;
    const X3DAUDIO_DISTANCE_CURVE_POINT* points = curve->pPoints;
    if (points[0].Distance != 0.0f || points[curve->PointCount - 1].Distance != 1.0f)
        return false;
    for (UINT32 i = 0; i < curve->PointCount; ++i)
        if (!Finite(points[i].DSPSetting) || (i && !(points[i].Distance >= points[i - 1].Distance)))
            return false;
    return true;
}

float Evaluate(const X3DAUDIO_DISTANCE_CURVE& curve, float distance)
{
    const X3DAUDIO_DISTANCE_CURVE_POINT* points = curve.pPoints;
    for (UINT32 i = 1; i < curve.PointCount; ++i)
    {
        if (distance > points[i].Distance)
            continue;
        const float span = points[i].Distance - points[i - 1].Distance;
        if (span <= 0.0f)
            return points[i].DSPSetting;
        const float t = (distance - points[i - 1].Distance) / span;
        return points[i - 1].DSPSetting + (points[i].DSPSetting - points[i - 1].DSPSetting) * t;
    }
    return points[curve.PointCount - 1].DSPSetting;
}

// The default volume and LFE curve: full up to the scaler, then falling as 1 / distance.
float InverseDistance(const X3DAUDIO_DISTANCE_CURVE* curve, float distance)
{
    if (curve)
        return Evaluate(*curve, distance);
    return distance <= 1.0f ? 1.0f : 1.0f / distance;
}

float Curve(const X3DAUDIO_DISTANCE_CURVE* curve, const X3DAUDIO_DISTANCE_CURVE& fallback, float distance)
{
    return Evaluate(curve ? *curve : fallback, distance);
}

float WrapAngle(float angle)
{
    angle = std::fmod(angle, X3DAUDIO_2PI);
    return angle < 0.0f ? angle + X3DAUDIO_2PI : angle;
}

struct TSpeaker
{
    float azimuth;
    UINT32 channel;
};

// The speakers sound is panned between, by azimuth; the low-frequency speaker's channel or
// ~0u when there is none.
UINT32 PlacedSpeakers(DWORD mask, TSpeaker* speakers, UINT32& lowFrequency)
{
    UINT32 count = 0;
    UINT32 channel = 0;
    lowFrequency = ~0u;
    for (UINT32 bit = 0; bit < 32; ++bit)
    {
        if (!(mask & (1u << bit)))
            continue;
        if ((1u << bit) == SPEAKER_LOW_FREQUENCY)
            lowFrequency = channel;
        else if (bit < kPlacedSpeakers)
            speakers[count++] = {kSpeakerAzimuth[bit], channel};
        ++channel;
    }
    std::sort(speakers, speakers + count, [](const TSpeaker& a, const TSpeaker& b) { return a.azimuth < b.azimuth; });
    return count;
}

// The two speakers around a direction (the one before it, clockwise, and the one after) and
// the angle between them.
struct TPair
{
    const TSpeaker* before;
    const TSpeaker* after;
    float span;
};

TPair Around(const TSpeaker* speakers, UINT32 count, float azimuth)
{
    UINT32 next = 0;
    while (next < count && speakers[next].azimuth <= azimuth)
        ++next;
    const TSpeaker* before = &speakers[(next + count - 1) % count];
    const TSpeaker* after = &speakers[next % count];
    return {before, after, WrapAngle(after->azimuth - before->azimuth)};
}

// Constant-power gains of a direction between its two neighbouring speakers. A layout with a
// gap of more than half a turn (stereo: nothing behind) hears a direction in the gap mirrored
// to the front, and one beyond the outermost speaker on that speaker alone.
void Pan(const TSpeaker* speakers, UINT32 count, float azimuth, float* gains)
{
    if (count == 1)
    {
        gains[speakers[0].channel] = 1.0f;
        return;
    }
    TPair pair = Around(speakers, count, azimuth);
    if (pair.span > X3DAUDIO_PI)
    {
        azimuth = WrapAngle(X3DAUDIO_PI - azimuth);
        const TPair mirrored = Around(speakers, count, azimuth);
        if (mirrored.span > X3DAUDIO_PI)
        {
            // Still outside: the speaker at the nearer end of the gap.
            const float toBefore = WrapAngle(azimuth - mirrored.before->azimuth);
            const float toAfter = WrapAngle(mirrored.after->azimuth - azimuth);
            gains[(toBefore <= toAfter ? mirrored.before : mirrored.after)->channel] = 1.0f;
            return;
        }
        pair = mirrored;
    }
    const float t = pair.span > 0.0f ? WrapAngle(azimuth - pair.before->azimuth) / pair.span : 0.0f;
    gains[pair.before->channel] += std::cos(t * X3DAUDIO_PI / 2.0f);
    gains[pair.after->channel] += std::sin(t * X3DAUDIO_PI / 2.0f);
}
} // namespace

void X3DAudioInitialize(UINT32 speakerChannelMask, float speedOfSound, X3DAUDIO_HANDLE instance)
{
    TInstance state = {};
    const bool placed = (speakerChannelMask & ~SPEAKER_LOW_FREQUENCY & ((1u << kPlacedSpeakers) - 1)) != 0;
    if (!placed || !(speedOfSound > 0.0f) || !Finite(speedOfSound))
        PrintAudioError("X3DAudioInitialize", "a speaker mask without placed speakers or a speed of sound that is "
                                              "not positive; nothing will be calculated");
    else
    {
        state.mark = kHandleMark;
        state.speakerMask = speakerChannelMask;
        state.speedOfSound = speedOfSound;
        for (UINT32 bit = 0; bit < 32; ++bit)
            state.speakerCount += (speakerChannelMask >> bit) & 1;
    }
    std::memcpy(instance, &state, sizeof(state));
}

void X3DAudioCalculate(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener,
                       const X3DAUDIO_EMITTER* emitter, UINT32 flags, X3DAUDIO_DSP_SETTINGS* dsp)
{
    static std::atomic<bool> badHandle{false}, badArguments{false}, badCurve{false}, badFlags{false},
        badMatrix{false};
    TInstance state;
    std::memcpy(&state, instance, sizeof(state));
    if (state.mark != kHandleMark)
        return ReportOnce(badHandle, "the handle was not made by X3DAudioInitialize");
    if (!listener || !emitter || !dsp || emitter->ChannelCount == 0 || emitter->ChannelCount > kMaxChannels ||
        (emitter->ChannelCount > 1 && !emitter->pChannelAzimuths) || !(emitter->CurveDistanceScaler > 0.0f) ||
        !Finite(emitter->CurveDistanceScaler) || !(emitter->DopplerScaler >= 0.0f))
        return ReportOnce(badArguments, "no listener, emitter or settings, or an emitter out of range");
    if (!ValidCurve(emitter->pVolumeCurve) || !ValidCurve(emitter->pLFECurve) ||
        !ValidCurve(emitter->pLPFDirectCurve) || !ValidCurve(emitter->pLPFReverbCurve) ||
        !ValidCurve(emitter->pReverbCurve))
        return ReportOnce(badCurve, "a distance curve that does not run from 0 to 1 in order");
    if (flags & ~kSupportedFlags)
        ReportOnce(badFlags, "delays, zero-centre and LFE redirection are not calculated");

    const TVector toListener = Of(listener->Position) - Of(emitter->Position);
    const float distance = Length(toListener);
    const float scaled = distance / emitter->CurveDistanceScaler;
    dsp->EmitterToListenerDistance = distance;

    if (flags & X3DAUDIO_CALCULATE_MATRIX)
    {
        if (!dsp->pMatrixCoefficients || dsp->SrcChannelCount != emitter->ChannelCount ||
            dsp->DstChannelCount != state.speakerCount)
            return ReportOnce(badMatrix, "the settings' channel counts differ from the emitter's and the speakers'");
        const UINT32 sources = dsp->SrcChannelCount;
        std::fill(dsp->pMatrixCoefficients, dsp->pMatrixCoefficients + sources * state.speakerCount, 0.0f);
        TSpeaker speakers[32];
        UINT32 lowFrequency;
        const UINT32 placed = PlacedSpeakers(state.speakerMask, speakers, lowFrequency);
        const float volume = InverseDistance(emitter->pVolumeCurve, scaled);
        const TVector front = Normalized(Of(listener->OrientFront));
        const TVector right = Normalized(Cross(Of(listener->OrientTop), front));
        const TVector emitterFront = Normalized(Of(emitter->OrientFront));
        const TVector emitterRight = Normalized(Cross(Of(emitter->OrientTop), emitterFront));
        for (UINT32 c = 0; c < sources; ++c)
        {
            const float azimuth = sources > 1 ? emitter->pChannelAzimuths[c] : 0.0f;
            if (sources > 1 && azimuth == X3DAUDIO_2PI)
            {
                if (lowFrequency != ~0u)
                    dsp->pMatrixCoefficients[lowFrequency * sources + c] =
                        InverseDistance(emitter->pLFECurve, scaled);
                continue;
            }
            TVector position = Of(emitter->Position);
            if (sources > 1)
                position = position + (emitterRight * std::sin(azimuth) + emitterFront * std::cos(azimuth)) *
                                          emitter->ChannelRadius;
            const TVector offset = position - Of(listener->Position);
            const float x = Dot(offset, right);
            const float z = Dot(offset, front);
            float gains[32] = {};
            if (x == 0.0f && z == 0.0f)
            {
                // On the listener (or straight above): everywhere at once.
                for (UINT32 s = 0; s < placed; ++s)
                    gains[speakers[s].channel] = 1.0f / std::sqrt(static_cast<float>(placed));
            }
            else
                Pan(speakers, placed, WrapAngle(std::atan2(x, z)), gains);
            for (UINT32 d = 0; d < state.speakerCount; ++d)
                dsp->pMatrixCoefficients[d * sources + c] = gains[d] * volume;
        }
    }
    if (flags & X3DAUDIO_CALCULATE_LPF_DIRECT)
        dsp->LPFDirectCoefficient = Curve(emitter->pLPFDirectCurve, kLPFDirectCurve, scaled);
    if (flags & X3DAUDIO_CALCULATE_LPF_REVERB)
        dsp->LPFReverbCoefficient = Curve(emitter->pLPFReverbCurve, kLPFReverbCurve, scaled);
    if (flags & X3DAUDIO_CALCULATE_REVERB)
        dsp->ReverbLevel = Curve(emitter->pReverbCurve, kReverbCurve, scaled);
    if (flags & X3DAUDIO_CALCULATE_EMITTER_ANGLE)
        dsp->EmitterToListenerAngle =
            distance > 0.0f
                ? std::acos(std::clamp(Dot(Normalized(Of(emitter->OrientFront)), toListener * (1.0f / distance)),
                                       -1.0f, 1.0f))
                : 0.0f;
    if (flags & X3DAUDIO_CALCULATE_DOPPLER)
    {
        // Velocities along the line from emitter to listener; scaled, each is held within half
        // the speed of sound, so the factor stays between 1/3 and 3.
        const TVector direction = distance > 0.0f ? toListener * (1.0f / distance) : TVector{0.0f, 0.0f, 0.0f};
        dsp->EmitterVelocityComponent = Dot(Of(emitter->Velocity), direction);
        dsp->ListenerVelocityComponent = Dot(Of(listener->Velocity), direction);
        const float limit = 0.5f * state.speedOfSound;
        const float emitterSpeed = std::clamp(dsp->EmitterVelocityComponent * emitter->DopplerScaler, -limit, limit);
        const float listenerSpeed =
            std::clamp(dsp->ListenerVelocityComponent * emitter->DopplerScaler, -limit, limit);
        dsp->DopplerFactor = (state.speedOfSound - listenerSpeed) / (state.speedOfSound - emitterSpeed);
    }
}
