#pragma once
#include <QString>

namespace tess {

// The directory that holds the running executable, without a trailing "/"
// (except for the root). Tests may point it elsewhere.
QString programFolder();
void setProgramFolderForTesting(const QString &folder);

} // namespace tess
