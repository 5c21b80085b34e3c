#include "app/batch_listing.h"

#include "platform/list_collation.h"
#include "thumbs/source_listing.h"

#include <QDir>
#include <algorithm>

namespace tess {

namespace {

QStringList subfolders(const QString &folder)
{
    // Without QDir::Hidden dot-names stay out; NoSymLinks keeps links to folders out.
    QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    names.removeIf([](const QString &name) { return name.startsWith(QLatin1Char('.')); });
    std::sort(names.begin(), names.end(), listBoxLess);
    return names;
}

void walk(const QString &root, const QString &relative, bool recursive, BatchListing &listing)
{
    const QString folder = relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
    SourceListing pictures = ListSourceFolder(folder);
    if (pictures.failure) {
        listing.failures.push_back(*pictures.failure);
        return;
    }
    listing.folders.push_back({relative, std::move(pictures.names)});
    if (!recursive)
        return;
    for (const QString &name : subfolders(folder))
        walk(root, relative.isEmpty() ? name : relative + QLatin1Char('/') + name, recursive, listing);
}

} // namespace

int BatchListing::pictureCount() const
{
    int count = 0;
    for (const BatchFolder &folder : folders)
        count += int(folder.names.size());
    return count;
}

BatchListing listBatchFolders(const QString &root, bool recursive)
{
    BatchListing listing;
    walk(root, QString(), recursive, listing);
    return listing;
}

} // namespace tess
