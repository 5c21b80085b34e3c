#pragma once
#include <QString>

namespace tess {

// Where the program keeps its files. A copy run from its build folder, or
// copied alone into a folder of its own, keeps them in its program folder, as
// it always has. An installed copy (bin/ beside share/tessarolith/, with the
// marker the install puts there) never writes beside its executable: its
// settings file and single-instance lock belong to the user's configuration
// folder, and its thumbnails go by default to a folder of their own in the
// user's pictures folder, made when the first thumbnail is written.
struct AppLocations {
    bool installed = false;
    QString programFolder;
    // Holds the settings file; the single-instance lock is named after it.
    QString settingsFolder;
    QString settingsFile;
    // Where thumbnails go when the settings name no folder, or a missing one.
    QString defaultSaveFolder;
    // Whether defaultSaveFolder may be missing and is made on the first write
    // (an installed copy's own folder); a portable copy's is its program folder.
    bool saveFolderMadeOnWrite = false;
    // Where a leftover temporary picture of an older version is cleaned up.
    QString workFolder;
};

// The folders of the user the program runs for.
struct UserFolders {
    QString home;
    QString configHome; // XDG_CONFIG_HOME, or ~/.config
    QString pictures;   // the XDG pictures folder (it may not exist)
};

// The marker file, relative to the install prefix, that tells an installed
// copy from a portable one.
QString installMarkerPath();
// Whether programFolder is the bin/ folder of an install layout.
bool isInstalledLayout(const QString &programFolder);

// The locations of a copy in programFolder, run by a user with these folders.
AppLocations appLocationsFor(const QString &programFolder, const UserFolders &user);
// The running user's folders, from the environment (XDG_CONFIG_HOME counts only
// when it is an absolute path).
UserFolders currentUserFolders();
// The locations of the running program: the one source of where its files go.
AppLocations appLocations();

// Makes saveFolder, with any missing folder above it, when it is missing and
// is the running copy's default save folder that is made on the first write;
// any other missing folder stays missing (the write then fails and says so).
// True when saveFolder is a folder afterwards.
bool makeDefaultSaveFolder(const QString &saveFolder);
bool makeDefaultSaveFolder(const QString &saveFolder, const AppLocations &locations);

// Makes the settings folder when it is missing (new folders only the user may
// open, as the XDG rules ask). False when it cannot be made.
bool makeSettingsFolder(const AppLocations &locations);

} // namespace tess
