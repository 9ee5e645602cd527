#pragma once
// TAtmosphere (stored type 97, 9148 bytes): one sky of the level, a node object: its mode, mesh,
// shaders and textures, the weight an atmosphere change sets, the light node that follows the
// sun, three tables of colour keys over the day, the sun, sky elements, clouds and stars (sky
// elements, type 126, referenced only), the sky's rotation and the rain and ambient domes.
// Each element array is its count followed by its references: a declared offset is the first
// reference's.
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
constexpr u32 ATMOSPHERE_STAR_CAPACITY = 128;

constexpr u32 ATMOSPHERE_DYNAMIC_SKY = 3;

class TAtmosphere : public TNodeObject
{
public:
    TAtmosphere();

    // The colours at a time of day, between the two keys about it: the light colour (table
    // 1, w 1), a and b (tables 2 and 3). 0, and nothing written, without a key; a count above
    // 48 reads 48 keys.
    u32 LookUpColors(f32 timeOfDay, TVector& light, TVector& a, TVector& b) const;
    // Element counts above their capacities (a damaged record) cut, one line each; 1 when cut.
    u32 CutCounts();

    // 1 at night, 0 by day (0.25-0.75), ramps at dawn (0.21-0.25) and dusk (0.75-0.81).
    static f32 NightFactor(f32 timeOfDay);
    // How much the clouds take over the sky's colour and cast shadow: 0 up to density 0.5,
    // 1 from 0.6.
    static f32 CloudInfluence(f32 density);
    // Whether rain cloud k shows after a wrap or a jump, with s = rain + density.
    static u32 RainCloudVisible(u32 index, f32 rain, f32 s);

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
// The counts; the references follow each, from 2376, 4428, 6480 and 8532.
static_assert(offsetof(TAtmosphere, aSkyElement) == 2372);
static_assert(offsetof(TAtmosphere, aAmbientCloud) == 4424);
static_assert(offsetof(TAtmosphere, aRainCloud) == 6476);
static_assert(offsetof(TAtmosphere, aStars) == 8528);
static_assert(offsetof(TAtmosphere, SkyRotation) == 9044);
static_assert(offsetof(TAtmosphere, m_fRainWrap) == 9108);
static_assert(offsetof(TAtmosphere, m_fAmbientSpeed) == 9144);
#pragma GCC diagnostic pop

const TClusterTypeDecl& AtmosphereDecl();
