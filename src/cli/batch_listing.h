#pragma once
#include "platform/failure.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tess {

// The pictures of one folder of a run, listed as the window lists them.
struct BatchFolder {
    QString relative; // below the source folder, "" for the source folder itself
    QStringList names;
    friend bool operator==(const BatchFolder &, const BatchFolder &) = default;
};

struct BatchListing {
    std::vector<BatchFolder> folders;
    std::vector<Failure> failures; // folders that could not be read
    int pictureCount() const;
};

// The source folder's pictures; with recursive, then those of each subfolder
// in list-box order, each subfolder's own subfolders right after it. Hidden
// folders and links to folders are not entered, so the walk stays inside the
// tree and ends. Folders without pictures are listed too (with no names).
// A subfolder that is outputFolder is not entered either: a run writing into
// its own tree must not take the thumbnails of an earlier run for pictures.
BatchListing listBatchFolders(const QString &root, bool recursive, const QString &outputFolder = {});

} // namespace tess
