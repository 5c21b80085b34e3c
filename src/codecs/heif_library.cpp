#include "codecs/heif_library.h"

namespace tess {

const HeifCalls *loadedHeif()
{
    static const HeifCalls *const loaded = []() -> const HeifCalls * {
        static HeifCalls calls;
        void *library = openLateLibrary(TESS_LIBHEIF_SONAME);
        return library TESS_HEIF_CALLS(TESS_LATE_BIND) ? &calls : nullptr;
    }();
    return loaded;
}

} // namespace tess
