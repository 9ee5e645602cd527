#include "core/system/log.h"

#include "core/system/logstorage.h"
#include "core/system/memory.h"
#include "core/system/string.h"

#include <chrono>
#include <cstring>
#include <mutex>

TLog* g_pSystemLog = nullptr;

namespace
{
// Serialises prints between threads; recursive so that the abort path can print from inside
// an interrupted print on the same thread.
std::recursive_timed_mutex s_printMutex;
thread_local bool t_printing = false;
thread_local bool t_crashing = false;
// How long the abort path waits for a print of another thread before writing regardless.
constexpr std::chrono::seconds kAbortWait{2};
} // namespace

TLogListener::~TLogListener() = default;

TLog::TLog(const char* fileName, const char* category, const char* description, u32 flags)
    : m_nFlags(flags), m_pStorage(nullptr), m_pListener(nullptr)
{
    m_pStorage = MemoryNew<TLogStorage>(this, fileName, category, description);
}

TLog::~TLog()
{
    MemoryDelete(m_pStorage);
}

void TLog::PrintV(TLog* log, i32 level, const char* prefix, const char* format, va_list args, bool abortPath)
{
    if (!g_pSystemLog)
        return;
    abortPath = abortPath || t_crashing;
    if (!log)
        log = g_pSystemLog;
    if ((log->m_nFlags & LOG_DISABLED) || !log->m_pStorage)
        return;
    if (t_printing && !abortPath)
        return;

    std::unique_lock<std::recursive_timed_mutex> lock(s_printMutex, std::defer_lock);
    if (abortPath)
        (void)lock.try_lock_for(kAbortWait);
    else
        lock.lock();
    const bool outer = !t_printing;
    t_printing = true;

    char text[LOG_MESSAGE_SIZE];
    const i32 length = FormatStringN(text, LOG_MESSAGE_SIZE, "%s", prefix ? prefix : "");
    FormatStringV(text + length, LOG_MESSAGE_SIZE - length, format, args);
    log->m_pStorage->WriteLine(text, level);
    if (log->m_pListener)
        log->m_pListener->OnLogLine(0, text);

    if (outer)
        t_printing = false;
}

void TLog::OpenPendingFile()
{
    if (t_printing || !m_pStorage)
        return;
    std::lock_guard<std::recursive_timed_mutex> lock(s_printMutex);
    t_printing = true;
    m_pStorage->OpenWhenReady();
    t_printing = false;
}

void TLog::Print(TLog* log, i32 level, const char* prefix, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintV(log, level, prefix, format, args, false);
    va_end(args);
}

void TLog::Printf(TLog* log, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintV(log, LOG_INFO, nullptr, format, args, false);
    va_end(args);
}

void TLog::EnterCrashPath()
{
    t_crashing = true;
}

void TLog::_AbortPrint(TLog* log, i32 level, const char* prefix, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintV(log, level, prefix, format, args, true);
    va_end(args);
}
