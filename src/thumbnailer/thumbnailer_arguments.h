#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <variant>

namespace tess {

// What a file manager asks of the thumbnailer: `-s SIZE INPUT OUTPUT`.
struct ThumbnailerRequest {
    int size = 0;
    QByteArray input;  // a path, as the file system spells it
    QByteArray output; // likewise
};

// Help or the version, asked for instead of a thumbnail.
enum class ThumbnailerQuery { Help, Version };

// The request, the query, or what is wrong with the arguments (argv without
// the program's name).
using ThumbnailerArguments = std::variant<ThumbnailerRequest, ThumbnailerQuery, QString>;
ThumbnailerArguments parseThumbnailerArguments(const QList<QByteArray> &arguments);

// The file an INPUT names: a path as it is, or a local file:// URI (an empty
// host or "localhost") percent-decoded byte for byte. Empty for a URI of
// another scheme or host, a bad escape, or a NUL byte.
QByteArray pathOfInput(const QByteArray &input);

// The one line of usage.
extern const char kThumbnailerUsage[];

} // namespace tess
