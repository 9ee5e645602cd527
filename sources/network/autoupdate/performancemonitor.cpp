#include "network/autoupdate/performancemonitor.h"

#include "core/system/abort.h"
#include "core/system/core.h"
#include "core/system/event.h"
#include "core/system/platform.h"
#include "core/system/registrykey.h"
#include "core/system/string.h"
#include "core/system/timer.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "network/socket/socket.h"
#include "platform/crashreport/crashreport.h"

#include <cstdlib>
#include <cstring>

TPerformanceMonitor g_PerformanceMonitor;

namespace
{
constexpr u32 REQUEST_FRAME_RATE = 2;
constexpr u32 REQUEST_STATE = 4;
constexpr f32 PASS_SECONDS = 0.25f;
constexpr u32 DEFAULT_PORT = 80;
constexpr i32 FRAME_RATE_TEXT = 200;
constexpr i32 FAULT_TEXT = 2000;
constexpr u32 FAULT_TEXT_MOST = 1919;

// Two copies of the server, so that any thread reads a whole one while the variable changes.
struct TServer
{
    char aHost[128];
    u32 nPort;
};
const char* const kBuiltInServer = "telemetry.brevicorn.invalid";
TServer s_aServer[2] = {{"telemetry.brevicorn.invalid", DEFAULT_PORT}, {"", 0}};
std::atomic<u32> s_nServer{0};

// Whether a server other than the built-in one (which no report reaches) is named.
bool IsServerNamed()
{
    return std::strcmp(s_aServer[s_nServer.load()].aHost, kBuiltInServer) != 0;
}

class Ttelemetry_serverVariable : public TVariable
{
public:
    Ttelemetry_serverVariable()
        : TVariable("telemetry_server", "telemetry server (host[:port])", VARIABLE_STARTUP)
    {
        m_Value.SetName(TName(s_aServer[0].aHost, true));
    }
    void OnChange() override
    {
        TServer& next = s_aServer[1 - s_nServer.load()];
        FormatStringN(next.aHost, sizeof next.aHost, "%s", m_Value.ToString());
        next.nPort = DEFAULT_PORT;
        if (char* colon = std::strrchr(next.aHost, ':'))
        {
            const long port = std::strtol(colon + 1, nullptr, 10);
            *colon = 0;
            next.nPort = port > 0 && port < 65536 ? static_cast<u32>(port) : DEFAULT_PORT;
        }
        s_nServer = 1 - s_nServer.load();
        // The program's start report waited for it.
        if (IsServerNamed())
            g_PerformanceMonitor.ReleaseStartReport();
    }
};

Ttelemetry_serverVariable s_telemetry_serverVariable;
TDeferredVariable s_DetailLevel("device_detaillevel");

// The detail level as the report gives it: a float truncated, -1 when it is no number.
i32 DetailLevel()
{
    const TVariableValue& value = s_DetailLevel.GetValue();
    if (value.nType == VALUE_INT)
        return value.nInt;
    if (value.nType == VALUE_FLOAT)
        return static_cast<i32>(value.fFloat);
    return -1;
}

void Put(u8* buffer, u32 offset, u32 value)
{
    std::memcpy(buffer + offset, &value, 4);
}
} // namespace

void GetTelemetryServer(char (&host)[128], u32& port)
{
    const TServer& server = s_aServer[s_nServer.load()];
    FormatStringN(host, sizeof host, "%s", server.aHost);
    port = server.nPort;
}

TPerformanceMonitor::TPerformanceMonitor()
    : m_nInstallationId(0), m_nProductId(0), m_nVersionId(0), m_nRequestFlags(0), m_bStartHeld(false),
      m_nStateKind(1), m_nState(0), m_fElapsed(0.0f), m_fFrameTimeSum(0.0f), m_nSamples(0)
{
    SetName("PerformanceMonitor");
}

void TPerformanceMonitor::Start()
{
    g_PerformanceMonitor.Begin();
}

void TPerformanceMonitor::Stop()
{
    g_PerformanceMonitor.End();
}

void TPerformanceMonitor::Begin()
{
    TSocket::InitSockets();
    Identify();
    TThread::Start();
    AddExceptionHandlerCallback(OnCrash);
    TerminateCallback = OnAbort;
    m_nStateKind = 1;
    m_nState = TELEMETRY_STARTED;
    // The start-up script, which runs after this, names the server: until then the report waits
    // (or goes out ahead of the stop report).
    m_bStartHeld = true;
    if (IsServerNamed())
        ReleaseStartReport();
}

void TPerformanceMonitor::ReleaseStartReport()
{
    if (m_bStartHeld.exchange(false))
        m_nRequestFlags |= REQUEST_STATE;
}

void TPerformanceMonitor::Identify()
{
    m_nProductId = GetProductName()->GetId();
    char version[128];
    GetApplicationVersion(version, sizeof version);
    version[15] = 0;
    m_nVersionId = TName(version, true).GetId();
    TRegistryKey key;
    if (!key.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), "Software\\Brevicorn\\AutoUpdate", false))
        m_nInstallationId = TELEMETRY_NO_KEY;
    else
        m_nInstallationId = key.GetSecurityToken();
}

void TPerformanceMonitor::End()
{
    // A start report still waiting, or not yet taken by the thread, goes first, to the server
    // as it is now.
    const bool held = m_bStartHeld.exchange(false);
    if ((m_nRequestFlags.fetch_and(~REQUEST_STATE) & REQUEST_STATE) || held)
        SendText(TELEMETRY_STATE, "");
    m_nStateKind = 1;
    m_nState = TELEMETRY_STOPPED;
    SendText(TELEMETRY_STATE, "");
    TThread::Stop();
    if (TerminateCallback == OnAbort)
        TerminateCallback = nullptr;
    TSocket::CleanupSockets();
}

void TPerformanceMonitor::Run()
{
    while (!IsStopRequested())
    {
        Pass(g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f);
        SleepSeconds(PASS_SECONDS);
    }
}

void TPerformanceMonitor::Pass(f32 frameTime)
{
    if (g_pTimer)
    {
        m_fElapsed += PASS_SECONDS;
        if (m_fElapsed >= TELEMETRY_REPORT_PERIOD)
            m_nRequestFlags |= REQUEST_FRAME_RATE;
        m_fFrameTimeSum += frameTime;
        ++m_nSamples;
    }
    if (m_nRequestFlags & REQUEST_FRAME_RATE)
    {
        m_nRequestFlags &= ~REQUEST_FRAME_RATE;
        const f32 average = m_nSamples ? m_fFrameTimeSum / static_cast<f32>(m_nSamples) : 0.0f;
        const f32 reported = average > 0.0f ? 1.0f / average : average;
        char text[FRAME_RATE_TEXT];
        FormatStringN(text, sizeof text, "fps=%.1f; detail=%d; id=%d", reported, DetailLevel(), 0);
        SendText(TELEMETRY_FRAME_RATE, text);
        m_fFrameTimeSum = 0.0f;
        m_nSamples = 0;
        m_fElapsed = 0.0f;
    }
    // Taken before it is sent: the stop report's sender finds it either here or still due.
    if (m_nRequestFlags.fetch_and(~REQUEST_STATE) & REQUEST_STATE)
        SendText(TELEMETRY_STATE, "");
}

u32 TPerformanceMonitor::BuildMessage(u8 (&buffer)[TELEMETRY_MESSAGE_SIZE], u32 type, const char* text) const
{
    // Zeroed whole: the two bytes past the text's zero belong to the message.
    std::memset(buffer, 0, sizeof buffer);
    Put(buffer, 4, type);
    Put(buffer, 8, m_nProductId);
    Put(buffer, 12, m_nVersionId);
    std::memcpy(buffer + 16, &m_nInstallationId, 8);
    u32 textAt = 28;
    if (type == TELEMETRY_STATE)
    {
        Put(buffer, 24, m_nStateKind);
        Put(buffer, 28, m_nState.load());
        textAt = 44;
    }
    const u32 room = TELEMETRY_MESSAGE_SIZE - textAt - 3;
    const u32 length =
        static_cast<u32>(std::strlen(text)) < room ? static_cast<u32>(std::strlen(text)) : room;
    Put(buffer, textAt - 4, length);
    std::memcpy(buffer + textAt, text, length);
    const u32 total = textAt + length + 3;
    Put(buffer, 0, total);
    return total;
}

u32 TPerformanceMonitor::Send(const u8* message, u32 length)
{
    char host[128];
    u32 port = 0;
    GetTelemetryServer(host, port);
    winsock::SOCKET socket = winsock::INVALID_SOCKET;
    if (TSocket::Connect(&socket, host, TELEMETRY_CONNECT_MILLISECONDS, port) != 0)
    {
        TSocket::Close(&socket);
        return 2;
    }
    TSocket::Send(&socket, message, length, TELEMETRY_SEND_MILLISECONDS);
    TSocket::ShutdownAndDrain(&socket);
    return 0;
}

u32 TPerformanceMonitor::SendText(u32 type, const char* text)
{
    u8 message[TELEMETRY_MESSAGE_SIZE];
    return Send(message, BuildMessage(message, type, text));
}

void TPerformanceMonitor::SendFault(const char* info, const char* comment)
{
    char text[FAULT_TEXT];
    FormatStringN(text, sizeof text, "track=%d.%d; info='%s'; comment='%s'",
                  g_ManagerManager.GetTrackActivity(), g_ManagerManager.GetTrackStep(), info,
                  comment ? comment : "");
    text[FAULT_TEXT_MOST] = 0;
    SendText(TELEMETRY_CRASH, text);
}

void TPerformanceMonitor::OnCrash(TExceptionHandlerInfo*)
{
    g_PerformanceMonitor.SendFault("crash", "");
}

void TPerformanceMonitor::OnAbort(const char* message)
{
    g_PerformanceMonitor.SendFault("abort", message);
}
