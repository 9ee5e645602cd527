#pragma once
// The engine's operating-system services, written on POSIX: folders, directory creation and
// deletion, disk space, file attributes and times, text conversions, the user name, the
// program's version, message boxes and the clipboard. 8-bit engine texts are Windows-1252;
// the file system takes UTF-8.
#include "core/system/name.h"
#include "core/system/types.h"
#include "platform/desktop/messagebox.h"

// The temp folder ($TMPDIR or /tmp) with "/" separators, ending in "/"; fetched once.
const char* GetTempFolder();
const char16_t* GetTempFolderWide();
// The documents folder (the XDG documents directory, else ~/Documents, else $HOME) with
// "/My Games" appended; fetched once.
const char* GetMyGamesFolder();

// Turns the Windows separators of a path into "/" in place: the path as the file system takes it.
void ToSystemPath(char* path);

// Creates every missing folder of the path ("/" and "\" both separate); lastIsFile: the last
// element names a file and is not created. 0 success, 1 path too long, 2 failure.
u32 __DirectoryCreate(const char* path, u32 lastIsFile);
u32 __DirectoryCreate(const char16_t* path, u32 lastIsFile);
// Deletes a folder with everything in it. 0 success, 1 the folder itself cannot be removed,
// 2 missing or not a folder, 3 a read-only file cannot be made writable, 4 a subfolder cannot
// be deleted, 5 a file cannot be deleted, 6 a file's attributes are unreadable.
u32 __DirectoryDelete(const char16_t* path);

// Moves a file, replacing a file of the destination's name; between volumes the file is copied
// and the source deleted. 0 success, 1 failure (a folder is never moved; the source stays).
u32 __FileMove(const char16_t* from, const char16_t* to);
// Copies a file, replacing a file of the destination's name. The copy is written beside the
// destination under another name and renamed into place when complete, so a failure leaves
// the destination as it was. 0 success, 1 failure.
u32 __FileCopy(const char16_t* from, const char16_t* to);
// Deletes a file (never a folder). 0 success, 1 failure.
u32 __FileDelete(const char16_t* path);
// Moves a folder with everything in it to a new name on its volume; refused when the
// destination exists. 0 success, 1 failure.
u32 __DirectoryMove(const char16_t* from, const char16_t* to);

// Bytes available to the caller on the volume holding the path; -1 for a null path or one
// shorter than three characters, -2 when the query fails.
i64 GetDiskFreeBytes(const char16_t* path);
// Tests answer disk-space queries of paths of three characters or more themselves, as the
// timer takes an injected clock; null gives the question back to the system.
typedef i64 (*TDiskFreeQuery)(const char16_t* path);
void SetDiskFreeQuery(TDiskFreeQuery query);

// The engine's attribute bits (findfile.h); FILE_ATTRIBUTE_MISSING when the path does not exist.
u32 GetFileAttributeBits(const char16_t* path);
// Only the read-only bit has a meaning here. 0 success, 1 failure.
u32 SetFileAttributeBits(u32 bits, const char16_t* path);
u32 FileExists(const char* path);
// A file that exists and is neither a folder nor a device (links followed).
bool IsRegularFile(const char* path);
// Reads up to size bytes from the start of a file; the bytes read, or -1 when the file cannot
// be opened or read. For the few bytes a listing needs, without a stream's buffers or locks:
// meant for files written aside and moved into place whole.
i32 ReadFileHead(const char16_t* path, void* buffer, i32 size);

// Last-write file time of the name (inTemp: in the temp folder); 0 when it cannot be read.
u64 GetFileWriteTime(u32 inTemp, const char* name);
// Sets the last-write time of the temp folder's file: 0 success, 1 failure, 2 cannot be opened.
u32 SetFileWriteTime(const char* name, u64 fileTime);
// 1 when the file is newer than the temp folder's file, -1 when older, 0 when equal (a missing
// file counts as time 0).
i32 CompareFileWriteTimes(const char* name, const char* tempName);

// Windows-1252 to UTF-16, and UTF-16 to UTF-8 or to Windows-1252 ("?" for what it lacks).
// length -1: up to the NUL, which is converted too. 0 success, 1 when the output is too small.
u32 MultiByteToWide(char16_t* out, i32 size, const char* text, i32 length);
u32 WideToUtf8(char* out, i32 size, const char16_t* text, i32 length);
u32 WideToMultiByte(char* out, i32 size, const char16_t* text, i32 length);

// The user's login name (256 UTF-16 characters at most).
const char16_t* GetWindowsUserName();

// The version text compiled into the program ("0.0.0.0" when none), registered as a name on the
// first call; later calls do nothing.
void InitApplicationVersion();
void GetApplicationVersion(char* buffer, i32 size);
const TName& GetApplicationVersionName();

// Message-box kinds (1 error, 2 warning, 3 question, 4 information); returns the pressed
// button (MESSAGE_BOX_BUTTON_OK), the default one when no display can show the box.
i32 ShowMessageBox(const char* caption, const char* text, u32 kind);

// The clipboard's text (empty when none), valid until the next call.
const char16_t* ClipboardGetText();
const char* ClipboardGetTextA();
void ClipboardSetText(const char16_t* text);
void ClipboardSetTextA(const char* text);
