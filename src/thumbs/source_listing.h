#pragma once
#include "platform/failure.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tess {

struct SourceListing {
    QStringList names;              // bare file names, in list-box order
    std::optional<Failure> failure; // the folder could not be read; names is then empty
};

// The wildcards of the picture files a folder lists, in the order each pass
// takes them: the endings of bitmaps, JPEGs, PNG, GIF, WebP, TIFF, HEIF, AVIF
// and JPEG XL, as the table of picture kinds gives them. The window and
// tessarolith-batch both list through ListSourceFolder, so both take these.
const QStringList &pictureWildcards();

// The folder's pictures as the source list shows them: the entries whose name
// matches one of pictureWildcards (any case; "a.b.jpg" counts, "a.jpgx" does
// not) and whose attribute word is exactly 0, 32 or 1, collected in three
// passes by that word, the wildcards in their order in each, then sorted as
// the list box sorts.
// So hidden names, folders, links to folders, sockets and devices are never
// listed; a link to a regular file is listed like the file it points to, and a
// file the user may not read is listed too (decoding it reports why).
// The folder is read once, so a file whose attributes change during the scan
// can't be listed twice. There is no limit on the count besides memory.
// Names come as nameFromNative maps the folder's bytes, so a name that is not
// UTF-8 is listed too, sorted by what displayName shows for it.
// A window scans on a thread of its own: a large folder takes a while.
SourceListing ListSourceFolder(const QString &folder);

// True when a bare name matches a wildcard name such as "*.jpg", ignoring case.
bool matchesWildcard(const QString &name, const QString &wildcard);

} // namespace tess
