#pragma once
// Files whose names are bytes that need not be UTF-8, made and removed by those
// bytes: Qt's own file classes go through UTF-8 and can't reach them (a
// QTemporaryDir would leave them behind, and then fail to remove its folder).
#include "platform/file_names.h"
#include "support/file_bytes.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace test_files {

inline QByteArray folderBytes(const QString &folder)
{
    return tess::nativePath(folder);
}

// Writes content to folder/name, name taken byte for byte. False on failure.
inline bool writeRaw(const QString &folder, const QByteArray &name, const QByteArray &content)
{
    const QByteArray path = folderBytes(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), std::size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

// The file's bytes, or nothing when it can't be read.
inline QByteArray readRaw(const QString &folder, const QByteArray &name)
{
    return fileBytes(folderBytes(folder) + '/' + name).value_or(QByteArray());
}

// The folder's entry names as bytes, sorted bytewise, without "." and "..".
inline QList<QByteArray> rawNames(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(folderBytes(folder).constData());
    if (dir == nullptr)
        return names;
    while (const dirent *d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// Removes the folder's files by their bytes, so its QTemporaryDir can go.
inline void removeRawNames(const QString &folder)
{
    for (const QByteArray &name : rawNames(folder))
        ::unlink((folderBytes(folder) + '/' + name).constData());
}

} // namespace test_files
