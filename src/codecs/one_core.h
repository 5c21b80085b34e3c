#pragma once
#include <sched.h>

namespace tess {

// Keeps the calling thread on one core while it lives; leases held at the
// same time get different cores while there are enough. Some decoders (the
// AV1 one libheif uses) start a thread per core they may run on for every
// picture; the engine already decodes one file per core, and a pool per file
// beside it only makes the files wait on each other and holds a frame buffer
// per thread.
class OneCoreLease {
public:
    OneCoreLease();
    ~OneCoreLease();
    OneCoreLease(const OneCoreLease &) = delete;
    OneCoreLease &operator=(const OneCoreLease &) = delete;

    // The core the thread is kept on, or -1 when it was left as it was.
    int core() const { return m_core; }

private:
    cpu_set_t m_saved;
    int m_core = -1;
};

} // namespace tess
