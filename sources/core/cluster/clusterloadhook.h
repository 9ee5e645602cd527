#pragma once
// Load hooks: a stored type whose objects hold words that meant memory of the run that wrote an
// image (delegates, owned storage, cached pointers) names a hook that clears them; the fix-up
// runs it on every loaded object of the type, right after its virtual-table words, whether the
// objects stay in the image or are copied: the words are gone before anything reads or frees
// them.
#include "core/system/types.h"

typedef void (*TClusterLoadHook)(void* object);

// Type ids out of range are fatal.
void SetClusterLoadHook(u32 typeId, TClusterLoadHook hook);
// The hook of the type, or null.
TClusterLoadHook GetClusterLoadHook(u32 typeId);
