#include "thumbnailer/confinement.h"

#include <seccomp.h>

#include <cerrno>
#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

namespace tess {

namespace {

// Calls that touch nothing but what the process already holds.
constexpr int kAllowed[] = {
    // The files held: the picture, the pipe the thumbnail goes out by, stderr.
    SCMP_SYS(read), SCMP_SYS(pread64), SCMP_SYS(readv), SCMP_SYS(preadv), SCMP_SYS(write), SCMP_SYS(pwrite64),
    SCMP_SYS(writev), SCMP_SYS(lseek), SCMP_SYS(fstat), SCMP_SYS(close), SCMP_SYS(fcntl),
    // Memory.
    SCMP_SYS(mmap), SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(mprotect), SCMP_SYS(madvise), SCMP_SYS(brk),
    // Threads (clone itself below) and their waiting.
    SCMP_SYS(futex), SCMP_SYS(set_robust_list), SCMP_SYS(rseq), SCMP_SYS(sched_yield),
    SCMP_SYS(sched_getaffinity), SCMP_SYS(sched_setaffinity), SCMP_SYS(gettid), SCMP_SYS(getpid),
    SCMP_SYS(membarrier),
    // Signals and the end.
    SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigaction), SCMP_SYS(rt_sigreturn), SCMP_SYS(sigaltstack),
    SCMP_SYS(exit), SCMP_SYS(exit_group),
    // Time and randomness.
    SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres), SCMP_SYS(gettimeofday), SCMP_SYS(nanosleep),
    SCMP_SYS(clock_nanosleep), SCMP_SYS(getrandom),
};

} // namespace

std::optional<QString> confineToHeldFiles()
{
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EPERM));
    if (!filter)
        return QStringLiteral("制限を設定できません。");
    bool ok = true;
    for (const int call : kAllowed)
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
    // A thread, never a new process: clone only with CLONE_THREAD. clone3
    // passes its flags in memory a filter cannot read, so it says it is
    // missing and the C library falls back to clone.
    ok = ok
        && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                            SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)) == 0
        && seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    // Looking at a held file by its descriptor, as the C library's fstat does
    // (a path given beside the flag would yield a size and times, never bytes).
    ok = ok
        && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(newfstatat), 1,
                            SCMP_A3(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH)) == 0
        && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(statx), 1,
                            SCMP_A2(SCMP_CMP_MASKED_EQ, AT_EMPTY_PATH, AT_EMPTY_PATH)) == 0;
    // Limits read, never raised; signals to this process alone (abort()).
    ok = ok
        && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 2, SCMP_A0(SCMP_CMP_EQ, 0),
                            SCMP_A2(SCMP_CMP_EQ, 0)) == 0
        && seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1,
                            SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(::getpid()))) == 0;
    // Every thread the process has, should a library have started one already.
    ok = ok && seccomp_attr_set(filter, SCMP_FLTATR_CTL_TSYNC, 1) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    if (!ok)
        return QStringLiteral("制限を設定できません。");
    return std::nullopt;
}

} // namespace tess
