#pragma once

#include <QString>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace corvel::test {

// A server that takes every connection on 127.0.0.1 and never says a word: what a hung SQL
// Server looks like to a client. The kernel completes the connections; the listener only counts
// them and keeps them open.
class SilentListener
{
public:
    // Port 0 takes a free port. A given port may be in use by another program for a while (a
    // second run of the same test): it is tried again until `patience` has passed.
    explicit SilentListener(quint16 port = 0,
                            std::chrono::milliseconds patience = std::chrono::seconds(10))
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (!listen(port) && errno == EADDRINUSE && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~SilentListener()
    {
        for (int fd : m_accepted)
            ::close(fd);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SilentListener(const SilentListener &) = delete;
    SilentListener &operator=(const SilentListener &) = delete;

    bool isListening() const { return m_fd >= 0; }
    const QString &error() const { return m_error; }
    quint16 port() const { return m_port; }

    // Connections made so far.
    int connections()
    {
        for (int fd = ::accept(m_fd, nullptr, nullptr); fd >= 0;
             fd = ::accept(m_fd, nullptr, nullptr))
            m_accepted.push_back(fd);
        return int(m_accepted.size());
    }

private:
    bool listen(quint16 port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int yes = 1;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0 &&
            ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
            ::listen(fd, 64) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0) {
            m_fd = fd;
            m_port = ntohs(address.sin_port);
            return true;
        }
        const int reason = errno;
        m_error = QString::fromLocal8Bit(std::strerror(reason));
        if (fd >= 0)
            ::close(fd);
        errno = reason;
        return false;
    }

    int m_fd = -1;
    quint16 m_port = 0;
    QString m_error;
    std::vector<int> m_accepted;
};

} // namespace corvel::test
