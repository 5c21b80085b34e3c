#include "codecs/late_library.h"

#include <dlfcn.h>

namespace tess {

void *openLateLibrary(const char *soname)
{
    // Never closed: the functions taken from it live as long as the process.
    return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

void *lateSymbol(void *library, const char *name)
{
    return ::dlsym(library, name);
}

} // namespace tess
