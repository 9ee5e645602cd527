#include "engine/system/animationdata.h"

#include "core/system/log.h"

#include <cmath>
#include <cstdint>

i32 TAnimationData::Load()
{
    const u64 needed = static_cast<u64>(m_nTrackCount) * (static_cast<u64>(m_nLength) + 1) * sizeof(TAnimationKey);
    const u8* keys = nullptr;
    if (m_nLength >= 0 && m_nTrackCount <= ANIMATION_TRACK_CAPACITY && needed <= m_nDataSize)
        keys = needed ? GetData(0, static_cast<u32>(needed)) : nullptr;
    if ((needed && !keys) || m_nLength < 0 || m_nTrackCount > ANIMATION_TRACK_CAPACITY ||
        reinterpret_cast<uintptr_t>(keys) % alignof(TAnimationKey) != 0)
    {
        // Left in the loading state: Require answers "not loaded" and does not try again.
        TLog::Print(g_pSystemLog, LOG_ERROR, "TAnimationData::Load(): error: ",
                    "'%s': %u tracks of %d frames need %llu bytes of keys, the data holds %u: refused",
                    GetNameText(), m_nTrackCount, m_nLength + 1, static_cast<unsigned long long>(needed),
                    m_nDataSize);
        return 1;
    }
    aKey.Attach(const_cast<TAnimationKey*>(reinterpret_cast<const TAnimationKey*>(keys)),
                static_cast<i32>(needed / sizeof(TAnimationKey)));
    SetLoaded(1);
    return 0;
}

i32 TAnimationData::Release()
{
    aKey.Attach(nullptr, 0);
    return 0;
}

u32 TAnimationData::GetEventCount() const
{
    return static_cast<u32>(ClampInt(m_nEventCount, 0, static_cast<i32>(ANIMATION_EVENT_CAPACITY)));
}

bool TAnimationData::SampleTrack(TAnimationKey& out, u32 track, f32 time) const
{
    const i32 frames = m_nLength + 1;
    if (track >= m_nTrackCount || static_cast<u64>(track + 1) * frames > static_cast<u64>(aKey.GetCount()))
        return false;
    if (!(time > 0.0f))
        time = 0.0f;
    else if (time > static_cast<f32>(m_nLength))
        time = static_cast<f32>(m_nLength);
    // The time is not negative here: its whole part is its truncation.
    const i32 whole = static_cast<i32>(time);
    const f32 fraction = time - static_cast<f32>(whole);
    const TAnimationKey* key = aKey.GetData() + frames * static_cast<i32>(track) + whole;
    if (fraction != 0.0f && m_nInterpolation != ANIMATION_INTERPOLATION_STEP)
        InterpolateKey(key[0], key[1], fraction, out);
    else
        out = key[0];
    return true;
}
