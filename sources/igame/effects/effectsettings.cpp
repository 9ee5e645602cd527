#include "igame/effects/effectsettings.h"

#include "core/cluster/cluster.h"
#include "core/cluster/clustertypedecl.h"
#include "engine/render/texturemanager.h"
#include "engine/system/scenetypes.h"

namespace
{
template <class T> const T* Prototype()
{
    static const T s_Prototype;
    return &s_Prototype;
}

// Declared with the program's statics.
const TClusterTypeDecl* const s_apDecl[] = {&EffectSettingsDecl(), &EffectAreaDecl(), &WeatherOcclusionBoxDecl()};
} // namespace

TEffectSettings::TEffectSettings()
    : nName(0), nFlags(0), fTransitionTime(0.0f), aReserved12{}, Overlay(0), DepthOfField(0), aHaze{}, Haze(0),
      aAmbientOcclusion{}, aWeather{8.0f, 0.0f, 0.05f, 0.5f, 0.0f, 0.0f, 30.0f, 80.0f}, aWeatherWord{},
      aAtmosphere{}, CrossFade(0)
{
}

TTexture* TEffectSettings::ResolveTexture(TUserIdLink& link)
{
    if (link.pObject || link.nUserId == 0 || !g_pTextureManager)
        return static_cast<TTexture*>(link.pObject);
    TName name;
    name.SetId(link.nUserId);
    link.SetObject(g_pTextureManager->FindTexture(name));
    return static_cast<TTexture*>(link.pObject);
}

void TEffectSettings::ForgetLinks()
{
    for (TUserIdLink* link : {&Overlay, &DepthOfField, &Haze, &CrossFade})
    {
        if (link->pObject && g_pCluster)
            g_pCluster->RemoveResetPointer(&link->pObject);
        link->pObject = nullptr;
    }
}

const TClusterTypeDecl& EffectSettingsDecl()
{
    static TClusterTypeDecl s_Decl("TEffectSettings", EFFECT_SETTINGS_TYPE_ID, sizeof(TEffectSettings),
                                   Prototype<TEffectSettings>(), 0);
    return s_Decl;
}

const TClusterTypeDecl& EffectAreaDecl()
{
    static TClusterTypeDecl s_Decl("TEffectArea", EFFECT_AREA_TYPE_ID, sizeof(TEffectArea), Prototype<TEffectArea>(),
                                   1, {TClusterField(CLUSTER_MEMBER_REFERENCE, 4, NODE_TYPE_ID, 1, "TNodeObject::pNode")});
    return s_Decl;
}

const TClusterTypeDecl& WeatherOcclusionBoxDecl()
{
    static TClusterTypeDecl s_Decl("TWeatherOcclusionBox", WEATHER_OCCLUSION_BOX_TYPE_ID,
                                   sizeof(TWeatherOcclusionBox), Prototype<TWeatherOcclusionBox>(), 1,
                                   {TClusterField(CLUSTER_MEMBER_REFERENCE, 4, NODE_TYPE_ID, 1, "TNodeObject::pNode")});
    return s_Decl;
}
