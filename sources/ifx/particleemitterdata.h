#pragma once
// TParticleEmitterData (stored type 85, 788 bytes): one particle effect: where and how fast
// particles are born, how they move, how they look over their life, their textures and sound,
// and the effects that start with it (sub-emitters). Emitters read it while they emit and step
// particles, systems while they draw. The fields are the stored image; TIParticleEmitterData
// implements the operations.
#include "core/math/matrix.h"
#include "engine/system/resource.h"
#include "ifx/particlearea.h"
#include "ifx/particlerange.h"

class TSoundData;
class TTexture;

constexpr u32 PARTICLE_SUB_EMITTER_CAPACITY = 16;
constexpr u32 PARTICLE_AREA_CAPACITY = 4;
constexpr u32 PARTICLE_TEXTURE_COUNT = 3; // colour, normal, mask
// A larger maximum particle count is cut to it with a log line.
constexpr i32 PARTICLE_MAX_PARTICLES = 65536;

// Flags.
constexpr u32 PARTICLE_SHEET_ANIMATED = 0x1;     // a sheet frame rate is drawn
constexpr u32 PARTICLE_SHEET_RANDOM_START = 0x2; // a random start frame
constexpr u32 PARTICLE_SHEET_STOP = 0x4;         // the sheet stops on its last frame
constexpr u32 PARTICLE_DEPTH_SORT = 0x20;
constexpr u32 PARTICLE_NEVER_DRAWN = 0x400;
constexpr u32 PARTICLE_QUIET_START_OFF = 0x800; // not started while the manager's counter is 0
constexpr u32 PARTICLE_QUIET_PREWARM = 0x1000;  // pre-warmed when started while it is 0
constexpr u32 PARTICLE_LOCAL_SPACE = 0x8000;
constexpr u32 PARTICLE_PARAMETER_CHANGED = 0x200000;
constexpr u32 PARTICLE_RATE_CHANGED = 0x400000;

// Blend modes.
constexpr u32 PARTICLE_BLEND_ALPHA = 0;
constexpr u32 PARTICLE_BLEND_ADD = 1;
constexpr u32 PARTICLE_BLEND_SUBTRACT = 2;
constexpr u32 PARTICLE_BLEND_MULTIPLY = 3;

// Quad rotation modes: the first angle plus 45 degrees, or the angle alone; others draw nothing.
constexpr u32 PARTICLE_ROTATION_PLUS_45 = 0;
constexpr u32 PARTICLE_ROTATION_ANGLE = 1;

// Quad orientation modes (the frame the quad lies in).
constexpr u32 PARTICLE_FACE_CAMERA = 0;
constexpr u32 PARTICLE_ALONG_DIRECTION = 1;
constexpr u32 PARTICLE_ALONG_VIEW_RAY = 2;
constexpr u32 PARTICLE_NODE_FRAME = 3;
constexpr u32 PARTICLE_WORLD_FRAME = 4;
constexpr u32 PARTICLE_HORIZONTAL = 5;
constexpr u32 PARTICLE_VERTICAL = 6;
constexpr u32 PARTICLE_CAMERA_X_NODE_Y = 7;
constexpr u32 PARTICLE_NODE_Z_CAMERA_X = 8;
constexpr u32 PARTICLE_CAMERA_X_NODE_X = 9;

// Life modes.
constexpr u32 PARTICLE_LIFE_DIES = 0;
constexpr u32 PARTICLE_LIFE_WRAPS = 1;
constexpr u32 PARTICLE_LIFE_HOLDS = 2;
constexpr u32 PARTICLE_LIFE_AGELESS = 3;

// Emitter shapes.
constexpr u32 PARTICLE_SHAPE_POINT = 0;
constexpr u32 PARTICLE_SHAPE_RECTANGLE_CORNERS = 1;
constexpr u32 PARTICLE_SHAPE_BOX_CORNERS = 2;
constexpr u32 PARTICLE_SHAPE_ELLIPSOID_SURFACE = 3;
constexpr u32 PARTICLE_SHAPE_BOX_VOLUME = 6;
constexpr u32 PARTICLE_SHAPE_ELLIPSOID_VOLUME = 7;

// SetParameter ids and results.
constexpr i32 PARTICLE_PARAMETER_CONE = 1;
constexpr i32 PARTICLE_PARAMETER_RATE_SCALE = 2;
constexpr i32 PARTICLE_PARAMETER_RATE = 3;
constexpr i32 PARTICLE_PARAMETER_NONE = 4;
constexpr i32 PARTICLE_PARAMETER_START_DELAY = 6;
constexpr i32 PARTICLE_PARAMETER_PRE_ADVANCE = 7;
constexpr i32 PARTICLE_PARAMETER_START_BURST = 8;
constexpr i32 PARTICLE_PARAMETER_TIME_SCALE = 9;
constexpr i32 PARTICLE_PARAMETER_BASE_VELOCITY = 12;
constexpr i32 PARTICLE_PARAMETER_LIFETIME = 13;
constexpr i32 PARTICLE_PARAMETER_SPEED = 14;
constexpr i32 PARTICLE_PARAMETER_SPIN = 15;
constexpr i32 PARTICLE_PARAMETER_ACCELERATION = 17;
constexpr i32 PARTICLE_PARAMETER_LAST = 19;

class TParticleEmitterData : public TResource
{
public:
    // The flags word, where the parameter block starts.
    virtual u32* GetParameterBlock() = 0;
    virtual TParticleEmitterData* GetEmitEmitter() = 0;
    // Id 2: the emission rate scale; any other id ends the program ("unimplemented").
    virtual f32 GetParameter(i32 id) = 0;
    // a: a float, or for id 12 four floats; propagate: the same call (without propagation) on
    // every sub-emitter. 2, or 1 for id 4.
    virtual i32 SetParameter(i32 id, const void* a, f32 b, i32 propagate) = 0;
    // sub 0: this data; sub k: sub-emitter k - 1 (without propagation).
    virtual i32 SetSubParameter(i32 id, i32 sub, const void* a, f32 b) = 0;
    // Here and in every sub-emitter, recursively.
    virtual void SetTexture(TTexture* texture, u32 index) = 0;
    virtual TTexture* GetTexture(u32 index) = 0;
    virtual i32 GetAreaCount() = 0;
    virtual TParticleAreaRecord* GetArea(i32 index) = 0;
    // Appends a local force area (axis mask 0); null past the fourth.
    virtual TParticleAreaRecord* AddArea(const u32* id, u32 mode, const f32* offset, f32 radius,
                                         f32 strength) = 0;
    virtual i32 GetSubEmitterCount() = 0;
    virtual TParticleEmitterData* GetSubEmitter(i32 index) = 0;

    u32 m_nFlags;
    u32 m_nBlendMode;
    // 0 a random sign per axis, 1 positive, 2 negative.
    u32 m_nSpinSignMode;
    // 0 the angle plus 45 degrees, 1 the angle, other values: the particle is not drawn.
    u32 m_nQuadRotationMode;
    u32 m_nLifeMode;
    // Its translation row is the emitter's centre.
    TMatrix m_LocalMatrix;
    f32 m_fBaseVelocityScale;
    TVector m_BaseVelocity;
    TParticleRange Lifetime;
    TParticleRange Speed;
    TParticleRange Spin;
    // At age 0, at the middle key, at age 1.
    TParticleRange aSize[3];
    TParticleRange MiddleSizeAge;
    TParticleRange Acceleration;
    f32 m_fGravity;
    // The first scales the quad; the bases of the first two also stretch it.
    TParticleRange aScale[3];
    // Degrees; the first turns the quad.
    TParticleRange aAngle[3];
    f32 aColorKey[4][4];
    f32 aColorMultiplier[4];
    // Ages of the keys c1 and c2.
    f32 aColorKeyAge[2];
    TParticleRange FrameRate;
    // Left u, top v, right u, bottom v.
    f32 aTextureRect[4];
    u8 aReserved400[2];
    // The sheet's column count (0: one row) and frame count.
    u8 m_nSheetColumns;
    u8 m_nSheetFrames;
    u8 aReserved404[32];
    TTexture* aTexture[PARTICLE_TEXTURE_COUNT];
    // 0 or less: unlimited.
    f32 m_fDuration;
    TParticleRange ConeAngle;
    f32 m_fRateScale;
    TParticleRange Rate;
    // Its absolute value is used.
    i32 m_nMaxParticles;
    TParticleRange aExtent[3];
    TParticleRange StartDelay;
    TParticleRange PreAdvance;
    TParticleRange StartBurst;
    TParticleRange TimeScale;
    TParticleEmitterData* pEmitEmitter;
    u32 m_nShape;
    u32 m_nQuadOrientation;
    i32 m_nSubEmitterCount;
    TParticleEmitterData* aSubEmitter[PARTICLE_SUB_EMITTER_CAPACITY];
    i32 m_nAreaCount;
    TParticleAreaRecord aArea[PARTICLE_AREA_CAPACITY];
    TSoundData* pSoundData;
    f32 m_fLodStart;
    f32 m_fLodScale;

protected:
    TParticleEmitterData();
};

static_assert(sizeof(TParticleEmitterData) == 788);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TParticleEmitterData, m_nFlags) == 68);
static_assert(offsetof(TParticleEmitterData, m_LocalMatrix) == 88);
static_assert(offsetof(TParticleEmitterData, m_fBaseVelocityScale) == 152);
static_assert(offsetof(TParticleEmitterData, Lifetime) == 172);
static_assert(offsetof(TParticleEmitterData, aSize) == 196);
static_assert(offsetof(TParticleEmitterData, m_fGravity) == 236);
static_assert(offsetof(TParticleEmitterData, aScale) == 240);
static_assert(offsetof(TParticleEmitterData, aAngle) == 264);
static_assert(offsetof(TParticleEmitterData, aColorKey) == 288);
static_assert(offsetof(TParticleEmitterData, aColorMultiplier) == 352);
static_assert(offsetof(TParticleEmitterData, aColorKeyAge) == 368);
static_assert(offsetof(TParticleEmitterData, FrameRate) == 376);
static_assert(offsetof(TParticleEmitterData, aTextureRect) == 384);
static_assert(offsetof(TParticleEmitterData, m_nSheetColumns) == 402);
static_assert(offsetof(TParticleEmitterData, m_nSheetFrames) == 403);
static_assert(offsetof(TParticleEmitterData, aTexture) == 436);
static_assert(offsetof(TParticleEmitterData, m_fDuration) == 448);
static_assert(offsetof(TParticleEmitterData, ConeAngle) == 452);
static_assert(offsetof(TParticleEmitterData, m_fRateScale) == 460);
static_assert(offsetof(TParticleEmitterData, Rate) == 464);
static_assert(offsetof(TParticleEmitterData, m_nMaxParticles) == 472);
static_assert(offsetof(TParticleEmitterData, aExtent) == 476);
static_assert(offsetof(TParticleEmitterData, StartDelay) == 500);
static_assert(offsetof(TParticleEmitterData, PreAdvance) == 508);
static_assert(offsetof(TParticleEmitterData, StartBurst) == 516);
static_assert(offsetof(TParticleEmitterData, TimeScale) == 524);
static_assert(offsetof(TParticleEmitterData, pEmitEmitter) == 532);
static_assert(offsetof(TParticleEmitterData, m_nShape) == 536);
static_assert(offsetof(TParticleEmitterData, m_nQuadOrientation) == 540);
static_assert(offsetof(TParticleEmitterData, m_nSubEmitterCount) == 544);
static_assert(offsetof(TParticleEmitterData, aSubEmitter) == 548);
static_assert(offsetof(TParticleEmitterData, m_nAreaCount) == 612);
static_assert(offsetof(TParticleEmitterData, aArea) == 616);
static_assert(offsetof(TParticleEmitterData, pSoundData) == 776);
static_assert(offsetof(TParticleEmitterData, m_fLodStart) == 780);
static_assert(offsetof(TParticleEmitterData, m_fLodScale) == 784);
#pragma GCC diagnostic pop
