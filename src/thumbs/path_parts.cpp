#include "thumbs/path_parts.h"

namespace tess {

QString GetFolderPart(const QString &path)
{
    qsizetype cut = 0;
    for (qsizetype i = path.size(); i > 0; --i) {
        const QChar c = path[i - 1];
        if (c == QLatin1Char('/') || c == QLatin1Char(':')) {
            cut = i;
            break;
        }
    }
    QString result = path.left(cut);
    if (result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

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
