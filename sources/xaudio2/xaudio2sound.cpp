#include "xaudio2/xaudio2sound.h"

#include "core/math/random.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "engine/sound/sounddata.h"
#include "engine/system/node.h"
#include "engine/system/repository.h"
#include "engine/system/script.h"
#include "engine/system/scriptargument.h"
#include "xaudio2/outputmatrix.h"
#include "xaudio2/sounddatablock.h"
#include "xaudio2/soundvariables.h"
#include "xaudio2/xaudio2soundgroup.h"
#include "xaudio2/xaudio2soundmanager.h"
#include "xaudio2/xaudio2state.h"

#include <algorithm>
#include <cmath>

TSoundCallListener* TXAudio2Sound::s_pCallListener = nullptr;

namespace
{
const char* const kSource = "sources/xaudio2/xaudio2sound";

// The voices may play up to an octave above the clip's rate.
constexpr f32 SOUND_MAX_FREQUENCY_RATIO = 2.0f;
// X3DAudio: no cone; the first two channels of a clip stand left and right of the emitter.
constexpr u32 SOUND_CALCULATE_FLAGS = X3DAUDIO_CALCULATE_MATRIX | X3DAUDIO_CALCULATE_LPF_DIRECT |
                                      X3DAUDIO_CALCULATE_REVERB | X3DAUDIO_CALCULATE_DOPPLER;
constexpr f32 SOUND_LEFT_AZIMUTH = 3.0f * X3DAUDIO_PI / 2.0f;
constexpr f32 SOUND_RIGHT_AZIMUTH = X3DAUDIO_PI / 2.0f;

static_assert(sizeof(TSoundCurvePoint) == sizeof(X3DAUDIO_DISTANCE_CURVE_POINT));

X3DAUDIO_VECTOR Of(const TVector& vector)
{
    return {vector.x, vector.y, vector.z};
}

// A custom curve X3DAudio can read: from distance 0 to 1 in order, finite values, and a
// positive distance scaler.
bool UsableCurve(const TSoundCurvePoint* curve, f32 scaler)
{
    if (!(scaler > 0.0f) || !std::isfinite(scaler) || curve[0].fDistance != 0.0f ||
        curve[SOUND_CURVE_POINTS - 1].fDistance != 1.0f)
        return false;
    for (u32 i = 0; i < SOUND_CURVE_POINTS; ++i)
        if (!std::isfinite(curve[i].fValue) || (i && !(curve[i].fDistance >= curve[i - 1].fDistance)))
            return false;
    return true;
}

void ScaleMatrix(f32 (&matrix)[OUTPUT_MATRIX_SIZE], f32 factor)
{
    for (f32& level : matrix)
        level *= factor;
}
} // namespace

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
    m_EmitterVelocity = TVector(0.0f, 0.0f, 0.0f, 1.0f);
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

void TXAudio2Sound::_SetFlags(u32 bits)
{
    __atomic_fetch_or(&m_nFlags, bits, __ATOMIC_ACQ_REL);
}

void TXAudio2Sound::_ClearFlags(u32 bits)
{
    __atomic_fetch_and(&m_nFlags, ~bits, __ATOMIC_ACQ_REL);
}

void TXAudio2Sound::Tell(ESoundCall call, i32 id, f32 value)
{
    if (s_pCallListener)
        s_pCallListener->OnSoundCall(this, call, id, value);
}

TSoundParameter* TXAudio2Sound::FindParameter(const TName&)
{
    __Abort("TXAudio2Sound::FindParameter", kSource, __LINE__, "unimplemented");
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
        _SetFlags(SOUND_RELEASE_WHEN_FADED);
    else
        _ClearFlags(SOUND_RELEASE_WHEN_FADED);
}

void TXAudio2Sound::Play(i32, const TSoundCurvePoint* curve)
{
    Tell(SOUND_CALL_PLAY, 0, 0.0f);
    TXAudio2SoundManager& manager = *g_pXAudio2SoundManager;
    if (!g_XAudio2.pEngine || !pSoundData || pSoundData->Require())
        return;
    if (m_fFadeInTime > 0.0f)
    {
        _ClearFlags(SOUND_FADE_BITS);
        _SetFlags(SOUND_FADING_IN);
        // A sound that starts fades in from silence, whatever its fade-out setting (set after the
        // fade-in, as a game sound sets them) left the level at.
        if (m_nState == SOUND_STOPPED)
            m_fFadeLevel = 0.0f;
    }
    if (m_nState != SOUND_STOPPED || !manager._CanSoundPlay(this) || _CreateVoice())
        return;
    if (curve && pNode && !UsableCurve(curve, m_fCurveDistanceScaler))
    {
        TLog::Print(g_pSystemLog, LOG_WARNING, "TXAudio2Sound::Play(): warning: ",
                    "'%s': custom volume curve unusable: the default curve is used", pSoundData->GetNameText());
        curve = nullptr;
    }
    pCurve = curve;
    const TVector& at = GetMatrix()->aRow[3];
    m_PreviousPosition = pNode ? TVector(at.x, at.y, at.z, 1.0f) : TVector(0.0f, 0.0f, 0.0f, 1.0f);
    m_fVelocityTimer = 0.0f;
    _Update(0.0f);
    m_nState = SOUND_PLAYING;
    manager._OnSoundPlayed(this);
    const TVariableValue self = ScriptObjectArgument(this);
    if (pScriptStart)
    {
        pScriptStart->SetArgument(0, self);
        RunScript(pScriptStart);
    }
    if (pScriptSyncPoint)
        pScriptSyncPoint->SetArgument(0, self);
    if (pScriptEnd)
        pScriptEnd->SetArgument(0, self);
}

void TXAudio2Sound::Pause()
{
    if (!g_XAudio2.pEngine || m_nState == SOUND_STOPPED || m_nState == SOUND_PAUSED)
        return;
    m_nState = SOUND_PAUSED;
    _ClearFlags(SOUND_VOICE_STARTED);
    if (pVoice)
        pVoice->Stop(0, g_XAudio2.nOperationSet);
}

void TXAudio2Sound::Resume(u32 flag)
{
    if (!g_XAudio2.pEngine || m_nState != SOUND_PAUSED || !flag)
        return;
    m_nState = SOUND_PLAYING;
    // Paused inside its start delay: the rest of the delay still holds, and the update starts it.
    if (m_fStartDelay > 0.0f)
        return;
    _SetFlags(SOUND_VOICE_STARTED);
    if (pVoice)
        pVoice->Start(0, g_XAudio2.nOperationSet);
}

void TXAudio2Sound::Stop(u32 immediate)
{
    Tell(SOUND_CALL_STOP, 0, static_cast<f32>(immediate));
    // A sound whose voice is gone (a restore that failed) must still be able to end.
    if (!g_XAudio2.pEngine || m_nState == SOUND_STOPPED)
        return;
    if (!immediate && m_fFadeOutTime > 0.0f && !(m_fStartDelay > 0.0f))
    {
        _ClearFlags(SOUND_FADE_BITS);
        _SetFlags(SOUND_FADING_OUT);
        return;
    }
    if (pVoice)
        pVoice->Stop(0, g_XAudio2.nOperationSet);
    _SetFlags(SOUND_FINISHED);
    m_nState = SOUND_STOPPING;
}

void TXAudio2Sound::SignalSyncPoint(i32 value)
{
    if (!pScriptSyncPoint)
        return;
    TVariableValue argument;
    argument.SetInt(value);
    pScriptSyncPoint->SetArgument(1, argument);
    RunScript(pScriptSyncPoint);
}

void TXAudio2Sound::RunScript(TScript* script)
{
    script->Run(nullptr);
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

u32 TXAudio2Sound::_CreateVoice()
{
    const char* const error = "TXAudio2Sound::_CreateVoice(): error: ";
    TSoundData& data = *pSoundData;
    // A voice reads the clip while it plays: the block must stay where it is.
    TRepository* repository = data.GetRepository();
    if (!repository || !repository->GetImage())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "'%s': its block is not held in memory: not played",
                    data.GetNameText());
        return 1;
    }
    TSoundDataBlock block;
    if (const char* why = block.Read(data.GetData(0, 0), data.m_nDataSize))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "'%s': damaged block (%s): not played", data.GetNameText(),
                    why);
        return 1;
    }
    const bool packets = (data.m_nFlags & SOUND_DATA_PACKET_TABLE) != 0;
    XAUDIO2_SEND_DESCRIPTOR destinations[2] = {{0, g_XAudio2.pReverbVoice}, {0, g_XAudio2.pMasteringVoice}};
    const XAUDIO2_VOICE_SENDS sends = {2, destinations};
    IXAudio2SourceVoice* voice = nullptr;
    HRESULT result = g_XAudio2.pEngine->CreateSourceVoice(&voice, block.pFormat, packets ? 0 : XAUDIO2_VOICE_USEFILTER,
                                                          SOUND_MAX_FREQUENCY_RATIO, &g_XAudio2.VoiceCallback, &sends);
    if (SUCCEEDED(result))
    {
        XAUDIO2_BUFFER buffer = {};
        buffer.Flags = packets ? 0 : XAUDIO2_END_OF_STREAM;
        buffer.AudioBytes = block.nAudioSize;
        buffer.pAudioData = block.pAudio;
        buffer.LoopCount = (data.m_nFlags & SOUND_DATA_ENDLESS) ? XAUDIO2_LOOP_INFINITE : 0;
        buffer.pContext = this;
        const XAUDIO2_BUFFER_WMA table = {block.pPacketTable, block.nPacketTableSize / 4};
        result = voice->SubmitSourceBuffer(&buffer, packets ? &table : nullptr);
        if (FAILED(result))
            voice->DestroyVoice();
    }
    if (FAILED(result))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, error, "'%s': no voice [0x%X]: not played", data.GetNameText(),
                    static_cast<u32>(result));
        return 1;
    }
    pVoice = voice;
    return 0;
}

void TXAudio2Sound::DestroyVoice()
{
    if (pVoice)
        pVoice->DestroyVoice();
    pVoice = nullptr;
}

void TXAudio2Sound::_Update(f32 t)
{
    // A paused sound holds still until it is resumed.
    if (m_nState == SOUND_PAUSED)
        return;
    const u32 flags = __atomic_load_n(&m_nFlags, __ATOMIC_ACQUIRE);
    if (!(flags & SOUND_VOICE_STARTED) && pVoice && m_fStartDelay > 0.0f)
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
    const u32 faded = _UpdateFade(t);

    auto* group = static_cast<TXAudio2SoundGroup*>(pSoundData ? pSoundData->pGroup : nullptr);
    if (!pVoice || !group)
        return;
    XAUDIO2_VOICE_DETAILS details;
    pVoice->GetVoiceDetails(&details);
    f32 ratio = group->m_fEffectivePitch * m_fEffectivePitch;
    if (pNode)
        ratio *= SetLevelsWithNode(details.InputChannels, t);
    else
        SetLevelsWithoutNode(details.InputChannels);
    const u32 set = g_XAudio2.nOperationSet;
    pVoice->SetVolume(group->GetVolume() * m_fEffectiveVolume * m_fFadeLevel, set);
    pVoice->SetFrequencyRatio(ratio, set);
    if (faded)
        Stop(1);
    else if (!(m_nFlags & SOUND_VOICE_STARTED))
    {
        pVoice->Start(0, set);
        _SetFlags(SOUND_VOICE_STARTED);
    }
}

void TXAudio2Sound::SetLevelsWithoutNode(u32 channels)
{
    const u32 set = g_XAudio2.nOperationSet;
    const u32 outputs = g_XAudio2.GetOutputChannels();
    f32 matrix[OUTPUT_MATRIX_SIZE];
    BuildOutputMatrix(channels, outputs, matrix);
    ScaleMatrix(matrix, m_fDirectLevel);
    pVoice->SetOutputMatrix(g_XAudio2.pMasteringVoice, channels, outputs, matrix, set);
    BuildOutputMatrix(channels, 2, matrix);
    ScaleMatrix(matrix, m_fReverbSend);
    pVoice->SetOutputMatrix(g_XAudio2.pReverbVoice, channels, 2, matrix, set);
}

f32 TXAudio2Sound::SetLevelsWithNode(u32 channels, f32 t)
{
    const TMatrix& world = *pNode->GetWorldMatrix();
    X3DAUDIO_EMITTER emitter = {};
    emitter.OrientFront = Of(world.aRow[2]);
    emitter.OrientTop = Of(world.aRow[1]);
    emitter.Position = Of(world.aRow[3]);
    emitter.ChannelCount = channels;
    f32 azimuths[SOUND_DATA_MAX_CHANNELS] = {SOUND_LEFT_AZIMUTH, SOUND_RIGHT_AZIMUTH};
    emitter.pChannelAzimuths = azimuths;
    emitter.DopplerScaler = g_sound_dopplerscale.GetValue().ToFloat();
    X3DAUDIO_DISTANCE_CURVE volumeCurve = {};
    if (pCurve)
    {
        volumeCurve.pPoints = const_cast<X3DAUDIO_DISTANCE_CURVE_POINT*>(
            reinterpret_cast<const X3DAUDIO_DISTANCE_CURVE_POINT*>(pCurve));
        volumeCurve.PointCount = SOUND_CURVE_POINTS;
        emitter.pVolumeCurve = &volumeCurve;
        emitter.CurveDistanceScaler = m_fCurveDistanceScaler;
    }
    else
        emitter.CurveDistanceScaler = g_sound_distancescale.GetValue().ToFloat();

    // The velocity is measured over at least the update interval; in between it is zero.
    const TVector position(world.aRow[3].x, world.aRow[3].y, world.aRow[3].z, 1.0f);
    m_EmitterVelocity = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    m_fVelocityTimer += t;
    if (m_fVelocityTimer > g_sound_updateinterval.GetValue().ToFloat() && m_fVelocityTimer > 0.0f)
    {
        m_EmitterVelocity = TVector::Subtract(position, m_PreviousPosition).Scaled(1.0f / m_fVelocityTimer);
        m_PreviousPosition = position;
        m_fVelocityTimer = 0.0f;
    }
    emitter.Velocity = Of(m_EmitterVelocity);

    const u32 outputs = g_XAudio2.GetOutputChannels();
    f32 coefficients[OUTPUT_MATRIX_SIZE] = {};
    X3DAUDIO_DSP_SETTINGS dsp = {};
    dsp.pMatrixCoefficients = coefficients;
    dsp.SrcChannelCount = channels;
    dsp.DstChannelCount = outputs;
    dsp.DopplerFactor = 1.0f;
    X3DAudioCalculate(g_XAudio2.X3DAudio, &g_XAudio2.Listener, &emitter, SOUND_CALCULATE_FLAGS, &dsp);
    const u32 set = g_XAudio2.nOperationSet;
    pVoice->SetOutputMatrix(g_XAudio2.pMasteringVoice, channels, outputs, coefficients, set);
    f32 reverb[OUTPUT_MATRIX_SIZE];
    BuildOutputMatrix(channels, 2, reverb);
    ScaleMatrix(reverb, std::clamp(dsp.ReverbLevel, 0.0f, 1.0f));
    pVoice->SetOutputMatrix(g_XAudio2.pReverbVoice, channels, 2, reverb, set);
    return dsp.DopplerFactor;
}

u32 TXAudio2Sound::_UpdateFade(f32 t)
{
    const u32 fade = m_nFlags & SOUND_FADE_BITS;
    if (fade == SOUND_FADING_OUT)
    {
        if (!(m_fFadeOutTime > 0.0f))
        {
            _ClearFlags(SOUND_FADE_BITS);
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
            _ClearFlags(SOUND_FADE_BITS);
        else
        {
            m_fFadeLevel += t / m_fFadeInTime;
            if (m_fFadeLevel > 1.0f)
            {
                m_fFadeLevel = 1.0f;
                _ClearFlags(SOUND_FADE_BITS);
            }
        }
    }
    return 0;
}

void TXAudio2Sound::_Release()
{
    _ClearFlags(SOUND_VOICE_STARTED);
    g_pXAudio2SoundManager->_OnSoundStopped(this);
    if (pScriptEnd)
        RunScript(pScriptEnd);
    DestroyVoice();
    pSoundData = nullptr;
    _Reset();
}

void TXAudio2Sound::_RestartVoice()
{
    if (pVoice || !(m_nFlags & SOUND_VOICE_STARTED) || !pSoundData || _CreateVoice())
        return;
    // A restored voice starts its clip afresh: it fades in as from the engine's start rather than
    // at full level at once. One fading out goes on falling from its level.
    const f32 fadeIn = g_sound_initialfadetime.GetValue().ToFloat();
    if ((m_nFlags & SOUND_FADE_BITS) != SOUND_FADING_OUT && fadeIn > 0.0f)
    {
        m_fFadeInTime = fadeIn;
        m_fFadeLevel = 0.0f;
        _ClearFlags(SOUND_FADE_BITS);
        _SetFlags(SOUND_FADING_IN);
    }
    pVoice->Start(0, g_XAudio2.nOperationSet);
}
