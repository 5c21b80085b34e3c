// A confined process keeps what it holds and can reach nothing else. Each
// case runs in a child of its own, which confines itself and tries one thing.
#include "thumbnailer/confinement.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// What the child's attempt came to.
enum Outcome : int { Refused = 10, Allowed = 11, Unexpected = 12 };

struct Attempt {
    const char *name;
    int (*attempt)(int held); // an Outcome; `held` is a file opened before confining
    Outcome expected;
};

int refusedIf(bool failed)
{
    if (!failed)
        return Allowed;
    return errno == EPERM ? Refused : Unexpected;
}

const Attempt kAttempts[] = {
    {"open a file", [](int) { return refusedIf(::open("/etc/hostname", O_RDONLY | O_CLOEXEC) < 0); }, Refused},
    {"start a program", [](int) {
         char *const argv[] = {const_cast<char *>("true"), nullptr};
         return refusedIf(::execve("/bin/true", argv, environ) < 0);
     }, Refused},
    {"fork", [](int) {
         const pid_t child = ::fork();
         if (child == 0)
             ::_exit(0);
         return refusedIf(child < 0);
     }, Refused},
    {"make a socket", [](int) { return refusedIf(::socket(AF_INET, SOCK_STREAM, 0) < 0); }, Refused},
    {"be traced", [](int) { return refusedIf(::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) < 0); }, Refused},
    {"remove a file", [](int) { return refusedIf(::unlink("/tmp/tessarolith-confinement-none") < 0); }, Refused},
    {"read the held file", [](int held) -> int {
         char byte = 0;
         return ::pread(held, &byte, 1, 0) == 1 ? Allowed : Unexpected;
     }, Allowed},
    {"start a thread and allocate", [](int) -> int {
         int done = 0;
         std::thread worker([&] { done = int(std::vector<char>(64 << 20, 1).back()); });
         worker.join();
         return done == 1 ? Allowed : Unexpected;
     }, Allowed},
};

class Confinement : public ::testing::TestWithParam<Attempt> {};

TEST_P(Confinement, HoldsOnlyWhatItHeld)
{
    const Attempt &a = GetParam();
    const int held = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (tess::confineToHeldFiles())
            ::_exit(1);
        ::_exit(a.attempt(held));
    }
    ::close(held);
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), a.expected) << a.name;
}

INSTANTIATE_TEST_SUITE_P(Attempts, Confinement, ::testing::ValuesIn(kAttempts), [](const auto &info) {
    std::string name = info.param.name;
    for (char &c : name)
        c = c == ' ' ? '_' : c;
    return name;
});

} // namespace
