#include "platform/app_locations.h"

#include "platform/file_names.h"
#include "platform/file_services.h"
#include "platform/program_folder.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace tess {

namespace {

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// By the path's bytes, as every other look at the file system.
bool isFolder(const QString &path)
{
    const std::optional<int> attributes = fileAttributes(path);
    return attributes && (*attributes & AttributeDirectory);
}

} // namespace

QString installMarkerPath()
{
    return QStringLiteral("share/tessarolith/installed");
}

bool isInstalledLayout(const QString &programFolder)
{
    const QString folder = QDir::cleanPath(programFolder);
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (programFolder.isEmpty() || folder.mid(slash + 1) != QLatin1String("bin"))
        return false;
    const QString prefix = slash > 0 ? folder.left(slash) : QStringLiteral("/");
    const std::optional<int> marker = fileAttributes(joined(prefix, installMarkerPath()));
    return marker && (*marker & (AttributeArchive | AttributeReadOnly));
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
        // A folder of their own: a fresh home has no pictures folder yet, and
        // thumbnails among the user's photos would be hard to tell apart.
        const QString pictures = user.pictures.isEmpty() ? user.home : user.pictures;
        at.defaultSaveFolder = QDir::cleanPath(joined(pictures, QStringLiteral("Tessarolith")));
        at.saveFolderMadeOnWrite = true;
        at.workFolder = at.settingsFolder;
    }
    at.settingsFile = joined(at.settingsFolder, QStringLiteral("Tessarolith.ini"));
    return at;
}

UserFolders currentUserFolders()
{
    UserFolders user;
    user.home = QDir::homePath();
    const QString config = nameFromNative(qgetenv("XDG_CONFIG_HOME"));
    user.configHome = QDir::isAbsolutePath(config) ? config : joined(user.home, QStringLiteral(".config"));
    user.pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return user;
}

AppLocations appLocations()
{
    return appLocationsFor(programFolder(), currentUserFolders());
}

bool makeDefaultSaveFolder(const QString &saveFolder)
{
    // The locations are looked up only for a missing folder: once per run.
    return isFolder(saveFolder) || makeDefaultSaveFolder(saveFolder, appLocations());
}

bool makeDefaultSaveFolder(const QString &saveFolder, const AppLocations &locations)
{
    if (isFolder(saveFolder))
        return true;
    if (!locations.saveFolderMadeOnWrite || saveFolder.isEmpty()
        || QDir::cleanPath(saveFolder) != locations.defaultSaveFolder)
        return false;
    return makeFolderPath(locations.defaultSaveFolder);
}

bool makeSettingsFolder(const AppLocations &locations)
{
    if (isFolder(locations.settingsFolder))
        return true;
    // Each missing level is made in turn, so the configuration folder itself
    // gets the same private mode when this is the user's first program to need it.
    const QString folder = QDir::cleanPath(locations.settingsFolder);
    qsizetype from = folder.startsWith(u'/') ? 1 : 0;
    while (from <= folder.size()) {
        qsizetype slash = folder.indexOf(u'/', from);
        if (slash < 0)
            slash = folder.size();
        const QByteArray level = nativePath(folder.left(slash));
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        from = slash + 1;
    }
    return isFolder(folder);
}

} // namespace tess
