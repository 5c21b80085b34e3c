#pragma once

// libheif (with the x265, aom, dav1d and libde265 it links) and libjxl (with
// highway and brotli) take a third of the program's start-up to map and set
// up, and most folders hold none of their pictures: their readers open them
// when the first such picture comes (heif_library.h, jxl_library.h). Each
// library's binding lists the functions its reader and encoder call:
//
//   #define TESS_HEIF_CALLS(X) X(heif_, context_alloc) X(heif_, context_free)
//   struct HeifCalls { TESS_HEIF_CALLS(TESS_LATE_MEMBER) };
//   ... void *library = openLateLibrary(soname);
//   ... bool found = library TESS_HEIF_CALLS(TESS_LATE_BIND);  // fills `calls`
//
// and calls them as calls.context_alloc(), with the library's own types.

#define TESS_LATE_MEMBER(prefix, name) decltype(&::prefix##name) name = nullptr;
#define TESS_LATE_BIND(prefix, name) &&tess::bindLate(library, #prefix #name, calls.name)

namespace tess {

// The library of that soname, opened once for the process; null when it is
// not installed.
void *openLateLibrary(const char *soname);

void *lateSymbol(void *library, const char *name);

template <typename Function>
bool bindLate(void *library, const char *name, Function *&function)
{
    function = reinterpret_cast<Function *>(lateSymbol(library, name));
    return function != nullptr;
}

} // namespace tess
