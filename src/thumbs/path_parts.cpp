#include "thumbs/path_parts.h"

namespace tess {

void SplitName(const QString &name, QString &base, QString &extension)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0) {
        base = name;
        return;
    }
    base = name.left(dot);
    extension = name.mid(dot + 1);
}

} // namespace tess
