#include "app/folder_to_open.h"

#include "thumbs/source_listing.h"

#include <QDir>
#include <QFileInfo>

namespace tess {

std::optional<QString> folderToOpen(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (info.isDir())
        return QDir::cleanPath(info.absoluteFilePath());
    if (info.isFile()
        && (matchesWildcard(info.fileName(), QStringLiteral("*.bmp"))
            || matchesWildcard(info.fileName(), QStringLiteral("*.jpg"))))
        return QDir::cleanPath(info.absolutePath());
    return std::nullopt;
}

std::optional<QString> folderToOpen(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            return folderToOpen(url.toLocalFile());
    }
    return std::nullopt;
}

} // namespace tess
