#pragma once
// TLoopbackPeer: a scripted TCP server on 127.0.0.1 for the network clients' tests. It listens
// on a port of its own and runs its script for each connection it accepts, in turn, on a
// thread of its own; every byte it reads is recorded per connection. Scripts read, answer,
// wait, trickle bytes one at a time, cut the connection or leave it open.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TPeerConnection
{
public:
    explicit TPeerConnection(int descriptor) : m_nDescriptor(descriptor) {}
    // Exactly count bytes, or fewer when the client closes or the time (ms) runs out.
    std::string Read(size_t count, int milliseconds = 2000);
    // Everything until the client closes (or the time runs out).
    std::string ReadToEnd(int milliseconds = 2000);
    void Write(const std::string& bytes);
    // One byte at a time, waiting between bytes.
    void Trickle(const std::string& bytes, int millisecondsPerByte);
    static void Sleep(int milliseconds);
    // Closes at once (the client's next read sees the end).
    void Close();
    // What was read so far.
    const std::string& Received() const { return m_Received; }

private:
    int m_nDescriptor;
    std::string m_Received;
};

typedef std::function<void(TPeerConnection&)> TPeerScript;

class TLoopbackPeer
{
public:
    explicit TLoopbackPeer(TPeerScript script);
    ~TLoopbackPeer();
    TLoopbackPeer(const TLoopbackPeer&) = delete;
    TLoopbackPeer& operator=(const TLoopbackPeer&) = delete;

    uint16_t Port() const { return m_nPort; }
    // The bytes read on each finished connection, in order.
    std::vector<std::string> Received();
    int Connections() const { return m_nConnections.load(); }
    // Waits (up to the time in ms) until count connections have finished their scripts.
    bool WaitForConnections(int count, int milliseconds = 3000);

    // A port of 127.0.0.1 where nothing listens.
    static uint16_t ClosedPort();


private:
    void Serve();

    TPeerScript m_Script;
    int m_nListener;
    uint16_t m_nPort;
    std::atomic<bool> m_bStop;
    std::atomic<int> m_nConnections;
    std::mutex m_Lock;
    std::vector<std::string> m_aReceived;
    std::thread m_Thread;
};

// A listener whose queue of connections is full and never taken: the system drops further
// attempts to connect, so they run out of time.
class TFullListener
{
public:
    TFullListener();
    ~TFullListener();
    uint16_t Port() const { return m_nPort; }

private:
    int m_nListener;
    uint16_t m_nPort;
    std::vector<int> m_aQueued;
};
