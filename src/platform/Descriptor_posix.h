#pragma once

#include <unistd.h>
#include <utility>

namespace corvel {

// An open file descriptor, closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const noexcept { return m_fd; }
    int release() noexcept { return std::exchange(m_fd, -1); }
    // A network file system may report a failed write only here.
    bool close() { return ::close(release()) == 0; }

private:
    int m_fd;
};

} // namespace corvel
