// The settings file and the save folder in folders whose names are not UTF-8,
// as a program unpacked from an old archive may sit in.
#include "platform/file_names.h"
#include "support/raw_names.h"
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tess;

namespace {

class NativeFolder : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        native = nativePath(work.path()) + '/' + GetParam();
        ASSERT_EQ(::mkdir(native.constData(), 0755), 0);
        folder = nameFromNative(native);
    }
    void TearDown() override
    {
        test_files::removeRawNames(folder);
        ::rmdir(native.constData());
    }

    QTemporaryDir work;
    QByteArray native;
    QString folder;
};

TEST_P(NativeFolder, IsASaveFolderThatExists)
{
    EXPECT_TRUE(FolderExists(folder));
    ASSERT_TRUE(test_files::writeRaw(folder, "file", {}));
    EXPECT_FALSE(FolderExists(folder + QStringLiteral("/file")));
    // The same name in UTF-8 is another folder, which does not exist.
    EXPECT_FALSE(FolderExists(work.path() + QLatin1Char('/') + displayName(nameFromNative(GetParam()))));
}

TEST_P(NativeFolder, HoldsASettingsFileThatIsWrittenAndReadBack)
{
    const QString ini = folder + QStringLiteral("/Tessarolith.ini");
    ThumbSettings saved = defaultSettings(folder);
    saved.Prefix = QString::fromUtf8("縮小_");
    saved.Width = 123;
    ASSERT_TRUE(SaveSettings(saved, ini));
    EXPECT_EQ(test_files::rawNames(folder), QList<QByteArray>{"Tessarolith.ini"});

    ThumbSettings loaded;
    LoadSettings(loaded, ini, work.path()); // the folder a missing save folder falls back to
    EXPECT_EQ(loaded.Prefix, saved.Prefix);
    EXPECT_EQ(loaded.Width, 123);
    // The save folder named in the file is that same folder, not the fallback.
    EXPECT_EQ(nativePath(loaded.SaveFolder), native);
}

INSTANTIATE_TEST_SUITE_P(Names, NativeFolder,
                         ::testing::Values("latin1-caf\xE9", "sjis-\x8E\xCA\x90\x5E", "mixed-\xE5\x86\x99\xFF"));

} // namespace
