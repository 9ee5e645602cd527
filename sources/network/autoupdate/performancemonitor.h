#pragma once
// TPerformanceMonitor: the telemetry client. One thread, started by WinMain before the start-up
// script and stopped after it, reports that the program started and stopped, the average
// frame rate every ten minutes, and crashes and aborts. Each report is one short TCP
// connection to the telemetry server (the startup variable telemetry_server, "host[:port]",
// port 80 by default) carrying one message; nothing is read back.
//
// Message: u32 total length, u32 type (9 frame rate, 10 crash or abort, 11 state), u32
// product id, u32 version id, u64 installation id, then for 9 and 10 a u32 text length and the
// text with its zero (31 + n bytes in all), for 11 the state record (kind, state, two words)
// and its text (47 + n). The bytes after the zero are zeros.
#include "core/system/thread.h"

#include <atomic>

constexpr u32 TELEMETRY_FRAME_RATE = 9;
constexpr u32 TELEMETRY_CRASH = 10;
constexpr u32 TELEMETRY_STATE = 11;
constexpr u32 TELEMETRY_STARTED = 1;
constexpr u32 TELEMETRY_STOPPED = 2;
// The installation identifier when the key "Software\Brevicorn\AutoUpdate" is missing.
constexpr u64 TELEMETRY_NO_KEY = 0xFFFFFFFFFFFFFFFEull;
// Seconds between frame-rate reports.
constexpr f32 TELEMETRY_REPORT_PERIOD = 600.0f;
constexpr u32 TELEMETRY_CONNECT_MILLISECONDS = 3000;
constexpr u32 TELEMETRY_SEND_MILLISECONDS = 1000;
constexpr u32 TELEMETRY_MESSAGE_SIZE = 2048;

class TPerformanceMonitor : public TThread
{
public:
    TPerformanceMonitor();

    // WinMain's calls on the program's monitor.
    static void Start();
    static void Stop();

    // Reads the identifiers, starts the thread, installs the crash and abort hooks and asks for
    // the "started" report: at once when telemetry_server was named, else when it is (the
    // start-up script runs after Begin), at the latest just before the "stopped" report.
    void Begin();
    // The "started" report, when it waits, goes out on the thread's next pass.
    void ReleaseStartReport();
    // The product, version and installation identifiers.
    void Identify();
    // Sends the "stopped" report at once on the calling thread, then stops the thread.
    void End();
    void Run() override;
    // One pass of the thread's loop: the frame time (seconds) summed, then the reports due.
    void Pass(f32 frameTime);

    // Builds the message of a type into the buffer; its length.
    u32 BuildMessage(u8 (&buffer)[TELEMETRY_MESSAGE_SIZE], u32 type, const char* text) const;
    // Connects, sends the message and closes: 0, or 2 when no connection was made.
    static u32 Send(const u8* message, u32 length);
    u32 SendText(u32 type, const char* text);

    u64 GetInstallationId() const { return m_nInstallationId; }

private:
    static void OnCrash(struct TExceptionHandlerInfo* info);
    static void OnAbort(const char* message);
    void SendFault(const char* info, const char* comment);

    u64 m_nInstallationId;
    u32 m_nProductId;
    u32 m_nVersionId;
    std::atomic<u32> m_nRequestFlags;
    std::atomic<bool> m_bStartHeld;
    u32 m_nStateKind;
    std::atomic<u32> m_nState;
    f32 m_fElapsed;
    f32 m_fFrameTimeSum;
    u32 m_nSamples;
};

extern TPerformanceMonitor g_PerformanceMonitor;

// The telemetry server's host and port as the variable gives them.
void GetTelemetryServer(char (&host)[128], u32& port);
