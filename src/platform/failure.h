#pragma once
#include <QString>

namespace tess {

// What went wrong with one file, told as the user reads it: the file's path and
// a short Japanese sentence for the cause.
struct Failure {
    QString file;
    QString message;

    // "<file>\n<message>", or the message alone when no file is involved.
    QString text() const { return file.isEmpty() ? message : file + QLatin1Char('\n') + message; }
};

} // namespace tess
