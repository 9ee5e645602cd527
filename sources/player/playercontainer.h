#pragma once
// TPlayerContainer: base of every player file (a profile, a saved game, the settings, the
// leaderboard): the 8-byte header, the magic "0001" and the patch level of the writer, then a
// body the container's class reads and writes itself. Numbers are little-endian and fields
// follow each other without gaps.
#include "core/stream/stream.h"
#include "core/system/templates/sarray.h"
#include "core/system/types.h"

constexpr u32 PLAYER_CONTAINER_MAGIC = 0x31303030; // the bytes "0001"
constexpr i32 PLAYER_CONTAINER_HEADER_SIZE = 8;

// Results of the player data operations.
constexpr u32 PLAYER_DONE = 0;
constexpr u32 PLAYER_REFUSED = 1;      // also a short read or write of a container
constexpr u32 PLAYER_FILE_FAILED = 2;  // a file-system failure; the leaderboard's I/O failures
constexpr u32 PLAYER_OUT_OF_RANGE = 3; // an index outside its list; a container's wrong magic

// A stored name: a count that includes the NUL, then at most 31 characters.
typedef SArray<char16_t, 32, 0> TPlayerName;
constexpr u32 PLAYER_NAME_LENGTH = 31;
// The marker that starts a body of the wide-name form, then the form's version.
constexpr u8 PLAYER_WIDE_MARKER = 0xFF;
constexpr u8 PLAYER_WIDE_VERSION = 1;

class TPlayerContainer
{
public:
    virtual ~TPlayerContainer() = default;
    // The class's fixed fields, then OnLoad / OnSave for what a subclass adds.
    virtual u32 OnLoadInternal(u32 patchLevel, TStream& stream) { return OnLoad(patchLevel, stream); }
    virtual u32 OnSaveInternal(TStream& stream) { return OnSave(stream); }
    virtual u32 OnLoad(u32 patchLevel, TStream& stream) { return PLAYER_DONE; }
    virtual u32 OnSave(TStream& stream) { return PLAYER_DONE; }
    virtual u32 OnLoadState(u32 patchLevel, TStream& stream) { return PLAYER_DONE; }
    virtual u32 OnSaveState(TStream& stream) { return PLAYER_DONE; }

    // The header with the profile manager's patch level, then the body. A short write of the
    // header gives 1, else the body's result.
    static u32 _Save(TPlayerContainer* container, TStream& stream);
    // 1 for a stream under 4 bytes or a short read, 3 for a wrong magic, else the body's result.
    // Another patch level is logged and the body is still read.
    static u32 _Load(TPlayerContainer* container, TStream& stream);
};

// One little-endian field; false when the stream took or gave fewer bytes.
template <class T> bool ReadPlayerField(TStream& stream, T& value)
{
    return stream.Read(&value, sizeof value) == static_cast<i32>(sizeof value);
}

template <class T> bool WritePlayerField(TStream& stream, const T& value)
{
    return stream.Write(&value, sizeof value) == static_cast<i32>(sizeof value);
}

// The two bytes that start a profile or leaderboard body: the wide-name form's version, or 0
// for the older form, whose body starts at once (the stream is moved back over the two bytes).
// False on a short read or a failed move.
bool ReadPlayerBodyVersion(TStream& stream, u8& version);

// A stored name: u32 n, then n UTF-16 units (version nonzero) or n 8-bit characters widened
// one to one (version 0). Names longer than the 31 characters a name holds are refused.
enum class TPlayerNameRead
{
    Read,
    ShortRead,
    TooLong,
    HoldsNul
};
TPlayerNameRead ReadPlayerName(TStream& stream, u32 version, TPlayerName& name);
// u32 n and the n UTF-16 units; false on a short write.
bool WritePlayerName(TStream& stream, const TPlayerName& name);
