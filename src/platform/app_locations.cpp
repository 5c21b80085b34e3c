#include "platform/app_locations.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace tess {

namespace {

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

QString installMarkerPath()
{
    return QStringLiteral("share/tessarolith/installed");
}

bool isInstalledLayout(const QString &programFolder)
{
    if (programFolder.isEmpty() || QFileInfo(programFolder).fileName() != QLatin1String("bin"))
        return false;
    const QString prefix = QFileInfo(programFolder).path();
    return QFileInfo(joined(prefix, installMarkerPath())).isFile();
}

AppLocations appLocationsFor(const QString &programFolder, const UserFolders &user)
{
    AppLocations at;
    at.programFolder = programFolder;
    at.installed = isInstalledLayout(programFolder);
    if (!at.installed) {
        at.settingsFolder = programFolder;
        at.defaultSaveFolder = programFolder;
        at.workFolder = programFolder;
    } else {
        at.settingsFolder = QDir::cleanPath(joined(user.configHome, QStringLiteral("tessarolith")));
        at.defaultSaveFolder = !user.pictures.isEmpty() && QFileInfo(user.pictures).isDir()
                                   ? QDir::cleanPath(user.pictures)
                                   : QDir::cleanPath(user.home);
        at.workFolder = at.settingsFolder;
    }
    at.settingsFile = joined(at.settingsFolder, QStringLiteral("Tessarolith.ini"));
    return at;
}

UserFolders currentUserFolders()
{
    UserFolders user;
    user.home = QDir::homePath();
    const QString config = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    user.configHome = QDir::isAbsolutePath(config) ? config : joined(user.home, QStringLiteral(".config"));
    user.pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return user;
}

AppLocations appLocations()
{
    return appLocationsFor(programFolder(), currentUserFolders());
}

bool makeSettingsFolder(const AppLocations &locations)
{
    if (QFileInfo(locations.settingsFolder).isDir())
        return true;
    // Each missing level is made in turn, so the configuration folder itself
    // gets the same private mode when this is the user's first program to need it.
    const QString folder = QDir::cleanPath(locations.settingsFolder);
    qsizetype from = folder.startsWith(u'/') ? 1 : 0;
    while (from <= folder.size()) {
        qsizetype slash = folder.indexOf(u'/', from);
        if (slash < 0)
            slash = folder.size();
        const QByteArray level = QFile::encodeName(folder.left(slash));
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        from = slash + 1;
    }
    return QFileInfo(folder).isDir();
}

} // namespace tess
