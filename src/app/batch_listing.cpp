#include "app/batch_listing.h"

#include "platform/list_collation.h"
#include "thumbs/source_listing.h"

#include <QDir>
#include <QFileInfo>
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

struct Walk {
    QString root;
    bool recursive = false;
    QString outputFolder; // canonical, or empty
};

void walk(const Walk &how, const QString &relative, BatchListing &listing)
{
    const QString &root = how.root;
    const QString folder = relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
    SourceListing pictures = ListSourceFolder(folder);
    if (pictures.failure) {
        listing.failures.push_back(*pictures.failure);
        return;
    }
    listing.folders.push_back({relative, std::move(pictures.names)});
    if (!how.recursive)
        return;
    for (const QString &name : subfolders(folder)) {
        const QString sub = folder + QLatin1Char('/') + name;
        if (!how.outputFolder.isEmpty() && QFileInfo(sub).canonicalFilePath() == how.outputFolder)
            continue;
        walk(how, relative.isEmpty() ? name : relative + QLatin1Char('/') + name, listing);
    }
}

} // namespace

int BatchListing::pictureCount() const
{
    int count = 0;
    for (const BatchFolder &folder : folders)
        count += int(folder.names.size());
    return count;
}

BatchListing listBatchFolders(const QString &root, bool recursive, const QString &outputFolder)
{
    BatchListing listing;
    const QString output = outputFolder.isEmpty() ? QString() : QFileInfo(outputFolder).canonicalFilePath();
    walk({root, recursive, output}, QString(), listing);
    return listing;
}

} // namespace tess
