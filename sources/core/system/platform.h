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

// 1 when the path names an existing file or folder, else 0.
u32 FileExists(const char* path);
// Last-write time of the file (the name alone, or inside the temp folder) as a FILETIME value
// (100 ns units since 1601); 0 when the file cannot be read.
u64 GetFileWriteTime(u32 inTemp, const char* name);
// Sets the last-write time of the file inside the temp folder: 0 success, 1 failure, 2 the
// file cannot be opened.
u32 SetFileWriteTime(const char* name, u64 fileTime);
// 1 when the first file is newer than the file inside the temp folder, -1 when older, 0 when
// equal; a missing file counts as time 0.
i32 CompareFileWriteTimes(const char* name, const char* tempName);
// Deletes a folder with all its contents: 0 success, 1 the folder itself cannot be removed,
// 2 missing or not a folder, 3 a read-only file cannot be made writeable, 4 a subfolder cannot
// be deleted, 5 a file cannot be deleted, 6 a file's attributes are unreadable.
u32 __DirectoryDelete(const char16_t* path);
