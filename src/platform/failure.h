#pragma once
#include "platform/file_names.h"

#include <QString>

namespace tess {

// What went wrong with one file, told as the user reads it: the file's path and
// a short Japanese sentence for the cause.
struct Failure {
    QString file;
    QString message;

    // "<file>\n<message>", or the message alone when no file is involved. The
    // file is shown as displayName shows it, so a name that is not UTF-8
    // still reads as its bytes and a newline in it can't pass for the break.
    QString text() const { return file.isEmpty() ? message : displayName(file) + QLatin1Char('\n') + message; }
};

} // namespace tess
