#include "platform/program_folder.h"

#include <QDir>
#include <QFileInfo>

namespace tess {

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}

QString executableFolder()
{
    // /proc/self/exe works before (and without) a QCoreApplication.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    QString dir = QFileInfo(exe.symLinkTarget()).absolutePath();
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return QDir::cleanPath(dir);
}
} // namespace

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    static const QString folder = executableFolder();
    return folder;
}

void setProgramFolderForTesting(const QString &folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

} // namespace tess
