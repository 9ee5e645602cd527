// The per-frame update of one dynamic sky: the sun and the light following it, the colour keys,
// the night factor and the cloud shadow, then the clouds, free elements and stars. Elements live
// in the dome's frame, centred on the eye (the dome follows the camera).
#include "core/math/random.h"
#include "engine/render/light.h"
#include "engine/system/node.h"
#include "engine/system/nodekindnames.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/skyelement.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr f32 SUN_DISTANCE = -200.0f;
constexpr f32 DEGREES_TO_RADIANS = 0.0174533f;
constexpr f32 QUARTER_TURN = 1.5708f;
constexpr f32 SUN_HEIGHT_DEGREES = 45.0f;
// A frame longer than this is a jump in time: the rain clouds scatter instead of moving.
constexpr f32 SKY_JUMP_SECONDS = 100.0f;
constexpr f32 RAIN_SCATTER = 1000.0f;
constexpr f32 ELEMENT_SPEED = 60.0f;
constexpr f32 ELEMENT_WRAP = 20000.0f;
constexpr f32 ELEMENT_DOME_RADIUS = 30000.0f;
constexpr f32 ELEMENT_DOME_HEIGHT = 2000.0f;
constexpr f32 CLOUD_SHADOW_SHARE = 0.6f;
const TVector UP(0.0f, 1.0f, 0.0f, 0.0f);

// The element turned to look at the eye from where it stands, keeping the scale and turn of its
// local matrix.
void FaceEye(TSkyElement& element, const TVector& up)
{
    const TVector place = element.World.aRow[3];
    const TVector toEye = TVector(-place.x, -place.y, -place.z, 0.0f).Normalized();
    TMatrix facing;
    facing.SetOrientation(toEye, up);
    TMatrix local = element.Local;
    local.aRow[3] = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    element.World = TMatrix::Multiply(local, facing);
    element.World.aRow[3] = place;
}

f32 Horizontal(const TVector& p)
{
    return std::sqrt(p.x * p.x + p.z * p.z);
}

TVector Mix(const TVector& a, const TVector& b, f32 g)
{
    return TVector(a.x * (1.0f - g) + b.x * g, a.y * (1.0f - g) + b.y * g, a.z * (1.0f - g) + b.z * g,
                   a.w * (1.0f - g) + b.w * g);
}

// A light colour: w 1, or 0 when the colour is black.
void SetLightColor(f32* target, const TVector& colour)
{
    const f32 w = colour.x == 0.0f && colour.y == 0.0f && colour.z == 0.0f ? 0.0f : 1.0f;
    const f32 value[4] = {colour.x, colour.y, colour.z, w};
    std::memcpy(target, value, sizeof value);
}
} // namespace

void TAtmosphereManager::UpdateSky(TAtmosphere& sky, f32 dt, const TMatrix& eye)
{
    TSkyParameters& out = g_SkyParameters;
    if (m_fCloudOverride != ATMOSPHERE_NO_OVERRIDE)
        m_fCloudDensity = m_fCloudOverride;
    const f32 t = m_fTimeOfDay;
    const f32 density = m_fCloudDensity;

    if (sky.pSun)
    {
        const f32 azimuth = t * 360.0f;
        const TMatrix turn = TMatrix::RotationY(azimuth);
        const f32 elevation = SUN_HEIGHT_DEGREES * std::sin(azimuth * DEGREES_TO_RADIANS - QUARTER_TURN);
        const TMatrix rise = TMatrix::RotationX(elevation);
        out.SunOffset = TVector(turn.aRow[2].x * SUN_DISTANCE, rise.aRow[2].y * SUN_DISTANCE,
                                turn.aRow[2].z * SUN_DISTANCE, 0.0f);
        m_StarRotation = TMatrix::Multiply(turn, sky.SkyRotation);
        TSkyElement& sun = *sky.pSun;
        sun.World.aRow[3] = TVector(out.SunOffset.x, out.SunOffset.y, out.SunOffset.z, 1.0f);
        FaceEye(sun, eye.aRow[1]);
        const TVector direction = sun.World.aRow[2].Normalized();
        out.SunDirection = TVector(direction.x, direction.y, direction.z, out.SunDirection.w);
    }
    else
        m_StarRotation = sky.SkyRotation;

    TVector light, a, b;
    if (sky.LookUpColors(t, light, a, b))
    {
        const TVector skyColour = Mix(a, light, TAtmosphere::CloudInfluence(density));
        out.LightColor = light;
        out.aSkyColor[0] = light;
        out.aSkyColor[1] = TVector(out.SunDirection.x, out.SunDirection.y, out.SunDirection.z, 0.0f);
        out.aSkyColor[2] = skyColour;
        out.aSkyColor[3] = b;
        out.aSkyColor[4] = a;
        if (sky.pLight)
        {
            TNode* node = sky.pLight;
            TMatrix follow = TMatrix::BuildFromDirection(out.SunDirection);
            follow.aRow[3] = node->GetWorldMatrix()->aRow[3];
            node->SetWorldMatrix(follow, TNode::OrdinaryCause());
            if (auto* lamp = static_cast<TLight*>(node->FindObject(g_NameTLight.GetId())))
            {
                SetLightColor(lamp->m_aColor, skyColour);
                SetLightColor(lamp->m_aSecondColor, b);
            }
        }
    }

    out.SunDirection.w = TAtmosphere::NightFactor(t);
    const f32 shadow = TAtmosphere::CloudInfluence(density);
    out.CloudShadow = density > 0.5f ? TVector(out.LightColor.x * CLOUD_SHADOW_SHARE, out.LightColor.y * CLOUD_SHADOW_SHARE,
                                               out.LightColor.z * CLOUD_SHADOW_SHARE, shadow)
                                     : TVector(out.CloudShadow.x, out.CloudShadow.y, out.CloudShadow.z, 0.0f);

    for (u32 i = 0; i < sky.aAmbientCloud.GetCount(); ++i)
    {
        TSkyElement* cloud = sky.aAmbientCloud[i];
        if (!cloud)
            continue;
        TVector& p = cloud->World.aRow[3];
        p.x += sky.m_fAmbientSpeed * dt;
        if (p.x > sky.m_fAmbientWrap)
            p.x = -sky.m_fAmbientWrap;
        p.y = (1.0f - Horizontal(p) / sky.m_fAmbientDomeRadius) * sky.m_fAmbientDomeHeight;
    }

    const f32 s = m_fRain + density;
    for (u32 i = 0; i < sky.aRainCloud.GetCount(); ++i)
    {
        TSkyElement* cloud = sky.aRainCloud[i];
        if (!cloud)
            continue;
        TVector& p = cloud->World.aRow[3];
        u32 moved = 0;
        if (dt <= SKY_JUMP_SECONDS)
            p.x += sky.m_fRainSpeed * dt;
        else
        {
            p.x = static_cast<f32>(TRandom::Shared().NextUnit()) * 2.0f * RAIN_SCATTER - RAIN_SCATTER;
            moved = 1;
        }
        if (p.x > sky.m_fRainWrap)
        {
            p.x = -sky.m_fRainWrap;
            moved = 1;
        }
        if (moved)
            cloud->m_nVisible = static_cast<u8>(TAtmosphere::RainCloudVisible(i, m_fRain, s));
        p.y = (1.0f - Horizontal(p) / sky.m_fRainDomeRadius) * sky.m_fRainDomeHeight;
        FaceEye(*cloud, UP);
    }

    for (u32 i = 0; i < sky.aSkyElement.GetCount(); ++i)
    {
        TSkyElement* element = sky.aSkyElement[i];
        if (!element)
            continue;
        TVector& p = element->World.aRow[3];
        p.x += dt * ELEMENT_SPEED;
        if (p.x > ELEMENT_WRAP)
            p.x = -ELEMENT_WRAP;
        p.y = (1.0f - Horizontal(p) / ELEMENT_DOME_RADIUS) * ELEMENT_DOME_HEIGHT;
        FaceEye(*element, UP);
    }

    for (u32 i = 0; i < sky.aStars.GetCount(); ++i)
        if (TSkyElement* star = sky.aStars[i])
            star->World = TMatrix::Multiply(star->Local, m_StarRotation);
}
