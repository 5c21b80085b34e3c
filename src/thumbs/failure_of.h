#pragma once
#include "platform/failure.h"

#include <exception>

namespace tess {

// A file's failure for an exception that ended its work: out of memory says
// so, anything else is an error in processing. Whatever throws (a library, a
// callback of the front end) fails that file alone, never the program.
Failure failureOf(const std::exception_ptr &error, const QString &file);

} // namespace tess
