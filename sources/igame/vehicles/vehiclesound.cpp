#include "igame/vehicles/vehiclesound.h"

#include "core/math/random.h"
#include "igame/vehicles/vehicle.h"
#include "xaudio2/gamesound.h"
#include "engine/sound/sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr f32 PI = 3.14159265358979f;
// The drive loop's integer parameter 2 at the start.
constexpr i32 DRIVE_LOOP_PARAMETER = 2;
// The loops' volume and pitch fades: 1 / 1.01 and 1 / 5.01 per second.
constexpr f32 LOOP_VOLUME_FADE_TIME = 1.01f;
constexpr f32 LOOP_PITCH_FADE_TIME = 5.01f;
// The acceleration clip fades out over half a second.
constexpr f32 ACCELERATION_FADE_OUT = 0.5f;
// Its pitch offset: 0.8 and a draw below 0.1.
constexpr f32 ACCELERATION_PITCH_BASE = 0.8f;
constexpr f32 ACCELERATION_PITCH_SPREAD = 0.1f;
// The idle loop falls silent above this much of the load.
constexpr f32 IDLE_VOLUME_CUT = 0.8f;
constexpr f32 DRIVE_VOLUME_FLOOR = 0.2f;
constexpr f32 REV_STEP = 0.1f;
constexpr f32 REV_OFFSET = 0.01f;
constexpr f32 BLIP_FLOOR = 0.01f;
// The brakes squeal above this share of the top speed, at most every 2 seconds.
constexpr f32 SQUEAL_RATIO = 0.1f;
constexpr f32 SQUEAL_INTERVAL = 2.0f;
constexpr f32 SQUEAL_PITCH_SPREAD = 0.2f;
} // namespace

TVehicleSound::TVehicleSound()
{
    std::memset(static_cast<void*>(this), 0, sizeof(*this));
    fStartParam37 = 1.0f;
    fStartParam40 = 1.0f;
    fLoadScale = 4.0f;
    fAccelPitchScale = 0.3f;
    fBlipDecay = 1.3f;
    fBlipDepth = 0.3f;
    fAccelThreshold = 0.8f;
    fPulseRate = 0.75f;
    fPulseAmplitude = 2.0f;
    fPitchRange = 0.5f;
    fPitchBase = 0.75f;
    fLoadRise = 0.1f;
    fLoadMax = 1.0f;
    fLoadFall = 0.1f;
    fRevExponent = 0.1f;
    fRevFall = 0.02f;
}

bool TVehicleSound::IsPlaying(u32 slot) const
{
    const TGameSound* sound = Slot(slot);
    return sound && sound->IsPlaying();
}

void TVehicleSound::Play(u32 slot) const
{
    if (TGameSound* sound = Slot(slot))
        sound->Play(nullptr);
}

void TVehicleSound::StopSlot(u32 slot) const
{
    if (TGameSound* sound = Slot(slot))
        sound->Stop(0);
}

void TVehicleSound::SetParameter(u32 slot, i32 id, f32 value) const
{
    if (TGameSound* sound = Slot(slot))
        sound->SetParameter(id, value);
}

// A game sound hands parameters only to the instance it plays: a clip started in a step gets
// its parameters after its start.
void TVehicleSound::Update(TVehicle& vehicle, f32 now, f32 frameTime)
{
    if (!nEnabled)
        return;
    const TVehicleParameters& p = vehicle.Parameters;
    if (!IsPlaying(VEHICLE_SOUND_IDLE_LOOP))
    {
        fBlip = 0.0f;
        Play(VEHICLE_SOUND_START);
        Play(VEHICLE_SOUND_IDLE_LOOP);
        SetParameter(VEHICLE_SOUND_IDLE_LOOP, SOUND_PARAMETER_FADE_IN, fStartParam37);
        SetParameter(VEHICLE_SOUND_IDLE_LOOP, SOUND_PARAMETER_START_DELAY, fStartParam40);
        Play(VEHICLE_SOUND_DRIVE_LOOP);
        if (TGameSound* drive = Slot(VEHICLE_SOUND_DRIVE_LOOP))
            drive->SetParameterInt(DRIVE_LOOP_PARAMETER, 0);
        if (!IsPlaying(VEHICLE_SOUND_IDLE_LOOP))
            return;
    }

    const bool reverse = vehicle.IsFlag(VEHICLE_REVERSE) != 0;
    fSpeedRatio = p.fSpeed / (reverse ? p.fMaxReverseSpeed : p.fMaxSpeed);
    const f32 driveFactor = vehicle.wheelCount > 0 ? vehicle.aWheel[0].fDriveFactor : 0.0f;
    fLoad = std::fabs(p.fDriveTorque * driveFactor);
    fLoadRatio = std::clamp(fLoad / fLoadScale, 0.0f, 1.0f);
    fPulse = 1.0f;
    const bool accelerating = vehicle.IsFlag(VEHICLE_DRIVING | VEHICLE_REVERSE) != 0;
    if (accelerating)
    {
        fSmoothedLoad = std::min((1.0f - fLoadRise) * fSmoothedLoad + fLoadRise * fLoadRatio, fLoadMax);
        if (!nAcceleratingLastFrame)
            fDriveStartTime = now;
        const f32 x = (now - fDriveStartTime) * fPulseRate;
        const f32 w = std::max(1.0f - x, 0.0f);
        fPulse = std::sin(PI * x) * fPulseAmplitude * w + (1.0f - w);
    }
    else
        fSmoothedLoad *= 1.0f - fLoadFall;

    const f32 target =
        accelerating && fLoadRatio > fRev ? std::pow(fRev + REV_OFFSET, fRevExponent) : fRevFall * fRev;
    fRev = std::clamp(fRev + (target - fRev) * REV_STEP, 0.0f, 1.0f);

    if (!accelerating && IsPlaying(VEHICLE_SOUND_ACCELERATION))
    {
        SetParameter(VEHICLE_SOUND_ACCELERATION, SOUND_PARAMETER_FADE_OUT, ACCELERATION_FADE_OUT);
        StopSlot(VEHICLE_SOUND_ACCELERATION);
    }
    else if (accelerating && !nAcceleratingLastFrame && fSmoothedLoad < fAccelThreshold)
    {
        const f32 spread = ACCELERATION_PITCH_SPREAD;
        fAccelPitchOffset = TRandom::Shared().GetFloat(&spread) + ACCELERATION_PITCH_BASE;
        Play(VEHICLE_SOUND_ACCELERATION);
        SetParameter(VEHICLE_SOUND_ACCELERATION, SOUND_PARAMETER_PITCH_NOW, fAccelPitchOffset);
        SetParameter(VEHICLE_SOUND_ACCELERATION, SOUND_PARAMETER_VOLUME, 1.0f - fRev);
        fBlip = 1.0f;
    }

    const f32 pitch = std::clamp(fPulse - (fSpeedRatio - 1.0f) * fLoadRatio, 0.0f, 1.0f) *
                      (std::clamp(std::fabs(fRev), 0.0f, 1.0f) * fPitchRange + fPitchBase);
    const f32 e = 1.0f - fBlipDepth * fBlip;
    const f32 idleVolume = std::max((1.0f - fSmoothedLoad) * e - IDLE_VOLUME_CUT, 0.0f);
    const f32 driveVolume = std::min(e * fSmoothedLoad + DRIVE_VOLUME_FLOOR, 1.0f);
    SetParameter(VEHICLE_SOUND_DRIVE_LOOP, SOUND_PARAMETER_VOLUME_RATE, LOOP_VOLUME_FADE_TIME);
    SetParameter(VEHICLE_SOUND_IDLE_LOOP, SOUND_PARAMETER_VOLUME_RATE, LOOP_VOLUME_FADE_TIME);
    SetParameter(VEHICLE_SOUND_IDLE_LOOP, SOUND_PARAMETER_VOLUME, idleVolume);
    SetParameter(VEHICLE_SOUND_DRIVE_LOOP, SOUND_PARAMETER_VOLUME, driveVolume);
    for (u32 slot : {VEHICLE_SOUND_DRIVE_LOOP, VEHICLE_SOUND_IDLE_LOOP})
    {
        SetParameter(slot, SOUND_PARAMETER_PITCH_RATE, LOOP_PITCH_FADE_TIME);
        SetParameter(slot, SOUND_PARAMETER_PITCH, pitch);
    }
    if (IsPlaying(VEHICLE_SOUND_ACCELERATION))
        SetParameter(VEHICLE_SOUND_ACCELERATION, SOUND_PARAMETER_PITCH,
                     fAccelPitchScale * fLoadRatio + fAccelPitchOffset);

    fBlip -= fBlipDecay * fBlip * frameTime;
    if (fBlip < BLIP_FLOOR)
        fBlip = 0.0f;

    if (reverse)
    {
        if (!IsPlaying(VEHICLE_SOUND_REVERSE_WARNING))
            Play(VEHICLE_SOUND_REVERSE_WARNING);
    }
    else if (IsPlaying(VEHICLE_SOUND_REVERSE_WARNING))
        StopSlot(VEHICLE_SOUND_REVERSE_WARNING);

    const bool brakingFast = vehicle.IsFlag(VEHICLE_BRAKING) && fSpeedRatio > SQUEAL_RATIO;
    if (brakingFast && !nBrakeSquealActive && now > fBrakeSquealStartTime + SQUEAL_INTERVAL)
    {
        fBrakeSquealStartTime = now;
        nBrakeSquealActive = 1;
        Play(VEHICLE_SOUND_BRAKE_SQUEAL);
        SetParameter(VEHICLE_SOUND_BRAKE_SQUEAL, SOUND_PARAMETER_RANDOM_PITCH, SQUEAL_PITCH_SPREAD);
    }
    else if (!brakingFast && nBrakeSquealActive)
    {
        nBrakeSquealActive = 0;
        Play(VEHICLE_SOUND_BRAKE_RELEASE);
    }
    nAcceleratingLastFrame = accelerating ? 1 : 0;
}

void TVehicleSound::Stop()
{
    if (!nEnabled)
        return;
    fRev = 0.0f;
    if (IsPlaying(VEHICLE_SOUND_REVERSE_WARNING))
        StopSlot(VEHICLE_SOUND_REVERSE_WARNING);
    if (IsPlaying(VEHICLE_SOUND_IDLE_LOOP))
    {
        Play(VEHICLE_SOUND_STOP);
        StopSlot(VEHICLE_SOUND_IDLE_LOOP);
        StopSlot(VEHICLE_SOUND_DRIVE_LOOP);
    }
}
