#pragma once

namespace tess {

// How many threads the libraries that start their own (LibRaw, on OpenMP's)
// use for what the calling thread decodes from now on. OpenMP keeps the
// count for each thread, so it is set on the thread that decodes.
void setLibraryThreads(int threads);

} // namespace tess
