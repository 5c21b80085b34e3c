#include "platform/app_locations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tess;

namespace {

bool makeFile(const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

struct LayoutCase {
    const char *name;
    const char *programFolder; // relative to the scratch root
    const char *marker;        // a file made under the scratch root, or nullptr
    bool markerIsFolder;
    const char *pictures;      // the user's pictures folder, made when made is true
    bool picturesMade;
    bool installed;
    const char *settingsFolder;
    const char *saveFolder;
};

const LayoutCase kLayouts[] = {
    {"BuildFolder", "build/bin", nullptr, false, "home/Pictures", true, false, "build/bin", "build/bin"},
    {"PortableCopy", "tools/thumbs", nullptr, false, "home/Pictures", true, false, "tools/thumbs", "tools/thumbs"},
    {"InstalledPrefix", "usr/bin", "usr/share/tessarolith/installed", false, "home/Pictures", true, true,
     "home/.config/tessarolith", "home/Pictures/Tessarolith"},
    {"InstalledNoPictures", "opt/t/bin", "opt/t/share/tessarolith/installed", false, "home/Pictures", false, true,
     "home/.config/tessarolith", "home/Pictures/Tessarolith"},
    {"InstalledPicturesUnset", "opt/t/bin", "opt/t/share/tessarolith/installed", false, "", false, true,
     "home/.config/tessarolith", "home/Tessarolith"},
    {"BinWithoutMarker", "usr/bin", "usr/share/tessarolith/README", false, "home/Pictures", true, false, "usr/bin",
     "usr/bin"},
    {"MarkerIsAFolder", "usr/bin", "usr/share/tessarolith/installed", true, "home/Pictures", true, false, "usr/bin",
     "usr/bin"},
    {"MarkerButNotBin", "usr/libexec", "usr/share/tessarolith/installed", false, "home/Pictures", true, false,
     "usr/libexec", "usr/libexec"},
};

class Layouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, SettingsAndSaveFolderFollowTheLayout)
{
    const LayoutCase &c = GetParam();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const auto at = [&](const char *relative) { return QDir::cleanPath(root.path() + u'/' + QString::fromUtf8(relative)); };
    ASSERT_TRUE(QDir().mkpath(at(c.programFolder)));
    ASSERT_TRUE(QDir().mkpath(at("home")));
    if (c.marker && c.markerIsFolder) {
        ASSERT_TRUE(QDir().mkpath(at(c.marker)));
    } else if (c.marker) {
        ASSERT_TRUE(makeFile(at(c.marker)));
    }
    if (c.picturesMade) {
        ASSERT_TRUE(QDir().mkpath(at(c.pictures)));
    }

    UserFolders user{at("home"), at("home/.config"), *c.pictures ? at(c.pictures) : QString()};
    const AppLocations got = appLocationsFor(at(c.programFolder), user);

    EXPECT_EQ(got.installed, c.installed);
    EXPECT_EQ(got.programFolder, at(c.programFolder));
    EXPECT_EQ(got.settingsFolder, at(c.settingsFolder));
    EXPECT_EQ(got.settingsFile, at(c.settingsFolder) + QStringLiteral("/Tessarolith.ini"));
    EXPECT_EQ(got.defaultSaveFolder, at(c.saveFolder));
    EXPECT_EQ(got.saveFolderMadeOnWrite, c.installed);
    // An installed copy never names a file beside its executable.
    if (c.installed) {
        EXPECT_FALSE(got.settingsFile.startsWith(got.programFolder + u'/'));
        EXPECT_FALSE(got.workFolder.startsWith(got.programFolder));
    } else {
        EXPECT_EQ(got.workFolder, got.programFolder);
    }
}

INSTANTIATE_TEST_SUITE_P(AppLocations, Layouts, ::testing::ValuesIn(kLayouts),
                         [](const auto &info) { return std::string(info.param.name); });

// Only the installed copy's own default folder is made for a thumbnail, with
// the pictures folder above it; a missing folder typed in stays missing.
struct MakeCase {
    const char *name;
    bool installed;
    const char *saveFolder; // under home
    QStringList homeAfter;
};

class MakeSaveFolder : public ::testing::TestWithParam<MakeCase> {};

TEST_P(MakeSaveFolder, OnlyTheInstalledDefaultIsMade)
{
    const MakeCase &c = GetParam();
    QTemporaryDir root;
    ASSERT_TRUE(QDir().mkpath(root.filePath("home")) && QDir().mkpath(root.filePath("p/bin")));
    ASSERT_TRUE(!c.installed || makeFile(root.filePath("p/share/tessarolith/installed")));
    const AppLocations at = appLocationsFor(root.filePath("p/bin"), {root.filePath("home"), root.filePath("cfg"), root.filePath("home/Pictures")});
    const QString folder = root.filePath("home/") + QString::fromUtf8(c.saveFolder);
    const bool made = makeDefaultSaveFolder(folder, at);
    EXPECT_EQ(made, QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(root.filePath("home")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), c.homeAfter);
}

INSTANTIATE_TEST_SUITE_P(AppLocations, MakeSaveFolder,
                         ::testing::Values(MakeCase{"InstalledDefault", true, "Pictures/Tessarolith/", {"Pictures"}},
                                           MakeCase{"InstalledOtherFolder", true, "Pictures/Other", {}},
                                           MakeCase{"Portable", false, "Pictures/Tessarolith", {}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(AppLocations, ConfigHomeWithATrailingSlashGivesACleanFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(makeFile(root.filePath("p/share/tessarolith/installed")));
    ASSERT_TRUE(QDir().mkpath(root.filePath("p/bin")));
    const AppLocations got = appLocationsFor(root.filePath("p/bin"), {root.path(), root.filePath("cfg/"), QString()});
    EXPECT_EQ(got.settingsFile, root.filePath("cfg/tessarolith/Tessarolith.ini"));
}

struct EnvCase {
    const char *name;
    const char *xdgConfigHome; // nullptr: unset
    bool usesIt;
};

const EnvCase kEnvironments[] = {
    {"Absolute", "/srv/cfg", true},
    {"Relative", "cfg", false},
    {"Empty", "", false},
    {"Unset", nullptr, false},
};

class ConfigHome : public ::testing::TestWithParam<EnvCase> {};

TEST_P(ConfigHome, OnlyAnAbsoluteXdgConfigHomeCounts)
{
    const EnvCase &c = GetParam();
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    if (c.xdgConfigHome)
        qputenv("XDG_CONFIG_HOME", c.xdgConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
    const UserFolders user = currentUserFolders();
    if (wasSet)
        qputenv("XDG_CONFIG_HOME", saved);
    else
        qunsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(user.home, QDir::homePath());
    EXPECT_EQ(user.configHome, c.usesIt ? QString::fromUtf8(c.xdgConfigHome) : QDir::homePath() + "/.config");
}

INSTANTIATE_TEST_SUITE_P(AppLocations, ConfigHome, ::testing::ValuesIn(kEnvironments),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(AppLocations, MakeSettingsFolderMakesEveryMissingLevelPrivate)
{
    QTemporaryDir root;
    AppLocations at;
    at.settingsFolder = root.filePath("home/.config/tessarolith");
    ASSERT_TRUE(makeSettingsFolder(at));
    for (const char *level : {"home", "home/.config", "home/.config/tessarolith"}) {
        struct stat st{};
        ASSERT_EQ(::stat(QFile::encodeName(root.filePath(level)).constData(), &st), 0) << level;
        EXPECT_EQ(st.st_mode & 07777, 0700u) << level;
    }
    // A folder already there is taken as it is.
    ASSERT_EQ(::chmod(QFile::encodeName(at.settingsFolder).constData(), 0755), 0);
    EXPECT_TRUE(makeSettingsFolder(at));
    EXPECT_TRUE(QFileInfo(at.settingsFolder).isDir());
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(at.settingsFolder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}

TEST(AppLocations, MakeSettingsFolderFailsUnderAFile)
{
    QTemporaryDir root;
    ASSERT_TRUE(makeFile(root.filePath("plain")));
    AppLocations at;
    at.settingsFolder = root.filePath("plain/tessarolith");
    EXPECT_FALSE(makeSettingsFolder(at));
    EXPECT_FALSE(QFileInfo(at.settingsFolder).exists());
}

} // namespace
