#pragma once
#include "platform/failure.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace tess {

// Attribute bits as the folder listing knows them.
enum FileAttribute : int {
    AttributeReadOnly = 1,
    AttributeHidden = 2,
    AttributeSystem = 4,
    AttributeDirectory = 16,
    AttributeArchive = 32,
};

// The attribute word of a folder entry, links followed. A regular file the
// user may write is archive (32); one the user may not write is read-only (1).
// "May write" is read from the permission bits of the class the user falls in
// (owner, group, others), not from access(2), so that a superuser sees the
// same read-only files as their owner. A name starting with "." adds hidden;
// a folder is a directory; sockets, devices and pipes are system. No entry is
// ever 0. Nothing when the entry can't be examined (vanished, a dangling link).
std::optional<int> fileAttributes(const QString &path);

// True when the file can be opened for reading. One trailing "/" is removed
// first; a folder of that name, a missing file or one the user may not read
// gives false.
bool FileExists(const QString &path);

// Which file a path names, links followed: two paths with the same identity
// are the same file (hard links included).
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};
std::optional<FileIdentity> fileIdentity(const QString &path);

// Makes the folder and any missing folders above it, by the path's bytes.
// True when the path is a folder afterwards.
bool makeFolderPath(const QString &path);

// The cause of a failed system call as a short Japanese sentence.
QString systemErrorText(int errorNumber);

// Writes data as the whole content of path. The bytes go to a hidden temporary
// file in the same folder, which replaces path only once it is complete, so an
// earlier file of that name stays as it was when anything fails and a reader
// never sees half a file. A file it replaces keeps its permissions. The
// failure names path and the cause ("ファイルを書き込めません。" ...).
std::optional<Failure> writeFileAtomically(const QString &path, const QByteArray &data);

// Writes data as the whole content of path, a file the user keeps (settings):
// an existing file the user may not write (by its permission bits, as for the
// listing) is refused; otherwise it is replaced atomically as above, keeping
// its mode and owner. Where a replacement would not keep the file (several
// hard links, a symbolic link, another user's file that only the superuser
// could give away) or the folder refuses new files (read-only, immutable),
// the file is written in place instead.
std::optional<Failure> rewriteFile(const QString &path, const QByteArray &data);

} // namespace tess
