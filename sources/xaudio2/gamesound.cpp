#include "xaudio2/gamesound.h"

#include "core/math/random.h"
#include "xaudio2/randomindex.h"
#include "engine/sound/soundmanager.h"

#include <algorithm>
#include <cstring>

namespace
{
const void* ClassTable()
{
    static const TGameSound s_Prototype;
    return *reinterpret_cast<const void* const*>(&s_Prototype);
}
} // namespace

TGameSound::TGameSound()
{
    std::memset(reinterpret_cast<u8*>(this) + 4, 0, sizeof(*this) - 4);
    Settings.nMaxInstances = 1;
    Settings.fVolumeBase = 1.0f;
    Settings.fPitchBase = 1.0f;
    m_nRemaining = -1;
}

u32 TGameSound::GetClipCount() const
{
    return std::min(m_nClipCount, GAME_SOUND_CLIP_CAPACITY);
}

bool TGameSound::IsGameSound(const void* owner)
{
    return owner && *static_cast<const void* const*>(owner) == ClassTable();
}

i32 TGameSound::Play(TNode* node)
{
    m_nRemaining = -1;
    pStartNode = node;
    const u32 count = GetClipCount();
    const i32 last = static_cast<i32>(count) - 1;
    switch (Settings.nPlayMode)
    {
    case GAME_SOUND_SEQUENTIAL:
    case GAME_SOUND_SEQUENTIAL_1:
        m_nClip = -1;
        break;
    case GAME_SOUND_RANDOM:
    case GAME_SOUND_RANDOM_NO_REPEAT:
    case GAME_SOUND_ONE_RANDOM:
        m_nClip = RandomIndex(TRandom::Shared(), &last);
        break;
    case GAME_SOUND_SHUFFLED:
        m_nClip = -1;
        Shuffle();
        break;
    default:
        break;
    }
    if (count && !Settings.nLoop)
        m_nRemaining = Settings.nPlayMode == GAME_SOUND_ONE_RANDOM ? 1 : static_cast<i32>(count);
    const i32 result = PlayNext();
    if (result == GAME_SOUND_STARTED)
        m_nPlaying = 1;
    return result;
}

i32 TGameSound::PlayNext()
{
    if (m_nActiveCount >= static_cast<i32>(Settings.nMaxInstances))
        return GAME_SOUND_MAXIMUM_REACHED;
    // No clip to draw from, whatever the mode.
    if (m_nRemaining == 0 || GetClipCount() == 0)
    {
        Stop(0);
        return GAME_SOUND_NOTHING_LEFT;
    }
    if (m_nRemaining > 0)
        --m_nRemaining;
    const i32 count = static_cast<i32>(GetClipCount());
    const i32 last = count - 1;
    switch (Settings.nPlayMode)
    {
    case GAME_SOUND_SEQUENTIAL:
    case GAME_SOUND_SEQUENTIAL_1:
    case GAME_SOUND_SHUFFLED:
        if (++m_nClip >= count)
        {
            if (!Settings.nLoop)
            {
                Stop(0);
                return GAME_SOUND_NOTHING_LEFT;
            }
            m_nClip = 0;
        }
        break;
    case GAME_SOUND_RANDOM:
        m_nClip = RandomIndex(TRandom::Shared(), &last);
        break;
    case GAME_SOUND_RANDOM_NO_REPEAT: {
        const i32 drawn = RandomIndex(TRandom::Shared(), &last);
        m_nClip = drawn != m_nClip ? drawn : (drawn + 1 >= count ? 0 : drawn + 1);
        break;
    }
    default:
        break;
    }
    TSound* sound = nullptr;
    if (m_nClip >= 0 && m_nClip < count)
        g_pSoundManager->PlaySound(sound, aSoundData[m_nClip], pStartNode, static_cast<i32>(Settings.nLoop),
                                   0);
    // Only an instance that plays holds a place of the maximum.
    if (!sound)
        return GAME_SOUND_NO_INSTANCE;
    ++m_nActiveCount;
    sound->pOwner = this;
    sound->SetParameter(SOUND_PARAMETER_VOLUME, RandomRange(Settings.fVolumeBase, Settings.fVolumeRange));
    sound->SetParameter(SOUND_PARAMETER_PITCH, RandomRange(Settings.fPitchBase, Settings.fPitchRange));
    sound->SetParameter(SOUND_PARAMETER_FADE_IN, Settings.fFadeIn);
    sound->SetParameter(SOUND_PARAMETER_FADE_OUT, Settings.fFadeOut);
    sound->SetParameter(SOUND_PARAMETER_START_DELAY, Settings.fStartDelay);
    sound->m_fCurveDistanceScaler = Settings.fCurveDistanceScaler;
    if (Settings.nMaxInstances == 1)
        pSound = sound;
    sound->Play(static_cast<i32>(Settings.nLoop), aCurve);
    return GAME_SOUND_STARTED;
}

void TGameSound::Stop(u32 immediate)
{
    m_nPlaying = 0;
    if (!pSound)
        return;
    m_nActiveCount = 0;
    TSound* sound = pSound;
    pSound = nullptr;
    sound->Stop(immediate);
}

void TGameSound::SetParameter(i32 id, f32 value)
{
    if (pSound)
        pSound->SetParameter(id, value);
}

void TGameSound::SetParameterInt(i32 id, i32 value)
{
    if (pSound)
        pSound->SetParameterInt(id, value);
}

void TGameSound::OnClipEnded(TSound* sound)
{
    // An instance Stop let go ends nothing: a clip started since may be playing.
    if (Settings.nMaxInstances == 1 && sound != pSound)
        return;
    if (m_nActiveCount > 0)
        --m_nActiveCount;
    if (GetClipCount() == 1 || Settings.nPlayMode == GAME_SOUND_ONE_RANDOM ||
        sound->GetState() == SOUND_STOPPING)
        Stop(0);
    else
        PlayNext();
}

void TGameSound::Shuffle()
{
    TSoundData* pool[GAME_SOUND_CLIP_CAPACITY];
    i32 size = static_cast<i32>(GetClipCount());
    std::memcpy(pool, aSoundData, sizeof(TSoundData*) * static_cast<u32>(size));
    for (i32 i = 0; size > 0; ++i)
    {
        const i32 last = size - 1;
        const i32 drawn = RandomIndex(TRandom::Shared(), &last);
        aSoundData[i] = pool[drawn];
        pool[drawn] = pool[last];
        --size;
    }
}
