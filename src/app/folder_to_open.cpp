#include "app/folder_to_open.h"

#include "platform/file_names.h"
#include "platform/file_services.h"
#include "thumbs/source_listing.h"

#include <QDir>
#include <algorithm>

namespace tess {

std::optional<QString> folderToOpen(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    // By the path's bytes, so a folder whose name is not UTF-8 opens too.
    const QString absolute =
        QDir::cleanPath(path.startsWith(QLatin1Char('/')) ? path : currentFolder() + QLatin1Char('/') + path);
    const std::optional<int> attributes = fileAttributes(absolute);
    if (!attributes)
        return std::nullopt;
    if (*attributes & AttributeDirectory)
        return absolute;
    const qsizetype slash = absolute.lastIndexOf(QLatin1Char('/'));
    const QString name = absolute.mid(slash + 1);
    if ((*attributes & (AttributeArchive | AttributeReadOnly))
        && std::any_of(pictureWildcards().begin(), pictureWildcards().end(),
                       [&](const QString &wildcard) { return matchesWildcard(name, wildcard); }))
        return slash > 0 ? absolute.left(slash) : QStringLiteral("/");
    return std::nullopt;
}

std::optional<QString> folderToOpen(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            // From the percent-encoded bytes: toLocalFile() would lose a name that is not UTF-8.
            return folderToOpen(nameFromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())));
    }
    return std::nullopt;
}

} // namespace tess
