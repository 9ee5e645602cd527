#include "engine/render/light.h"

#include "engine/render/lightmanager.h"
#include "engine/render/lightset.h"
#include "engine/system/node.h"

#include <cmath>

TLight::TLight()
    : m_nType(LIGHT_UNCOUNTED), m_nWord16(0), m_nLevel(0), m_nSubtract(0), m_fRange(1.0f), m_fIntensity(1.0f),
      m_fPower(1.0f), m_nCastsShadows(0), m_fDepthBias(0.1f), m_fSoftness(0.3f), m_fShadowDistance(300.0f),
      m_fLocalBias(0.0f), m_fFadeFraction(0.6f), m_nSplitCount(4), m_aColor{}, m_aSecondColor{}, m_aVector100{},
      m_aVector116{}, pLightSet(nullptr), pProjection(nullptr), m_aValue140{1.0f, 0, 0, 0, 1.0f, 0, 1.0f, 0},
      m_aValue172{}, m_aConeAngle{}, m_aAttenuation{}, m_aShadow{}, m_aChannel{}
{
    m_nClassName = g_NameTLight.GetId();
}

u32 TLight::IsValid() const
{
    return m_nType >= LIGHT_AMBIENT && m_nType <= LIGHT_UNCOUNTED && m_fRange >= 0.0f ? 1 : 0;
}

u32 TLight::IsOn() const
{
    if (!pNode || !pNode->IsEnabled())
        return 0;
    return !pLightSet || (pLightSet->m_nFlags & LIGHT_SET_ON) ? 1 : 0;
}

void TLight::OnEnable(u32 enabled)
{
    if (m_nType == LIGHT_UNCOUNTED || !IsValid() || !pLightSet || !g_pLightManager)
        return;
    g_pLightManager->CountLight(*pLightSet, static_cast<u32>(m_nType), enabled ? 1 : -1);
}

void TLight::SetCone(f32 inner, f32 outer)
{
    m_aConeAngle[0] = inner;
    m_aConeAngle[1] = outer;
    m_aAttenuation[LIGHT_SPOT_COS_OUTER] = std::cos(outer);
    m_aAttenuation[LIGHT_SPOT_COS_INNER] = std::cos(inner);
}
