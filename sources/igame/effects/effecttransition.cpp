#include "igame/effects/effecttransition.h"

#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospheremanager.h"

#include <cmath>
#include <cstring>

namespace
{
// The fields a transition blends, as float runs of the record: start offset and count.
struct TBlendedRun
{
    u32 nOffset;
    u32 nCount;
};
constexpr TBlendedRun kBlended[] = {
    {offsetof(TEffectSettings, aHaze), EFFECT_HAZE_VECTORS * 4},
    {offsetof(TEffectSettings, aAmbientOcclusion), EFFECT_AO_VECTORS * 4},
    {offsetof(TEffectSettings, aAtmosphere), 4},
};

f32* Floats(TEffectSettings& s, u32 offset)
{
    return reinterpret_cast<f32*>(reinterpret_cast<u8*>(&s) + offset);
}
} // namespace

void TEffectTransition::Assign(TEffectSettings& to, const TEffectSettings& from)
{
    if (&to == &from)
        return;
    to.ForgetLinks();
    std::memcpy(static_cast<void*>(&to), &from, sizeof(TEffectSettings));
    // The copied cache words are registered for the record they came from, not for this one.
    for (TUserIdLink* link : {&to.Overlay, &to.DepthOfField, &to.Haze, &to.CrossFade})
        link->pObject = nullptr;
}

TAtmosphere* TEffectTransition::CrossFaded(TEffectSettings& settings)
{
    TUserIdLink& link = settings.CrossFade;
    if (link.pObject || link.nUserId == 0 || !g_pAtmosphereManager)
        return static_cast<TAtmosphere*>(link.pObject);
    DArray<TAtmosphere*>& atmospheres = g_pAtmosphereManager->Atmospheres();
    for (i32 i = 0; i < atmospheres.GetCount(); ++i)
        if (atmospheres[i]->pNode && atmospheres[i]->pNode->m_Name.GetId() == link.nUserId)
        {
            link.SetObject(atmospheres[i]);
            break;
        }
    return static_cast<TAtmosphere*>(link.pObject);
}

void TEffectTransition::SetCrossFade(f32 start, f32 target)
{
    if (m_Start.CrossFade.nUserId == 0 || m_Target.CrossFade.nUserId == 0)
        return;
    if (TAtmosphere* a = CrossFaded(m_Start))
        a->m_fWeight = start;
    if (TAtmosphere* b = CrossFaded(m_Target))
        b->m_fWeight = target;
}

void TEffectTransition::Start(const TEffectSettings& target, f32 seconds)
{
    // A transition under way lets go of its atmospheres; the current one is whole again.
    if (m_Start.CrossFade.nUserId != 0 && m_Target.CrossFade.nUserId != 0)
    {
        SetCrossFade(0.0f, 0.0f);
        if (TAtmosphere* current = CrossFaded(m_Current))
            current->m_fWeight = 1.0f;
    }
    if (seconds < 0.0f)
        seconds = target.fTransitionTime;
    m_fClock = 0.0f;
    if (seconds > 0.0f)
    {
        m_nRunning = 1;
        m_fDuration = seconds;
        Assign(m_Start, m_Current);
        Assign(m_Target, target);
    }
    else
    {
        m_nRunning = 0;
        m_fDuration = 0.0f;
        Assign(m_Current, target);
    }
}

void TEffectTransition::Advance(f32 dt)
{
    if (!m_nRunning)
        return;
    m_fClock += dt;
    if (m_fClock >= m_fDuration)
    {
        m_fClock = 0.0f;
        m_nRunning = 0;
        m_fDuration = 0.0f;
        SetCrossFade(0.0f, 1.0f);
        Assign(m_Current, m_Target);
        return;
    }
    const f32 f = m_fClock / m_fDuration;
    for (const TBlendedRun& run : kBlended)
    {
        const f32* a = Floats(m_Start, run.nOffset);
        const f32* b = Floats(m_Target, run.nOffset);
        f32* c = Floats(m_Current, run.nOffset);
        for (u32 i = 0; i < run.nCount; ++i)
            c[i] = a[i] + (b[i] - a[i]) * f;
    }
    for (u32 i = 0; i < EFFECT_WEATHER_FLOATS; ++i)
        m_Current.aWeather[i] = m_Target.aWeather[i] * f + m_Start.aWeather[i] * (1.0f - f);
    // The haze's light colours: w stays one.
    m_Current.aHaze[1][3] = 1.0f;
    m_Current.aHaze[2][3] = 1.0f;
    SetCrossFade(1.0f - f, f);
}

void TEffectTransition::Reset()
{
    m_fClock = 0.0f;
    m_nRunning = 0;
    m_fDuration = 0.0f;
    m_Start.ForgetLinks();
    m_Target.ForgetLinks();
    m_Current.ForgetLinks();
}

bool TEffectTransition::LoadBlock(const void* block, u32 size)
{
    if (size != SIZE)
        return false;
    f32 clock, duration;
    u32 running;
    std::memcpy(&clock, block, 4);
    std::memcpy(&running, static_cast<const u8*>(block) + 4, 4);
    std::memcpy(&duration, static_cast<const u8*>(block) + 8, 4);
    if (!std::isfinite(clock) || !std::isfinite(duration) || clock < 0.0f || duration < 0.0f || running > 1)
        return false;
    m_Start.ForgetLinks();
    m_Target.ForgetLinks();
    m_Current.ForgetLinks();
    std::memcpy(static_cast<void*>(this), block, SIZE);
    for (TEffectSettings* s : {&m_Start, &m_Target, &m_Current})
        for (TUserIdLink* link : {&s->Overlay, &s->DepthOfField, &s->Haze, &s->CrossFade})
            link->pObject = nullptr;
    return true;
}
