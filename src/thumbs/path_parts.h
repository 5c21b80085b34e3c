#pragma once
#include <QString>

namespace tess {

// Splits a file name at its first ".": "a.b.jpg" gives base "a" and extension
// "b.jpg". A name without a dot is its own base, and extension keeps whatever
// it held before the call.
void SplitName(const QString &name, QString &base, QString &extension);

} // namespace tess
