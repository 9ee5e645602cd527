#pragma once
// X3DAudio 1.7 as the sound code calls it: a handle made for a speaker layout and the speed of
// sound, and one calculation per emitter that gives the output matrix, the low-pass and reverb
// levels and the Doppler factor. Left-handed frame: with front +z and top +y, +x is right.
// Azimuths are radians clockwise from the front. Cones, inner radii and per-channel delays are
// not modelled; a calculation asking for something else prints one line and leaves it out.
#include "platform/windef/windef.h"

#include <cstddef>

constexpr float X3DAUDIO_PI = 3.141592654f;
constexpr float X3DAUDIO_2PI = 6.283185307f;
constexpr UINT32 X3DAUDIO_HANDLE_BYTESIZE = 20;

constexpr UINT32 X3DAUDIO_CALCULATE_MATRIX = 0x00000001;
constexpr UINT32 X3DAUDIO_CALCULATE_DELAY = 0x00000002;
constexpr UINT32 X3DAUDIO_CALCULATE_LPF_DIRECT = 0x00000004;
constexpr UINT32 X3DAUDIO_CALCULATE_LPF_REVERB = 0x00000008;
constexpr UINT32 X3DAUDIO_CALCULATE_REVERB = 0x00000010;
constexpr UINT32 X3DAUDIO_CALCULATE_DOPPLER = 0x00000020;
constexpr UINT32 X3DAUDIO_CALCULATE_EMITTER_ANGLE = 0x00000040;
constexpr UINT32 X3DAUDIO_CALCULATE_ZEROCENTER = 0x00010000;
constexpr UINT32 X3DAUDIO_CALCULATE_REDIRECT_TO_LFE = 0x00020000;

typedef BYTE X3DAUDIO_HANDLE[X3DAUDIO_HANDLE_BYTESIZE];

#pragma pack(push, 1)
struct X3DAUDIO_VECTOR
{
    float x;
    float y;
    float z;
};

// Distances are in units of the emitter's CurveDistanceScaler, from 0.0 (first point) to 1.0
// (last point); the last value holds beyond it.
struct X3DAUDIO_DISTANCE_CURVE_POINT
{
    float Distance;
    float DSPSetting;
};

struct X3DAUDIO_DISTANCE_CURVE
{
    X3DAUDIO_DISTANCE_CURVE_POINT* pPoints;
    UINT32 PointCount;
};

struct X3DAUDIO_CONE
{
    float InnerAngle;
    float OuterAngle;
    float InnerVolume;
    float OuterVolume;
    float InnerLPF;
    float OuterLPF;
    float InnerReverb;
    float OuterReverb;
};

struct X3DAUDIO_LISTENER
{
    X3DAUDIO_VECTOR OrientFront;
    X3DAUDIO_VECTOR OrientTop;
    X3DAUDIO_VECTOR Position;
    X3DAUDIO_VECTOR Velocity;
    X3DAUDIO_CONE* pCone;
};

// A null curve is the default one: volume and LFE 1 up to the scaler, then scaler / distance;
// direct low-pass 1 to 0.75, reverb low-pass 0.75, reverb level 1 to 0 over the scaler.
struct X3DAUDIO_EMITTER
{
    X3DAUDIO_CONE* pCone;
    X3DAUDIO_VECTOR OrientFront;
    X3DAUDIO_VECTOR OrientTop;
    X3DAUDIO_VECTOR Position;
    X3DAUDIO_VECTOR Velocity;
    float InnerRadius;
    float InnerRadiusAngle;
    UINT32 ChannelCount;
    float ChannelRadius;     // channels stand this far from the position, at their azimuths
    float* pChannelAzimuths; // one per channel; X3DAUDIO_2PI marks a low-frequency channel
    X3DAUDIO_DISTANCE_CURVE* pVolumeCurve;
    X3DAUDIO_DISTANCE_CURVE* pLFECurve;
    X3DAUDIO_DISTANCE_CURVE* pLPFDirectCurve;
    X3DAUDIO_DISTANCE_CURVE* pLPFReverbCurve;
    X3DAUDIO_DISTANCE_CURVE* pReverbCurve;
    float CurveDistanceScaler;
    float DopplerScaler;
};

struct X3DAUDIO_DSP_SETTINGS
{
    float* pMatrixCoefficients; // [destination * SrcChannelCount + source], as SetOutputMatrix takes it
    float* pDelayTimes;
    UINT32 SrcChannelCount;
    UINT32 DstChannelCount;
    float LPFDirectCoefficient;
    float LPFReverbCoefficient;
    float ReverbLevel;
    float DopplerFactor; // the frequency ratio the motion gives
    float EmitterToListenerAngle;
    float EmitterToListenerDistance;
    float EmitterVelocityComponent;
    float ListenerVelocityComponent;
};
#pragma pack(pop)

static_assert(sizeof(X3DAUDIO_VECTOR) == 12 && sizeof(X3DAUDIO_DISTANCE_CURVE_POINT) == 8 &&
              sizeof(X3DAUDIO_DISTANCE_CURVE) == 8 && sizeof(X3DAUDIO_CONE) == 32);
static_assert(sizeof(X3DAUDIO_LISTENER) == 52 && offsetof(X3DAUDIO_LISTENER, pCone) == 48);
static_assert(sizeof(X3DAUDIO_EMITTER) == 100 && offsetof(X3DAUDIO_EMITTER, InnerRadius) == 52 &&
              offsetof(X3DAUDIO_EMITTER, pVolumeCurve) == 72 && offsetof(X3DAUDIO_EMITTER, CurveDistanceScaler) == 92);
static_assert(sizeof(X3DAUDIO_DSP_SETTINGS) == 48 && offsetof(X3DAUDIO_DSP_SETTINGS, DopplerFactor) == 28);

// The speakers of the mask (SPEAKER_*) and the speed of sound in world units per second. A mask
// without a front speaker or a speed that is not positive prints one line and leaves a handle
// that calculates nothing.
void X3DAudioInitialize(UINT32 speakerChannelMask, float speedOfSound, X3DAUDIO_HANDLE instance);
// flags: X3DAUDIO_CALCULATE_MATRIX, _LPF_DIRECT, _LPF_REVERB, _REVERB, _DOPPLER, _EMITTER_ANGLE.
void X3DAudioCalculate(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener,
                       const X3DAUDIO_EMITTER* emitter, UINT32 flags, X3DAUDIO_DSP_SETTINGS* dspSettings);
