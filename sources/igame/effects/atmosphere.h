#pragma once
// TAtmosphere (stored type 97, 9148 bytes): one sky of the level, a node object. Laid out at its
// least: the records load with their references and the blend of an atmosphere change weights
// them; the sky's update and drawing come with the atmosphere and sky.
#include "core/math/matrix.h"
#include "core/system/templates/sarray.h"
#include "engine/system/nodeobject.h"

#include <cstddef>

class TClusterTypeDecl;
class TMeshData;
class TShader;
class TTexture;
struct TSkyElement;

constexpr u16 ATMOSPHERE_TYPE_ID = 97;
constexpr u16 SKY_ELEMENT_TYPE_ID = 126;
constexpr u32 ATMOSPHERE_COLOR_KEYS = 48;
constexpr u32 ATMOSPHERE_ELEMENT_CAPACITY = 512;
constexpr u32 ATMOSPHERE_STAR_CAPACITY = 127;

class TAtmosphere : public TNodeObject
{
public:
    TAtmosphere();

    // 3: the dynamic sky; other non-zero values a plain textured mesh; 0 nothing drawn.
    u32 m_nSkyMode;
    TMeshData* pMeshData;
    TShader* pShader;
    TTexture* pTexture;
    // Set by the atmosphere change that blends this sky in.
    f32 m_fWeight;
    TTexture* pMainBackgroundTexture;
    TTexture* pSunGlowTexture;
    TTexture* pLightColorTexture;
    TTexture* pSkyElementsTexture;
    TShader* pSkyElementsShader;
    TShader* pSkySunShader;
    TNode* pLight;
    TVector aLightColorKey[ATMOSPHERE_COLOR_KEYS];
    TVector aColorKeyA[ATMOSPHERE_COLOR_KEYS];
    TVector aColorKeyB[ATMOSPHERE_COLOR_KEYS];
    u8 m_nColorKeyCount;
    u8 m_aReserved2365[3];
    TSkyElement* pSun;
    u32 m_nReserved2372;
    SArray<TSkyElement*, ATMOSPHERE_ELEMENT_CAPACITY, 0> aSkyElement;
    SArray<TSkyElement*, ATMOSPHERE_ELEMENT_CAPACITY, 0> aAmbientCloud;
    SArray<TSkyElement*, ATMOSPHERE_ELEMENT_CAPACITY, 0> aRainCloud;
    SArray<TSkyElement*, ATMOSPHERE_STAR_CAPACITY, 0> aStars;
    TMatrix SkyRotation;
    f32 m_fRainWrap;
    f32 m_fReserved9112;
    f32 m_fRainDomeHeight;
    f32 m_fRainDomeRadius;
    f32 m_fRainSpeed;
    f32 m_fAmbientWrap;
    f32 m_fReserved9132;
    f32 m_fAmbientDomeHeight;
    f32 m_fAmbientDomeRadius;
    f32 m_fAmbientSpeed;
};

static_assert(sizeof(TAtmosphere) == 9148);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TAtmosphere, m_nSkyMode) == 12);
static_assert(offsetof(TAtmosphere, pMeshData) == 16);
static_assert(offsetof(TAtmosphere, m_fWeight) == 28);
static_assert(offsetof(TAtmosphere, pLight) == 56);
static_assert(offsetof(TAtmosphere, aLightColorKey) == 60);
static_assert(offsetof(TAtmosphere, aColorKeyA) == 828);
static_assert(offsetof(TAtmosphere, aColorKeyB) == 1596);
static_assert(offsetof(TAtmosphere, m_nColorKeyCount) == 2364);
static_assert(offsetof(TAtmosphere, pSun) == 2368);
static_assert(offsetof(TAtmosphere, aSkyElement) == 2376);
static_assert(offsetof(TAtmosphere, aAmbientCloud) == 4428);
static_assert(offsetof(TAtmosphere, aRainCloud) == 6480);
static_assert(offsetof(TAtmosphere, aStars) == 8532);
static_assert(offsetof(TAtmosphere, SkyRotation) == 9044);
static_assert(offsetof(TAtmosphere, m_fRainWrap) == 9108);
static_assert(offsetof(TAtmosphere, m_fAmbientSpeed) == 9144);
#pragma GCC diagnostic pop

const TClusterTypeDecl& AtmosphereDecl();
