#include "xaudio2/xaudio2sound.h"

#include "core/math/random.h"
#include "engine/system/node.h"
#include "xaudio2/sounddata.h"
#include "xaudio2/xaudio2soundmanager.h"

TSoundCallListener* TXAudio2Sound::s_pCallListener = nullptr;

TSound::TSound()
    : pSoundData(nullptr), pScriptStart(nullptr), pScriptEnd(nullptr), pScriptSyncPoint(nullptr),
      pOwner(nullptr), m_fCurveDistanceScaler(0.0f), pCurve(nullptr)
{
    m_nClassName = g_NameTSound.GetId();
}

TXAudio2Sound::TXAudio2Sound()
{
    _Reset();
}

void TXAudio2Sound::_Reset()
{
    m_nState = SOUND_STOPPED;
    m_nFlags = SOUND_RELEASE_WHEN_FADED;
    pVoice = nullptr;
    m_PreviousPosition = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    m_Reserved68 = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    m_fVelocityTimer = 0.0f;
    m_fStartDelay = 0.0f;
    m_fFadeInTime = 0.0f;
    m_fFadeOutTime = 0.0f;
    m_fFadeLevel = 1.0f;
    m_fReverbSend = 0.5f;
    m_fDirectLevel = 1.0f;
    m_fEffectiveVolume = 1.0f;
    m_fEffectivePitch = 1.0f;
    Volume = {1.0f, 1.0f, 1.0f, 0};
    Pitch = {1.0f, 1.0f, 1.0f, 0};
    m_nSerial = 0;
    pOwner = nullptr;
    pCurve = nullptr;
}

void TXAudio2Sound::Tell(ESoundCall call, i32 id, f32 value)
{
    if (s_pCallListener)
        s_pCallListener->OnSoundCall(this, call, id, value);
}

void TXAudio2Sound::SetParameter(i32 id, f32 value)
{
    Tell(SOUND_CALL_PARAMETER, id, value);
    switch (id)
    {
    case SOUND_PARAMETER_VOLUME:
        Volume.fTarget = value;
        break;
    case SOUND_PARAMETER_VOLUME_NOW:
        Volume.fCurrent = Volume.fTarget = value;
        break;
    case SOUND_PARAMETER_PITCH:
        Pitch.fTarget = value;
        break;
    case SOUND_PARAMETER_PITCH_NOW:
        Pitch.fCurrent = Pitch.fTarget = value;
        break;
    case SOUND_PARAMETER_RANDOM_PITCH:
        if (value != 0.0f)
        {
            const f32 up = TRandom::Shared().GetFloat(&value);
            const f32 down = TRandom::Shared().GetFloat(&value);
            Pitch.fCurrent = Pitch.fTarget = (1.0f + up) - down;
        }
        else
            Pitch.fCurrent = Pitch.fTarget = 1.0f;
        break;
    case SOUND_PARAMETER_REVERB_SEND:
        m_fReverbSend = value;
        break;
    case SOUND_PARAMETER_FADE_IN:
        m_fFadeInTime = value;
        if (m_nState != SOUND_PLAYING)
            m_fFadeLevel = 0.0f;
        break;
    case SOUND_PARAMETER_FADE_OUT:
        m_fFadeOutTime = value;
        if (m_nState != SOUND_PLAYING)
            m_fFadeLevel = 1.0f;
        break;
    case SOUND_PARAMETER_DIRECT_LEVEL:
        m_fDirectLevel = value;
        break;
    case SOUND_PARAMETER_START_DELAY:
        m_fStartDelay = value;
        break;
    case SOUND_PARAMETER_FADE_LEVEL:
        m_fFadeLevel = value;
        break;
    case SOUND_PARAMETER_PITCH_RATE:
        Pitch.fRate = 1.0f / value;
        break;
    case SOUND_PARAMETER_VOLUME_RATE:
        Volume.fRate = 1.0f / value;
        break;
    default:
        break;
    }
}

void TXAudio2Sound::SetParameterInt(i32 id, i32 value)
{
    if (id != SOUND_PARAMETER_RELEASE_FADED)
    {
        SetParameter(id, static_cast<f32>(value));
        return;
    }
    Tell(SOUND_CALL_PARAMETER, id, static_cast<f32>(value));
    if (value)
        m_nFlags |= SOUND_RELEASE_WHEN_FADED;
    else
        m_nFlags &= ~SOUND_RELEASE_WHEN_FADED;
}

void TXAudio2Sound::Play(i32, const TSoundCurvePoint* curve)
{
    Tell(SOUND_CALL_PLAY, 0, 0.0f);
    TXAudio2SoundManager& manager = *g_pXAudio2SoundManager;
    if (!manager.IsAudioEnabled() || !pSoundData || pSoundData->Require())
        return;
    if (m_fFadeInTime > 0.0f)
        m_nFlags = (m_nFlags & ~SOUND_FADE_BITS) | SOUND_FADING_IN;
    if (m_nState != SOUND_STOPPED || !manager._CanSoundPlay(this))
        return;
    pCurve = curve;
    const TVector& at = GetMatrix()->aRow[3];
    m_PreviousPosition = TVector(at.x, at.y, at.z, 1.0f);
    m_fVelocityTimer = 0.0f;
    _Update(0.0f);
    m_nState = SOUND_PLAYING;
    manager._OnSoundPlayed(this);
}

void TXAudio2Sound::Stop(u32 immediate)
{
    Tell(SOUND_CALL_STOP, 0, static_cast<f32>(immediate));
    if (m_nState == SOUND_STOPPED)
        return;
    if (!immediate && m_fFadeOutTime > 0.0f && !(m_fStartDelay > 0.0f))
    {
        m_nFlags = (m_nFlags & ~SOUND_FADE_BITS) | SOUND_FADING_OUT;
        return;
    }
    m_nFlags |= SOUND_FINISHED;
    m_nState = SOUND_STOPPING;
}

void TXAudio2Sound::_Bind(TSoundData* data, TNode* node)
{
    pSoundData = data;
    Volume.fCurrent = Volume.fTarget = data->m_fDefaultVolume;
    if (node)
    {
        pNode = node;
        const TVector& at = node->GetWorldMatrix()->aRow[3];
        m_PreviousPosition = TVector(at.x, at.y, at.z, 1.0f);
    }
}

void TXAudio2Sound::_Update(f32 t)
{
    if (!(m_nFlags & SOUND_VOICE_STARTED) && m_fStartDelay > 0.0f)
    {
        m_fStartDelay -= t;
        if (m_fStartDelay > 0.0f)
            return;
        m_fStartDelay = 0.0f;
    }
    Pitch.Step(t);
    m_fEffectivePitch = Pitch.fCurrent;
    Volume.Step(t);
    m_fEffectiveVolume = Volume.fCurrent;
    if (!_UpdateFade(t))
    {
        m_nFlags |= SOUND_VOICE_STARTED;
        return;
    }
    m_nFlags |= SOUND_FINISHED;
    m_nState = SOUND_STOPPING;
}

u32 TXAudio2Sound::_UpdateFade(f32 t)
{
    const u32 fade = m_nFlags & SOUND_FADE_BITS;
    if (fade == SOUND_FADING_OUT)
    {
        if (!(m_fFadeOutTime > 0.0f))
        {
            m_nFlags &= ~SOUND_FADE_BITS;
            return 0;
        }
        m_fFadeLevel -= t / m_fFadeOutTime;
        if (m_fFadeLevel < 0.0f)
        {
            // The fade bits stay: a sound not released stays silent and playing.
            m_fFadeLevel = 0.0f;
            return m_nFlags & SOUND_RELEASE_WHEN_FADED;
        }
        return 0;
    }
    if (fade == SOUND_FADING_IN)
    {
        if (!(m_fFadeInTime > 0.0f))
            m_nFlags &= ~SOUND_FADE_BITS;
        else
        {
            m_fFadeLevel += t / m_fFadeInTime;
            if (m_fFadeLevel > 1.0f)
            {
                m_fFadeLevel = 1.0f;
                m_nFlags &= ~SOUND_FADE_BITS;
            }
        }
    }
    return 0;
}

void TXAudio2Sound::_Release()
{
    m_nFlags &= ~SOUND_VOICE_STARTED;
    g_pXAudio2SoundManager->_OnSoundStopped(this);
    pSoundData = nullptr;
    _Reset();
}
