#include "platform/DetachedProcess.h"

#include <QFile>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

namespace corvel {

namespace {

// Owns the attributes so every return path destroys them.
class SpawnAttributes
{
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&m_attributes);
        // Signals the launcher ignores or blocks would otherwise stay so in the module.
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        posix_spawnattr_setsigdefault(&m_attributes, &defaults);
        posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                    POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&m_attributes); }
    SpawnAttributes(const SpawnAttributes &) = delete;
    SpawnAttributes &operator=(const SpawnAttributes &) = delete;

    const posix_spawnattr_t *get() const { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

} // namespace

bool DetachedProcess::start(const QString &program, const QStringList &arguments, qint64 *pid)
{
    std::vector<QByteArray> encoded{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        encoded.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const SpawnAttributes attributes;
    pid_t child = 0;
    if (posix_spawn(&child, argv.front(), nullptr, attributes.get(), argv.data(), environ) != 0)
        return false;
    // The module is the launcher's child: collect its exit status so it does not linger as a
    // zombie for as long as the launcher runs.
    std::thread([child] { waitpid(child, nullptr, 0); }).detach();
    if (pid != nullptr)
        *pid = child;
    return true;
}

} // namespace corvel
