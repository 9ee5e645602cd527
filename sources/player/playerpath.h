#pragma once
// TPlayerPath: the path of a player file or folder. It starts at the player root folder (the
// variable save_directory with every "$(name)" expanded, "\" made "/"), and each element added
// below the root is lower-cased (ASCII) as the player files are named. On a file system that
// tells case apart an element that exists in another case is found all the same: the name on
// disk takes the element's place. The root keeps its case.
#include "core/system/types.h"

constexpr i32 PLAYER_PATH_ROOM = 2048;
// Files open through paths of at most 255 bytes in UTF-8.
constexpr i32 PLAYER_PATH_BYTES = 255;

class TPlayerPath
{
public:
    // The root alone.
    TPlayerPath();

    // "/" and the element. A path grown past 255 bytes, or an element that is empty, "." or
    // "..", or holds "/" or "\", makes the path invalid (logged): its text is then empty, so
    // every file operation on it fails and none reaches outside the root.
    TPlayerPath& Add(const char16_t* element);
    // A search pattern as the last element (not looked up, not lower-cased).
    TPlayerPath& AddPattern(const char16_t* pattern);

    const char16_t* GetText() const { return m_aText; }
    bool IsValid() const { return m_bValid; }
    // The path as UTF-8 (stream names, log lines).
    void GetUtf8(char (&out)[PLAYER_PATH_BYTES + 1]) const;
    // Whether the path names an existing folder.
    bool IsFolder() const;
    bool Exists() const;

private:
    void Append(const char16_t* element);
    void Invalidate(const char* reason);
    // An entry of the parent folder equal to the last element without regard to case.
    void FindOnDisk(i32 elementStart);

    char16_t m_aText[PLAYER_PATH_ROOM];
    i32 m_nLength;
    bool m_bValid;
};

// The player root as a wide text (no trailing "/"; "." for an empty value).
void GetPlayerRoot(char16_t (&root)[PLAYER_PATH_ROOM]);
// In place: every "\" becomes "/", and the ASCII letters after the first rootLength units
// become lower case.
void NormalizePlayerPath(char16_t* path, i32 rootLength);
