#pragma once
#include <QString>
#include <QUrl>
#include <QList>
#include <optional>

namespace tess {

// The folder a path given from outside (the command line, a drop) opens, as
// the folder browser would return it: a folder itself, or the folder of a
// picture the source list would show (".bmp" or ".jpg", any case). Absolute,
// without a trailing "/" except for the root. Nothing for anything else (a
// missing path, another kind of file).
std::optional<QString> folderToOpen(const QString &path);

// The same for a drop: the first local file or folder among the URLs.
std::optional<QString> folderToOpen(const QList<QUrl> &urls);

} // namespace tess
