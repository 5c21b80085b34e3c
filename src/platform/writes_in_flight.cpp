#include "platform/writes_in_flight.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace tess {

namespace {

std::mutex &registryLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<QByteArray> &registry()
{
    static std::vector<QByteArray> paths;
    return paths;
}

void forget(const QByteArray &path)
{
    auto &paths = registry();
    const auto it = std::find(paths.begin(), paths.end(), path);
    if (it != paths.end())
        paths.erase(it);
}

} // namespace

int openTemporaryFile(const QByteArray &path, mode_t mode)
{
    // Created under the lock, so an abandon never misses a file that exists.
    std::lock_guard guard(registryLock());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0)
        registry().push_back(path);
    return fd;
}

bool commitTemporaryFile(const QByteArray &temporary, const QByteArray &target)
{
    std::lock_guard guard(registryLock());
    if (::rename(temporary.constData(), target.constData()) != 0)
        return false;
    forget(temporary);
    return true;
}

void discardTemporaryFile(const QByteArray &temporary)
{
    const int savedErrno = errno;
    std::lock_guard guard(registryLock());
    ::unlink(temporary.constData());
    forget(temporary);
    errno = savedErrno;
}

void abandonWritesInFlight()
{
    static std::atomic<bool> abandoned{false};
    if (abandoned.exchange(true))
        return;
    // The lock is never given back: a write that finishes now can't rename
    // its file into place after we have deleted it.
    registryLock().lock();
    for (const QByteArray &path : registry())
        ::unlink(path.constData());
    registry().clear();
}

} // namespace tess
