// One account request of a session (a poll) against a loopback server, the protocol's step
// called directly (the connect to the session's server, the message built and enciphered, the
// reply received, deciphered and read), against
// a plain connect, send and receive of the same bytes to the same server in the same run; and
// enciphering 4,096 bytes against Crypto++'s ECB mode alone.
#include "network/account/accountcipher.h"
#include "network/account/accountprotocol.h"
#include "network/account/accountservers.h"

#include <benchmark/benchmark.h>
#include <cryptopp/aes.h>
#include <cryptopp/modes.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{
bool ReadAll(int descriptor, void* buffer, size_t size)
{
    char* bytes = static_cast<char*>(buffer);
    for (size_t done = 0; done < size;)
    {
        const ssize_t got = recv(descriptor, bytes + done, size - done, 0);
        if (got <= 0)
            return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

// A server that reads one request (header and the body it announces) per connection and
// answers: a session to a login, status 0 and no message to anything else.
class TServer
{
public:
    TServer()
    {
        m_nListener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_nListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        getsockname(m_nListener, reinterpret_cast<sockaddr*>(&address), &size);
        m_nPort = ntohs(address.sin_port);
        listen(m_nListener, 64);
        m_Reply = Framed(std::string(16, '\0'));
        // Status 0, session number and key, state, three empty texts, the values.
        std::string session(1 + 4 + 4 + 1 + 3 + 4 + 4 + 8 + 8, '\0');
        session[1] = 7;
        session[5] = 9;
        m_LoginReply = Framed(session);
        m_Thread = std::thread([this] { Serve(); });
    }
    ~TServer()
    {
        m_bStop = true;
        shutdown(m_nListener, SHUT_RDWR);
        m_Thread.join();
        close(m_nListener);
    }
    uint16_t Port() const { return m_nPort; }

private:
    // The u32 length and the body padded to whole blocks and enciphered.
    static std::string Framed(std::string body)
    {
        body.resize((body.size() + 15) / 16 * 16, '\0');
        AccountEncipher(TAccountKey::Reply, reinterpret_cast<u8*>(body.data()),
                        static_cast<u32>(body.size()));
        const u32 length = static_cast<u32>(body.size());
        return std::string(reinterpret_cast<const char*>(&length), 4) + body;
    }

    void Serve()
    {
        while (!m_bStop)
        {
            const int connection = accept(m_nListener, nullptr, nullptr);
            if (connection < 0)
                continue;
            u8 header[16];
            u16 length = 0;
            char body[4096];
            u16 code = 0;
            if (ReadAll(connection, header, 16) && (std::memcpy(&length, header + 6, 2), true) &&
                ReadAll(connection, body, length))
            {
                std::memcpy(&code, header + 14, 2);
                const std::string& reply = code == 40 ? m_LoginReply : m_Reply;
                send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
            close(connection);
        }
    }

    int m_nListener;
    uint16_t m_nPort;
    std::string m_Reply;
    std::string m_LoginReply;
    std::atomic<bool> m_bStop{false};
    std::thread m_Thread;
};

TServer& Server()
{
    static TServer s_Server;
    static const bool s_bListed = [] {
        g_AccountServers.Set(("127.0.0.1:" + std::to_string(s_Server.Port())).c_str());
        return true;
    }();
    (void)s_bListed;
    return s_Server;
}

void AccountRequest(benchmark::State& state)
{
    Server();
    TAccountProtocol protocol;
    TAccountRequest login;
    login.nKind = ACCOUNT_LOGIN;
    protocol.Process(login);
    if (!protocol.IsLoggedIn())
        state.SkipWithError("no session");
    for (auto _ : state)
    {
        TAccountRequest poll;
        poll.nKind = ACCOUNT_POLL;
        protocol.Process(poll);
    }
}

void PlainExchange(benchmark::State& state)
{
    TServer& server = Server();
    // The same bytes as a poll: the header alone, and the reply of one block.
    char message[16] = {'V', 'E', 'M', 'O', static_cast<char>(0xEB), 3, 0, 0};
    char reply[20];
    for (auto _ : state)
    {
        const int descriptor = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(server.Port());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            send(descriptor, message, sizeof message, MSG_NOSIGNAL) != sizeof message ||
            !ReadAll(descriptor, reply, sizeof reply))
            state.SkipWithError("the plain exchange failed");
        close(descriptor);
    }
}

void Encipher4096(benchmark::State& state)
{
    u8 data[4096] = {};
    for (auto _ : state)
    {
        AccountEncipher(TAccountKey::Request, data, sizeof data);
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(state.iterations() * 4096);
}

void CryptoppEcb4096(benchmark::State& state)
{
    u8 data[4096] = {};
    const CryptoPP::byte* key = reinterpret_cast<const CryptoPP::byte*>("Hq7Rf2Lx9KwPb4Ns");
    CryptoPP::ECB_Mode<CryptoPP::AES>::Encryption ecb(key, 16);
    for (auto _ : state)
    {
        ecb.ProcessData(data, data, sizeof data);
        benchmark::DoNotOptimize(data);
    }
    state.SetBytesProcessed(state.iterations() * 4096);
}
} // namespace

BENCHMARK(AccountRequest)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(PlainExchange)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(Encipher4096)->Unit(benchmark::kNanosecond);
BENCHMARK(CryptoppEcb4096)->Unit(benchmark::kNanosecond);
