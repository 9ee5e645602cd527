#pragma once
// The engine's operating-system services, written on POSIX.
#include "core/system/types.h"

// The temp folder with "/" separators, ending in "/"; fetched once.
const char* GetTempFolder();
// The documents folder with "/My Games" appended; fetched once.
const char* GetMyGamesFolder();

// Creates every missing folder of the path ("/" and "\" both separate); lastIsFile: the last
// element names a file and is not created. 0 success, 1 path too long, 2 failure.
u32 __DirectoryCreate(const char* path, u32 lastIsFile);
