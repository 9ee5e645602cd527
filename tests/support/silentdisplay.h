#pragma once
// TSilentDisplay: a loopback X display that takes connections and never answers them. A program
// that opens it waits as it would for a user at a real one: until the display goes (closing
// the listening socket resets the connections nobody accepted).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

class TSilentDisplay
{
public:
    TSilentDisplay()
    {
        // Display n listens on port 6000 + n; the first free one is taken.
        for (int display = kFirstDisplay; display < kFirstDisplay + kDisplays && m_nSocket < 0; ++display)
        {
            const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(static_cast<unsigned short>(6000 + display));
            if (socket >= 0 && bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                listen(socket, 8) == 0)
            {
                m_nSocket = socket;
                m_Name = "127.0.0.1:" + std::to_string(display);
            }
            else if (socket >= 0)
                close(socket);
        }
    }
    ~TSilentDisplay() { Close(); }
    TSilentDisplay(const TSilentDisplay&) = delete;
    TSilentDisplay& operator=(const TSilentDisplay&) = delete;

    bool IsOpen() const { return m_nSocket >= 0; }
    // The DISPLAY text that names it.
    const char* GetName() const { return m_Name.c_str(); }
    // Waits up to milliseconds for a program to connect and keeps the connection unanswered;
    // false when none came.
    bool Accept(int milliseconds)
    {
        pollfd listening = {m_nSocket, POLLIN, 0};
        if (m_nSocket < 0 || poll(&listening, 1, milliseconds) != 1)
            return false;
        m_nClient = accept(m_nSocket, nullptr, nullptr);
        return m_nClient >= 0;
    }
    // Also what a forked program does first, so that only this process holds the display.
    void Close()
    {
        if (m_nClient >= 0)
            close(m_nClient);
        if (m_nSocket >= 0)
            close(m_nSocket);
        m_nClient = m_nSocket = -1;
    }

private:
    static constexpr int kFirstDisplay = 150;
    static constexpr int kDisplays = 100;
    int m_nSocket = -1;
    int m_nClient = -1;
    std::string m_Name;
};
