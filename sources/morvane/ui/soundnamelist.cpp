#include "morvane/ui/soundnamelist.h"

#include "core/cluster/cluster.h"
#include "core/math/random.h"
#include "core/system/string.h"
#include "xaudio2/randomindex.h"

#include <utility>

TSoundNameList::TSoundNameList(const char* base, u32 count) : nParent(0)
{
    aSound.reserve(count);
    char name[SOUND_NAME_SIZE];
    for (u32 i = 1; i <= count; ++i)
    {
        FormatStringN(name, sizeof name, "%s%d", base ? base : "Music", i);
        aSound.push_back(TUserIdLink(TName(name, true).GetId()));
    }
}

void ForgetSound(TUserIdLink& link)
{
    if (!link.pObject)
        return;
    g_pCluster->RemoveResetPointer(&link.pObject);
    link.pObject = nullptr;
}

void TSoundNameList::Shuffle(TRandom& random)
{
    const i32 count = GetCount();
    if (count < 2)
        return;
    Forget();
    const i32 last = count - 1;
    for (i32 k = 0; k < 2 * count; ++k)
    {
        const i32 i = k % count;
        i32 j;
        do
            j = RandomIndex(random, &last);
        while (j == i);
        std::swap(aSound[i].nUserId, aSound[j].nUserId);
    }
}

void TSoundNameList::Forget()
{
    for (i32 i = 0; i < GetCount(); ++i)
        ForgetSound(aSound[i]);
}
