#include "codecs/jxl_library.h"

namespace tess {

const JxlCalls *loadedJxl()
{
    static const JxlCalls *const loaded = []() -> const JxlCalls * {
        static JxlCalls calls;
        void *library = openLateLibrary(TESS_LIBJXL_SONAME);
        if (!(library TESS_JXL_CALLS(TESS_LATE_BIND)))
            return nullptr;
        library = openLateLibrary(TESS_LIBJXL_THREADS_SONAME);
        calls.threads = library TESS_JXL_THREAD_CALLS(TESS_LATE_BIND);
        return &calls;
    }();
    return loaded;
}

} // namespace tess
