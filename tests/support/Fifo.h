#pragma once

#include <QFile>
#include <QString>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace corvel::test {

// A FIFO at `path` whose reader is never left waiting: while it exists, a writer end is opened
// and closed again as soon as a reader waits in open(), so code that blocks on it returns (having
// read nothing) instead of hanging the test; readerWaited() then says it did block.
class Fifo
{
public:
    explicit Fifo(const QString &path)
        : m_path(QFile::encodeName(path)), m_made(::mkfifo(m_path.constData(), 0644) == 0),
          m_releaser([this] { release(); })
    {}
    ~Fifo()
    {
        m_stop = true;
        m_releaser.join();
    }
    Fifo(const Fifo &) = delete;
    Fifo &operator=(const Fifo &) = delete;

    bool made() const { return m_made; }
    bool readerWaited() const { return m_readerWaited; }

private:
    void release()
    {
        while (!m_stop) {
            // Opening the writing end without blocking succeeds only while a reader is there.
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                m_readerWaited = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    QByteArray m_path;
    bool m_made;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_readerWaited{false};
    std::thread m_releaser;
};

} // namespace corvel::test
