#include "cli/batch_listing.h"

#include "platform/file_names.h"
#include "platform/file_services.h"
#include "platform/list_collation.h"
#include "thumbs/source_listing.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace tess {

namespace {

// Real folders only, by their bytes: hidden ones and links to folders stay out.
QStringList subfolders(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(nativePath(folder).constData());
    if (!dir)
        return names;
    const QByteArray prefix = nativePath(folder) + '/';
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat st {};
        if (::lstat((prefix + entry->d_name).constData(), &st) == 0 && S_ISDIR(st.st_mode))
            names.append(nameFromNative(QByteArray(entry->d_name)));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return listBoxLess(displayName(a), displayName(b)); });
    return names;
}

struct Walk {
    QString root;
    bool recursive = false;
    std::optional<FileIdentity> outputFolder;
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
        if (how.outputFolder && fileIdentity(sub) == how.outputFolder)
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
    const auto output = outputFolder.isEmpty() ? std::nullopt : fileIdentity(outputFolder);
    walk({root, recursive, output}, QString(), listing);
    return listing;
}

} // namespace tess
