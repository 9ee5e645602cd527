#pragma once
// TPlayerFileWriter: writes a player file under a temporary name ("<path>.tmp") and moves it
// into place only when it is whole, so a crash, a full disk or a failed write never leaves a
// half file under the file's own name, and the previous file stays until the new one replaces it.
#include "core/stream/filestream.h"
#include "player/playerpath.h"

class TPlayerFileWriter
{
public:
    TPlayerFileWriter() : m_aTemporary() {}
    // An open temporary file is deleted.
    ~TPlayerFileWriter() { Discard(); }
    TPlayerFileWriter(const TPlayerFileWriter&) = delete;
    TPlayerFileWriter& operator=(const TPlayerFileWriter&) = delete;

    // Opens the temporary file for writing, creating missing folders; false when it cannot be
    // opened (the stream logs why) or the path is invalid.
    bool Open(const TPlayerPath& path);
    TStream& GetStream() { return m_Stream; }
    // Closes the file and, when all of it reached the disk (the stream ends where it stands),
    // moves it over the path; else deletes it. True when the file is in place.
    bool Commit();
    // Closes and deletes the temporary file.
    void Discard();

private:
    TFileStream m_Stream;
    char16_t m_aPath[PLAYER_PATH_ROOM];
    char16_t m_aTemporary[PLAYER_PATH_ROOM];
};
