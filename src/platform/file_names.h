#pragma once
#include <QByteArray>
#include <QString>

namespace tess {

// File names on Linux are bytes, and a folder copied from an old archive or a
// Japanese Windows share holds names that are not UTF-8. The program keeps
// every name as a QString all the same, through a mapping that loses nothing:
// valid UTF-8 reads as usual, and each byte that is not part of valid UTF-8
// becomes the lone low surrogate U+DC00 + byte (U+DC80 to U+DCFF), which valid
// UTF-8 never gives. Listing, engine and output naming then work on QStrings
// unchanged, and a thumbnail's name carries its source's base-name bytes.

// The bytes a system call takes for a path or name read back by
// nameFromNative: the exact bytes the file system gave. Every path that goes
// to open(), stat(), opendir() and the like passes through here. A lone
// surrogate that nameFromNative never gives (outside U+DC80 to U+DCFF) is
// written as U+FFFD.
QByteArray nativePath(const QString &path);

// A name or path as the file system or the command line gives it.
QString nameFromNative(const QByteArray &bytes);

// The working folder by its bytes (QDir::currentPath would lose a name that
// is not UTF-8); empty when it can't be read.
QString currentFolder();

// True when the name holds bytes that are not UTF-8.
bool hasRawBytes(const QString &name);

// What the user reads for a name or path, one "/"-separated part at a time:
// the part itself when it is UTF-8; otherwise its bytes read as Shift-JIS
// (CP932) when they decode cleanly to ordinary characters; otherwise the UTF-8
// that is there with each other byte shown as "\xE9". Control characters are
// escaped too ("\n", "\t", "\x1B", "\u0085"), so a name always takes one line.
// Only for showing: the text need not lead back to the file.
QString displayName(const QString &name);

} // namespace tess
