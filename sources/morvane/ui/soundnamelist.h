#pragma once
// TSoundNameList: a list of named sounds "<base><n>" for n = 1..count (a null base is
// "Music"): the music tracks and the public-address announcements. Each entry is a name and the
// sound data found for it on first use.
#include "core/cluster/useridlink.h"

#include <vector>

constexpr u32 SOUND_NAME_SIZE = 128;

class TRandom;

// A named sound's data forgotten, its cache off the cluster's reset list.
void ForgetSound(TUserIdLink& link);

class TSoundNameList
{
public:
    TSoundNameList(const char* base, u32 count);

    i32 GetCount() const { return static_cast<i32>(aSound.size()); }
    TUserIdLink& operator[](i32 i) { return aSound[i]; }
    // Each entry i, for i = 0 .. 2n - 1 (mod n), swapped with another drawn entry; the sound
    // data found so far are forgotten first.
    void Shuffle(TRandom& random);
    // Every entry's sound data forgotten (and no longer nulled by the cluster).
    void Forget();

    // Built once: the cluster keeps the addresses of the entries' caches.
    std::vector<TUserIdLink> aSound;
    // The parent node an entry plays at: none.
    u32 nParent;
};
