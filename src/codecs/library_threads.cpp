#include "codecs/library_threads.h"

#include <dlfcn.h>

#include <algorithm>

namespace tess {

// The symbol is looked up where LibRaw loaded it, so that we link no OpenMP
// runtime of our own.
void setLibraryThreads(int threads)
{
    using SetThreads = void (*)(int);
    static const auto set = reinterpret_cast<SetThreads>(::dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
    if (set)
        set(std::max(1, threads));
}

} // namespace tess
