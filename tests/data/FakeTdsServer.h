#pragma once

#include <QByteArray>

#include <atomic>
#include <thread>

namespace corvel::test {

// Just enough of SQL Server's side of TDS 7.4 for FreeTDS to log in and run statements: it
// answers the pre-login without encryption, accepts any login, and ends every request with an
// empty result. A request whose text holds `stallMarker` (transaction requests read as BEGIN,
// COMMIT and ROLLBACK) gets no answer until the client cancels it, as a statement behind a lock
// does; the cancel is acknowledged, so the link stays usable. Listens on 127.0.0.1 from its own
// thread.
class FakeTdsServer
{
public:
    explicit FakeTdsServer(const QByteArray &stallMarker);
    ~FakeTdsServer();
    FakeTdsServer(const FakeTdsServer &) = delete;
    FakeTdsServer &operator=(const FakeTdsServer &) = delete;

    bool isListening() const { return m_listener >= 0; }
    quint16 port() const { return m_port; }
    int stalledRequests() const { return m_stalled; }
    int cancels() const { return m_cancels; }

private:
    void serve();
    void converse(int client);

    QByteArray m_marker; // UTF-16LE, as TDS carries statement text
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_stalled{0};
    std::atomic<int> m_cancels{0};
    std::thread m_thread;
};

} // namespace corvel::test
