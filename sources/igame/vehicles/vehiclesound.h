#pragma once
// TVehicleSound: the engine-sound block of a vehicle: its eight game sounds (slots below), the
// switch that lets it sound, the tuning of the engine's pitch, load and blips, and their state.
// Only the vehicle the player drives sounds.
#include "core/system/templates/sarray.h"
#include "core/system/types.h"

#include <cstddef>

class TGameSound;
class TVehicle;

// Slots of aSound.
constexpr u32 VEHICLE_SOUND_REVERSE_WARNING = 0;
constexpr u32 VEHICLE_SOUND_BRAKE_RELEASE = 1;
constexpr u32 VEHICLE_SOUND_BRAKE_SQUEAL = 2;
constexpr u32 VEHICLE_SOUND_IDLE_LOOP = 3;
constexpr u32 VEHICLE_SOUND_ACCELERATION = 4;
constexpr u32 VEHICLE_SOUND_DRIVE_LOOP = 5;
constexpr u32 VEHICLE_SOUND_START = 6;
constexpr u32 VEHICLE_SOUND_STOP = 7;
constexpr u32 VEHICLE_SOUND_SLOTS = 8;

struct TVehicleSound
{
    TVehicleSound();

    // One frame of the engine sound at the time now (seconds since start-up).
    void Update(TVehicle& vehicle, f32 now, f32 frameTime);
    // The engine stops: the stop clip plays, the loops end.
    void Stop();

    // The sound of a slot; null when the slot is empty or beyond the stored count.
    TGameSound* Slot(u32 slot) const { return slot < aSound.GetCount() ? aSound[slot] : nullptr; }
    bool IsPlaying(u32 slot) const;
    void Play(u32 slot) const;
    void StopSlot(u32 slot) const;
    void SetParameter(u32 slot, i32 id, f32 value) const;

    SArray<TGameSound*, VEHICLE_SOUND_SLOTS, 0> aSound;
    u8 nEnabled;
    u8 aPad85[3];
    // Tuning.
    f32 fStartParam37;
    f32 fStartParam40;
    f32 fLoadScale;
    f32 fAccelPitchScale;
    f32 fBlipDecay;
    f32 fBlipDepth;
    f32 fAccelThreshold;
    f32 fPulseRate;
    f32 fPulseAmplitude;
    f32 fPitchRange;
    f32 fPitchBase;
    f32 fLoadRise;
    f32 fLoadMax;
    f32 fLoadFall;
    f32 fRevExponent;
    f32 fRevFall;
    // State.
    f32 fSpeedRatio;
    f32 fLoad;
    f32 fLoadRatio;
    f32 fPulse;
    f32 fSmoothedLoad;
    f32 fDriveStartTime;
    u32 nAcceleratingLastFrame;
    f32 fBrakeSquealStartTime;
    u32 nBrakeSquealActive;
    f32 fAccelPitchOffset;
    f32 fRev;
    f32 fBlip;
};

static_assert(sizeof(TVehicleSound) == 152);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TVehicleSound, nEnabled) == 36);
static_assert(offsetof(TVehicleSound, fStartParam37) == 40);
static_assert(offsetof(TVehicleSound, fSpeedRatio) == 104);
static_assert(offsetof(TVehicleSound, fBlip) == 148);
#pragma GCC diagnostic pop
