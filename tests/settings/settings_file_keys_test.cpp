#include "support/file_bytes.h"
#include "support/thumb_settings_printing.h"
#include "settings/settings_file.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tess;
using namespace test_files;

namespace {

// What the unknown-keys warning is told about a file, from one read of it.
struct KeysCase {
    const char *name;
    QByteArray file;
    int known;
    QStringList unknown;
};

class SettingsFileKeysOf : public testing::TestWithParam<KeysCase> {};

TEST_P(SettingsFileKeysOf, CountsKnownKeysOrListsTheOthersOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath("Tessarolith.ini");
    writeBytes(ini, GetParam().file);
    const SettingsFileKeys keys = settingsFileKeys(readSettingsFile(ini));
    EXPECT_EQ(keys.known, GetParam().known);
    EXPECT_EQ(keys.unknown, GetParam().unknown);
}

QByteArray utf16(const QString &text)
{
    return QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)(text);
}

// More distinct names than a read remembers, then a known key outside the
// section, each listed.
KeysCase manyNames(int count)
{
    KeysCase many{"MoreNamesThanRemembered", "[Section]\r\n", 0, {}};
    for (int i = 0; i < count; ++i) {
        many.file += "k" + QByteArray::number(i) + "=v\r\n";
        many.unknown.append("k" + QString::number(i));
    }
    many.file += cp932(u"[Other]\r\n幅=1\r\n"_qs);
    many.unknown.append(u"[Other]幅"_qs);
    return many;
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsFileKeysOf,
    testing::Values(
        KeysCase{"Empty", "", 0, {}},
        KeysCase{"KnownTwiceCountsTwice", cp932(u"[Section]\r\n幅=1\r\n幅=2\r\n"_qs), 2, {}},
        KeysCase{"LongestKnownNames", cp932(u"[Section]\r\n保存フォルダ=x\r\nファイル種類=1\r\n"_qs), 2, {}},
        KeysCase{"LongerThanAnyKnown", cp932(u"[Section]\r\n保存フォルダ名=x\r\n"_qs), 0, {u"保存フォルダ名"_qs}},
        KeysCase{"SectionCaseAndBlanks", cp932(u"[ SECTION ]\r\n \t幅 = 1\r\n"_qs), 1, {}},
        KeysCase{"KnownBeforeAnySection", cp932(u"幅=1\r\n[Section]\r\n"_qs), 0, {u"[]幅"_qs}},
        KeysCase{"RepeatsListedOnceInFileOrder", "[Section]\nb=1\na=2\nb=3\nA=4\n[X]\na=5\n", 0, {"b", "a", "A"}},
        KeysCase{"JapaneseRepeatsInOtherSection", cp932(u"[Other]\r\n幅=1\r\n幅=2\r\n日付=3\r\n日付=4\r\n"_qs), 0,
                 {u"[Other]幅"_qs, u"日付"_qs}},
        KeysCase{"CommentsAndOddLinesAreNoKeys", cp932(u"[Section]\r\n;幅=1\r\n[bad\r\nplain line\r\n画質=2\r\n"_qs), 1,
                 {}},
        KeysCase{"UnmarkedUtf8", u"[Section]\n先頭文字=縮小_\n"_qs.toUtf8(), 1, {}},
        KeysCase{"OthersNotListedBesideAKnownOne", "[Section]\na=1\n" + cp932(u"画質=2\r\n"_qs) + "b=3\n", 1, {}},
        KeysCase{"MarkedUtf8", "\xEF\xBB\xBF" + u"[Section]\r\n画質=1\r\n"_qs.toUtf8(), 1, {}},
        KeysCase{"Utf16Unknown", utf16(u"[Section]\r\n余白=2\r\n"_qs), 0, {u"余白"_qs}},
        manyNames(5000)),
    [](const auto &info) { return std::string(info.param.name); });

// A file that cannot be read reads as a missing one, for the settings and the
// warning both.
TEST(ReadSettingsFile, MissingFolderOrUnderAFileReadsEmpty)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeBytes(dir.filePath("file"), "x");
    for (const QString &path : {dir.filePath("missing.ini"), dir.path(), dir.filePath("file/Tessarolith.ini")}) {
        const PrivateProfile read = readSettingsFile(path);
        EXPECT_TRUE(read.serialise().isEmpty()) << path.toStdString();
        ThumbSettings s;
        LoadSettings(s, read, dir.path());
        EXPECT_EQ(s, defaultSettings(dir.path())) << path.toStdString();
    }
}

TEST(ReadSettingsFile, GivesTheSameSettingsAsLoadingThePath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ini = dir.filePath("Tessarolith.ini");
    writeBytes(ini, cp932(u"[Section]\r\n幅=64\r\n先頭文字=P_\r\n[Section]\r\n幅=32\r\n"_qs));
    const PrivateProfile read = readSettingsFile(ini);
    EXPECT_EQ(read.serialise(), readBytes(ini));
    ThumbSettings fromRead;
    LoadSettings(fromRead, read, dir.path());
    ThumbSettings fromPath;
    LoadSettings(fromPath, ini, dir.path());
    EXPECT_EQ(fromRead, fromPath);
    EXPECT_EQ(fromRead.Width, 64) << "the first of repeated sections wins";
    EXPECT_EQ(fromRead.Prefix, "P_");
}

} // namespace
