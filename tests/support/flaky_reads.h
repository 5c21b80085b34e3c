#pragma once
// Stand-ins for pread, handed to a PictureFile, that behave as slow or
// troubled descriptors do: few bytes at a time, interrupted calls, failures.
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>

namespace tess::testing {

// Calls made through the stand-ins since the test last cleared it.
inline thread_local int flakyCalls = 0;

// Every other call interrupted before it reads; the others read 1 to 13
// bytes, a different count each time, so that no chunk a library asks for
// comes whole.
inline ssize_t shortAndInterruptedRead(int fd, void *buffer, std::size_t length, off_t offset)
{
    const int call = flakyCalls++;
    if (call % 2 == 0) {
        errno = EINTR;
        return -1;
    }
    return ::pread(fd, buffer, std::min<std::size_t>(length, std::size_t(1 + call % 13)), offset);
}

// Reads as pread does until the file's bytes from kFailingFrom on are asked
// for; then fails as a broken disk does.
inline constexpr off_t kFailingFrom = 100;
inline ssize_t readFailingPastStart(int fd, void *buffer, std::size_t length, off_t offset)
{
    ++flakyCalls;
    if (offset >= kFailingFrom) {
        errno = EIO;
        return -1;
    }
    return ::pread(fd, buffer, std::min<std::size_t>(length, std::size_t(kFailingFrom - offset)), offset);
}

} // namespace tess::testing
