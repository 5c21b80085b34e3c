#pragma once
#include <QString>

namespace tess {

// The folder part of a path: everything before its last "/" (or ":"), with
// one trailing "/" dropped. A doubled separator keeps the root: "//*.bmp"
// gives "/". A path without a separator gives the empty text.
QString GetFolderPart(const QString &path);

// Splits a file name at its first ".": "a.b.jpg" gives base "a" and extension
// "b.jpg". A name without a dot is its own base, and extension keeps whatever
// it held before the call.
void SplitName(const QString &name, QString &base, QString &extension);

} // namespace tess
