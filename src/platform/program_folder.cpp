#include "platform/program_folder.h"

#include "platform/file_names.h"

#include <QDir>

#include <array>
#include <climits>
#include <unistd.h>

namespace tess {

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}

QString executableFolder()
{
    // /proc/self/exe works before (and without) a QCoreApplication. Read as
    // bytes, so that a folder whose name is not UTF-8 is kept as it is.
    std::array<char, PATH_MAX> target {};
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size());
    QString dir;
    if (length > 0 && std::size_t(length) < target.size()) {
        const QString exe = nameFromNative(QByteArray(target.data(), qsizetype(length)));
        dir = exe.left(qMax<qsizetype>(1, exe.lastIndexOf(QLatin1Char('/'))));
    }
    if (dir.isEmpty())
        dir = currentFolder();
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
