#pragma once
// TLog: time-stamped lines in a text file. The system log ("Main system log", "system.log") is
// the one every subsystem prints to, with a level and a prefix naming the class and method.
// Lines printed before the file can open (file system locked, user directory unknown) are kept
// in memory and written in order when it opens.
#include "core/system/types.h"

#include <cstdarg>

// Levels.
constexpr i32 LOG_INFO = 0;
constexpr i32 LOG_WARNING = 50;
constexpr i32 LOG_ERROR = 90;
constexpr i32 LOG_ABORT = 100;

// Flag bits.
constexpr u32 LOG_SYSTEM = 0x01;         // carried by the system log
constexpr u32 LOG_APPEND = 0x08;         // "ab" instead of "wb"
constexpr u32 LOG_UNBUFFERED = 0x10;     // buffering off right after opening
constexpr u32 LOG_DISABLED = 0x20;       // every print does nothing
constexpr u32 LOG_USER_DIRECTORY = 0x40; // the file lies in the user directory
constexpr u32 LOG_RAW = 0x80;            // lines without level and time

// The longest message with its prefix, and the longest decorated line, NUL included.
constexpr i32 LOG_MESSAGE_SIZE = 4048;
constexpr i32 LOG_LINE_SIZE = 1024;

class TLogStorage;

// Receives every printed line (prefix and message, without decoration).
class TLogListener
{
public:
    virtual ~TLogListener();
    virtual void OnLogLine(u32 reserved, const char* text) = 0;
};

class TLog
{
public:
    // category and description may be null (no name).
    TLog(const char* fileName, const char* category, const char* description, u32 flags);
    ~TLog();

    // A null log prints to the system log. Prints are serialised between threads; a print
    // started from inside another print on the same thread (a listener, a name registered
    // while opening the file) is dropped.
    static void Print(TLog* log, i32 level, const char* prefix, const char* format, ...);
    static void Printf(TLog* log, const char* format, ...);
    // The abort path: prints even from inside an interrupted print on this thread.
    static void _AbortPrint(TLog* log, i32 level, const char* prefix, const char* format, ...);
    // The crash path: from now on every print of this thread goes the abort path's way, so a
    // crash inside a print (which leaves that print unfinished) still reaches the file.
    static void EnterCrashPath();

    // Opens the file of a log whose lines wait for it, when the file system is open and the user
    // directory known: the folders of the moment fix its path. Called when either is set.
    void OpenPendingFile();

    u32 GetFlags() const { return m_nFlags; }
    TLogStorage* GetStorage() const { return m_pStorage; }
    void SetListener(TLogListener* listener) { m_pListener = listener; }

private:
    static void PrintV(TLog* log, i32 level, const char* prefix, const char* format, va_list args,
                       bool abortPath);

    u32 m_nFlags;
    TLogStorage* m_pStorage;
    TLogListener* m_pListener;
};

static_assert(sizeof(TLog) == 12);

// The system log: created by the core bootstrap, never deleted.
extern TLog* g_pSystemLog;
