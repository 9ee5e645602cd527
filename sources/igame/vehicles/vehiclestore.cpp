// The stored side of vehicles: the type's descriptor and the check of loaded records.
#include "ageia/physicstypes.h"
#include "core/cluster/clustertypedecl.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/lensflare.h"
#include "igame/vehicles/vehicle.h"
#include "xaudio2/gamesound.h"
#include "xaudio2/soundtypes.h"

namespace
{
constexpr u16 LIGHT_TYPE_ID = 50;
const char* const kCheckError = "TVehicle::CheckStoredData(): error: ";

const TVehicle* Prototype()
{
    static const TVehicle s_Prototype;
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

// The elements of an array field follow its count.
#define ARRAY_FIELD(member, typeId, name)                                                                    \
    Link(offsetof(TVehicle, member) + 4, typeId, name, decltype(TVehicle::member)::GetCapacity())

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &VehicleDecl();

template <class TArray> void CutCount(TArray& array, const char* vehicle, const char* what)
{
    if (array.GetCount() <= TArray::GetCapacity())
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "vehicle '%s': %u %s cut to %u", vehicle,
                array.GetCount(), what, TArray::GetCapacity());
    array.SetCount(TArray::GetCapacity());
}

// A value that must be above 0 takes the default when it is not.
void CheckPositive(f32& value, f32 fallback, const char* vehicle, const char* what)
{
    if (value > 0.0f)
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "vehicle '%s': %s %g is not above 0: %g taken", vehicle,
                what, static_cast<double>(value), static_cast<double>(fallback));
    value = fallback;
}
} // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const TClusterTypeDecl& VehicleDecl()
{
    static TClusterTypeDecl s_Decl(
        "TVehicle", VEHICLE_TYPE_ID, sizeof(TVehicle), Prototype(), 1,
        {Link(4, NODE_TYPE_ID, "TNodeObject::pNode"),
         Link(offsetof(TVehicle, pBody), DYNAMICS_BODY_TYPE_ID, "pBody"),
         Link(offsetof(TVehicle, pSecondaryBody), DYNAMICS_BODY_TYPE_ID, "pSecondaryBody"),
         Link(offsetof(TVehicle, pDriveJoint), DYNAMICS_JOINT_TYPE_ID, "pDriveJoint"),
         Link(offsetof(TVehicle, Sound) + 4, GAME_SOUND_TYPE_ID, "Sound.aSound", VEHICLE_SOUND_SLOTS),
         ARRAY_FIELD(aAuxBody, DYNAMICS_BODY_TYPE_ID, "aAuxBody"),
         Link(offsetof(TVehicle, pAuxBody1), DYNAMICS_BODY_TYPE_ID, "pAuxBody1"),
         Link(offsetof(TVehicle, pAuxBody2), DYNAMICS_BODY_TYPE_ID, "pAuxBody2"),
         Link(offsetof(TVehicle, pAuxBody3), DYNAMICS_BODY_TYPE_ID, "pAuxBody3"),
         Link(offsetof(TVehicle, pAuxBody4), DYNAMICS_BODY_TYPE_ID, "pAuxBody4"),
         Link(offsetof(TVehicle, pAuxBody5), DYNAMICS_BODY_TYPE_ID, "pAuxBody5"),
         Link(offsetof(TVehicle, pAuxBody6), DYNAMICS_BODY_TYPE_ID, "pAuxBody6"),
         ARRAY_FIELD(aWheelGeometry, DYNAMICS_GEOMETRY_TYPE_ID, "aWheelGeometry"),
         ARRAY_FIELD(aFrontLightNode, LIGHT_TYPE_ID, "aFrontLightNode"),
         ARRAY_FIELD(aFrontLightLensFlare, LENS_FLARE_TYPE_ID, "aFrontLightLensFlare"),
         ARRAY_FIELD(aStopLightNode, LIGHT_TYPE_ID, "aStopLightNode"),
         ARRAY_FIELD(aStopLightLensFlare, LENS_FLARE_TYPE_ID, "aStopLightLensFlare"),
         ARRAY_FIELD(aReverseLightNode, LIGHT_TYPE_ID, "aReverseLightNode"),
         ARRAY_FIELD(aReverseLightLensFlare, LENS_FLARE_TYPE_ID, "aReverseLightLensFlare")});
    return s_Decl;
}
#pragma GCC diagnostic pop

void TVehicle::CheckStoredData()
{
    const char* name = GetNode()->m_Name.GetText();
    CutCount(Sound.aSound, name, "sounds");
    CutCount(aAuxBody, name, "auxiliary bodies");
    CutCount(aWheelGeometry, name, "wheel shapes");
    CutCount(aFrontLightNode, name, "front lights");
    CutCount(aFrontLightLensFlare, name, "front light flares");
    CutCount(aStopLightNode, name, "stop lights");
    CutCount(aStopLightLensFlare, name, "stop light flares");
    CutCount(aReverseLightNode, name, "reverse lights");
    CutCount(aReverseLightLensFlare, name, "reverse light flares");
    if (wheelCount < 0 || wheelCount > static_cast<i32>(VEHICLE_WHEEL_CAPACITY))
    {
        const i32 cut = wheelCount < 0 ? 0 : static_cast<i32>(VEHICLE_WHEEL_CAPACITY);
        TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "vehicle '%s': %d wheels cut to %d", name,
                    wheelCount, cut);
        wheelCount = cut;
    }
    TVehicleParameters& p = Parameters;
    if (p.nGearCount < 1 || p.nGearCount > VEHICLE_GEAR_CAPACITY)
    {
        const i32 cut = p.nGearCount < 1 ? 1 : VEHICLE_GEAR_CAPACITY;
        TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "vehicle '%s': %d gears cut to %d", name,
                    p.nGearCount, cut);
        p.nGearCount = cut;
    }
    for (u32 slot = 0; slot < Sound.aSound.GetCount(); ++slot)
    {
        TGameSound* sound = Sound.aSound[slot];
        if (!sound || sound->m_nClipCount <= GAME_SOUND_CLIP_CAPACITY)
            continue;
        TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "vehicle '%s': sound %u: %u clips cut to %u", name,
                    slot, sound->m_nClipCount, GAME_SOUND_CLIP_CAPACITY);
        sound->m_nClipCount = GAME_SOUND_CLIP_CAPACITY;
    }
    const TVehicleParameters defaults;
    CheckPositive(p.fMaxSpeed, defaults.fMaxSpeed, name, "top speed");
    CheckPositive(p.fMaxReverseSpeed, defaults.fMaxReverseSpeed, name, "reverse speed");
    CheckPositive(p.fMaxSteerAngle, defaults.fMaxSteerAngle, name, "steer angle");
    CheckPositive(p.fMaxIncline, defaults.fMaxIncline, name, "incline limit");
    if (p.nInclineMode != VEHICLE_INCLINE_RULE && p.nInclineMode != VEHICLE_INCLINE_CURVE)
        TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError,
                    "vehicle '%s': incline mode %d is unknown: factor 1.0 taken", name, p.nInclineMode);
}
