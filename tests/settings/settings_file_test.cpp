#include "support/file_bytes.h"
#include "support/thumb_settings_printing.h"
#include "settings/settings_file.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

using namespace tess;
using namespace test_files;

namespace {

// A program folder with its settings file path, and a second folder for saves.
class SettingsFile : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        program = dir.filePath("program");
        ASSERT_TRUE(QDir().mkpath(program));
        ini = settingsFilePath(program);
    }

    ThumbSettings load(ThumbSettings start = {})
    {
        LoadSettings(start, ini, program);
        return start;
    }

    void writeSection(const QString &lines) { writeBytes(ini, cp932(u"[Section]\r\n"_qs + lines)); }

    QTemporaryDir dir;
    QString program;
    QString ini;
};

TEST(SettingsKeys, EncodeToTheirShiftJisBytes)
{
    EXPECT_EQ(cp932(QString::fromUtf16(ini_key::Width)), QByteArray("\x95\x9D"));
    EXPECT_EQ(cp932(QString::fromUtf16(ini_key::RatioMode)), QByteArray("\x94\xE4\x97\xA6\x8D\x5C\x90\xAC"));
    EXPECT_EQ(cp932(QString::fromUtf16(ini_key::SaveFolder)),
              QByteArray("\x95\xDB\x91\xB6\x83\x74\x83\x48\x83\x8B\x83\x5F"));
    EXPECT_EQ(cp932(QString::fromUtf16(ini_key::DuplicateMode)), QByteArray("\x93\xAF\x88\xEA\x96\xBC"));
}

TEST_F(SettingsFile, WithoutAFileEveryFieldTakesItsDefault)
{
    ThumbSettings start;
    start.Width = 5;
    start.Prefix = "x";
    EXPECT_EQ(load(start), defaultSettings(program));
    EXPECT_FALSE(QFile::exists(ini)) << "loading creates nothing";
}

TEST_F(SettingsFile, FirstSaveWritesTheElevenLinesOfADefaultFile)
{
    EXPECT_TRUE(SaveSettings(load(), ini));
    const QByteArray expected = cp932(u"[Section]\r\n"
                                      "幅= 128\r\n"
                                      "高さ= 128\r\n"
                                      "比率構成= 3\r\n"
                                      "ファイル種類= 0\r\n"
                                      "圧縮率= 100\r\n"
                                      "余白色= 0\r\n"
                                      "画質= 3\r\n"
                                      "先頭文字=Thumb_\r\n"
                                      "保存フォルダ="_qs
                                      + program + u"\r\n同一名= 0\r\n"_qs);
    EXPECT_EQ(readBytes(ini), expected);
    EXPECT_EQ(QDir(program).entryList(QDir::Files), QStringList{"Tessarolith.ini"}) << "no temporary file left";
}

TEST_F(SettingsFile, NegativeAndLargeNumbersAreWrittenWithSignOrBlank)
{
    ThumbSettings s = defaultSettings(program);
    s.Width = -5;
    s.Height = -32768;
    s.MarginColour = 16777215;
    s.Compression = 32767;
    ASSERT_TRUE(SaveSettings(s, ini));
    const QByteArray bytes = readBytes(ini);
    EXPECT_TRUE(bytes.contains(cp932(u"\r\n幅=-5\r\n高さ=-32768\r\n"_qs)));
    EXPECT_TRUE(bytes.contains(cp932(u"\r\n圧縮率= 32767\r\n余白色= 16777215\r\n"_qs)));
}

TEST_F(SettingsFile, EveryFieldRoundTrips)
{
    const QString saveFolder = dir.filePath(u"保存 先"_qs);
    ASSERT_TRUE(QDir().mkpath(saveFolder));
    ThumbSettings s;
    s.Width = 640;
    s.Height = 16;
    s.RatioMode = KeepRatioWithinBoth;
    s.FileType = FileTypeBitmap;
    s.Compression = 40;
    s.MarginColour = 0x00123456;
    s.Quality = QualityMediumLow;
    s.Prefix = u"ｻﾑﾈ_ソ表"_qs;
    s.SaveFolder = saveFolder;
    s.DuplicateMode = DuplicateSkip;
    ASSERT_TRUE(SaveSettings(s, ini));
    EXPECT_EQ(load(), s);
}

TEST_F(SettingsFile, EveryFileTypeRoundTripsAsItsNumber)
{
    for (const int type : {int(FileTypeJpeg), int(FileTypeBitmap), int(FileTypePng), int(FileTypeWebp)}) {
        ThumbSettings s = defaultSettings(program);
        s.FileType = std::int16_t(type);
        ASSERT_TRUE(SaveSettings(s, ini));
        EXPECT_TRUE(readBytes(ini).contains(cp932(u"ファイル種類= "_qs + QString::number(type) + u"\r\n"_qs))) << type;
        EXPECT_EQ(load(), s) << type;
    }
}

TEST_F(SettingsFile, TextsWithOuterBlanksOrQuotesRoundTrip)
{
    for (const QString &prefix : {u" サムネ "_qs, u"\"x\""_qs, u"'y'"_qs, u"\tz"_qs, u"plain"_qs, u" € "_qs, u"\"😀\""_qs}) {
        ThumbSettings s = defaultSettings(program);
        s.Prefix = prefix;
        s.SaveFolder = program + u"/ "_qs; // the folder itself, with a trailing blank
        ASSERT_TRUE(SaveSettings(s, ini));
        const ThumbSettings back = load();
        EXPECT_EQ(back.Prefix, prefix) << prefix.toStdString();
        EXPECT_EQ(back.SaveFolder, s.SaveFolder);
        if (prefix == u"plain"_qs) {
            EXPECT_TRUE(readBytes(ini).contains(cp932(u"\r\n先頭文字=plain\r\n"_qs))) << "plain text is written as it is";
        }
    }
}

TEST_F(SettingsFile, EmptyPrefixAndVanishedFolderComeBackAsDefaults)
{
    const QString saveFolder = dir.filePath("gone");
    ASSERT_TRUE(QDir().mkpath(saveFolder));
    ThumbSettings s = defaultSettings(program);
    s.Prefix.clear();
    s.SaveFolder = saveFolder;
    ASSERT_TRUE(SaveSettings(s, ini));
    EXPECT_TRUE(readBytes(ini).contains(cp932(u"\r\n先頭文字=\r\n"_qs))) << "an empty text is still written";
    ASSERT_TRUE(QDir(saveFolder).removeRecursively());
    const ThumbSettings back = load();
    EXPECT_EQ(back.Prefix, QStringLiteral("Thumb_"));
    EXPECT_EQ(back.SaveFolder, program);
}

struct IntegerCase {
    const char *text;
    std::int16_t expected; // kKeeps: the field keeps its previous value
};
constexpr std::int16_t kKeeps = 4242;

void PrintTo(const IntegerCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

class WidthValue : public SettingsFile, public testing::WithParamInterface<IntegerCase>
{
};

TEST_P(WidthValue, FloorsInRangeNumbersAndKeepsThePreviousValueOtherwise)
{
    const IntegerCase &c = GetParam();
    writeSection(u"幅="_qs + QString::fromUtf8(c.text) + u"\r\n"_qs);
    ThumbSettings previous;
    previous.Width = kKeeps;
    EXPECT_EQ(load(previous).Width, c.expected);
    if (c.expected == kKeeps) {
        EXPECT_EQ(load().Width, 0) << "at start-up the kept value is 0";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WidthValue,
    testing::Values(IntegerCase{"abc", kKeeps}, IntegerCase{"70000", kKeeps}, IntegerCase{"12.9", 12},
                    IntegerCase{"-0.5", -1}, IntegerCase{"-8.4", -9}, IntegerCase{"-32768", -32768},
                    IntegerCase{"32767", 32767}, IntegerCase{"32768", kKeeps}, IntegerCase{"-32769", kKeeps},
                    IntegerCase{"32767.9", 32767}, IntegerCase{"-32767.5", -32768},
                    IntegerCase{"-32768.5", kKeeps}, IntegerCase{" 128", 128}, IntegerCase{"+7", 7},
                    IntegerCase{"\" 64 \"", 64}, IntegerCase{".5", 0}, IntegerCase{"5.", 5},
                    IntegerCase{"-0", 0}, IntegerCase{"12abc", kKeeps}, IntegerCase{"1 2", kKeeps},
                    IntegerCase{"1e3", kKeeps}, IntegerCase{"1,5", kKeeps}, IntegerCase{"&H10", kKeeps},
                    IntegerCase{"-", kKeeps}, IntegerCase{".", kKeeps}, IntegerCase{"--1", kKeeps},
                    IntegerCase{"99999999999999999999999", kKeeps}, IntegerCase{"", 128},
                    IntegerCase{"\"\"", 128}));

struct ColourCase {
    const char *text;
    std::int64_t expected; // kKeepsColour: keeps the previous value
};
constexpr std::int32_t kKeepsColour = 0x00ABCDEF;

void PrintTo(const ColourCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

class ColourValue : public SettingsFile, public testing::WithParamInterface<ColourCase>
{
};

TEST_P(ColourValue, RoundsHalvesToEvenWithinThirtyTwoBits)
{
    const ColourCase &c = GetParam();
    writeSection(u"余白色="_qs + QString::fromUtf8(c.text) + u"\r\n"_qs);
    ThumbSettings previous;
    previous.MarginColour = kKeepsColour;
    EXPECT_EQ(load(previous).MarginColour, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ColourValue,
                         testing::Values(ColourCase{"254.5", 254}, ColourCase{"255.5", 256}, ColourCase{"2.5", 2},
                                         ColourCase{"3.5", 4}, ColourCase{"254.51", 255}, ColourCase{"-0.5", 0},
                                         ColourCase{"-1.5", -2}, ColourCase{"-2.5", -2},
                                         ColourCase{"16777215", 16777215}, ColourCase{"4294967296", kKeepsColour},
                                         ColourCase{"2147483647", 2147483647},
                                         ColourCase{"2147483647.5", kKeepsColour},
                                         ColourCase{"-2147483648", -2147483648LL},
                                         ColourCase{"-2147483648.5", -2147483648LL},
                                         ColourCase{"-2147483649", kKeepsColour}, ColourCase{"red", kKeepsColour},
                                         ColourCase{"", 0}));

TEST_F(SettingsFile, OutOfTableEnumerationValuesAreHeldAsGiven)
{
    writeSection(u"比率構成=9\r\n画質=-1\r\nファイル種類=7\r\n同一名=2\r\n圧縮率=5000\r\n"_qs);
    const ThumbSettings s = load();
    EXPECT_EQ(s.RatioMode, 9);
    EXPECT_EQ(s.Quality, -1);
    EXPECT_EQ(s.FileType, 7);
    EXPECT_EQ(s.DuplicateMode, 2);
    EXPECT_EQ(s.Compression, 5000);
    EXPECT_EQ(s.Width, 128) << "keys not in the file take their defaults";
}

TEST_F(SettingsFile, PrefixIsTakenVerbatimInsideTheTrimmedValue)
{
    writeSection(u"先頭文字=\" a;b=c \"\r\n"_qs);
    EXPECT_EQ(load().Prefix, QStringLiteral(" a;b=c "));
}

TEST_F(SettingsFile, SaveFolderWithTrailingSlashKeepsIt)
{
    const QString folder = dir.filePath("out") + u'/';
    ASSERT_TRUE(QDir().mkpath(folder));
    writeSection(u"保存フォルダ="_qs + folder + u"\r\n"_qs);
    EXPECT_EQ(load().SaveFolder, folder);
}

TEST_F(SettingsFile, SaveFolderThatIsMissingAFileOrOnlyAPrefixFallsBack)
{
    ASSERT_TRUE(QDir().mkpath(dir.filePath("photos2024")));
    writeBytes(dir.filePath("afile"), "x");
    for (const QString &folder : {dir.filePath("photos"), dir.filePath("photos2"), dir.filePath("afile"),
                                  dir.filePath("afile") + u'/', dir.filePath("photos*"), dir.filePath("photos?024")}) {
        writeSection(u"保存フォルダ="_qs + folder + u"\r\n"_qs);
        EXPECT_EQ(load().SaveFolder, program) << folder.toStdString();
    }
}

TEST_F(SettingsFile, OverlongSaveFolderIsCutOnReadingAndFallsBack)
{
    // A real folder whose path runs past 255 bytes; the first name is padded so
    // that byte 255 falls in the middle of a later name.
    QString folder = dir.path() + u"/x"_qs;
    while ((255 - folder.size()) % 27 != 13)
        folder += u'x';
    while (folder.toUtf8().size() <= 300)
        folder += u"/abcdefghijklmnopqrstuvwxyz"_qs;
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(FolderExists(folder));
    ThumbSettings s = defaultSettings(program);
    s.SaveFolder = folder;
    ASSERT_TRUE(SaveSettings(s, ini));
    EXPECT_TRUE(readBytes(ini).contains(folder.toUtf8())) << "written in full";
    EXPECT_EQ(ReadIniValue("Section", u"保存フォルダ"_qs, ini), folder.left(255));
    EXPECT_EQ(load().SaveFolder, program);
}

TEST_F(SettingsFile, OtherSectionsCommentsAndUnknownLinesSurviveASave)
{
    const QString before = u"; written by hand\r\n"
                           "[Window]\r\n"
                           "幅=999\r\n"
                           "\r\n"
                           "[Section]\r\n"
                           "幅 = 64\r\n"
                           "; ソ表能\r\n"
                           "unknown=keep me\r\n"
                           "no equals here\r\n"
                           "先頭文字=pre_\r\n"
                           "\r\n"
                           "[Tail]\r\n"
                           "x=1\r\n"_qs;
    writeBytes(ini, cp932(before));
    ThumbSettings s = load();
    s.Width = 200;
    ASSERT_TRUE(SaveSettings(s, ini));
    const QString after = u"; written by hand\r\n"
                          "[Window]\r\n"
                          "幅=999\r\n"
                          "\r\n"
                          "[Section]\r\n"
                          "幅 = 200\r\n"
                          "; ソ表能\r\n"
                          "unknown=keep me\r\n"
                          "no equals here\r\n"
                          "先頭文字=pre_\r\n"
                          "高さ= 128\r\n"
                          "比率構成= 3\r\n"
                          "ファイル種類= 0\r\n"
                          "圧縮率= 100\r\n"
                          "余白色= 0\r\n"
                          "画質= 3\r\n"
                          "保存フォルダ="_qs
                          + program
                          + u"\r\n"
                            "同一名= 0\r\n"
                            "\r\n"
                            "[Tail]\r\n"
                            "x=1\r\n"_qs;
    EXPECT_EQ(readBytes(ini), cp932(after));
}

TEST_F(SettingsFile, SavingAnUnchangedShiftJisFileLeavesItByteIdentical)
{
    const QString folder = dir.filePath(u"サムネイル"_qs);
    ASSERT_TRUE(QDir().mkpath(folder));
    ThumbSettings s = defaultSettings(program);
    s.Prefix = u"縮小～①_"_qs;
    s.SaveFolder = folder;
    ASSERT_TRUE(SaveSettings(s, ini));
    const QByteArray first = readBytes(ini);
    EXPECT_FALSE(first.contains("{utf-8}"));
    EXPECT_TRUE(first.contains(cp932(u"先頭文字=縮小～①_\r\n"_qs)));
    ASSERT_TRUE(SaveSettings(load(), ini));
    EXPECT_EQ(readBytes(ini), first);
}

TEST_F(SettingsFile, TextsShiftJisCannotHoldSurviveSaveAndLoad)
{
    const QString folder = dir.filePath(u"写真😀€〜"_qs);
    ASSERT_TRUE(QDir().mkpath(folder));
    ThumbSettings s = defaultSettings(program);
    s.Prefix = u"😀€〜¥_"_qs;
    s.SaveFolder = folder;
    ASSERT_TRUE(SaveSettings(s, ini));
    const QByteArray bytes = readBytes(ini);
    EXPECT_TRUE(bytes.contains(cp932(u"\r\n先頭文字={utf-8}"_qs)));
    EXPECT_TRUE(bytes.contains(cp932(u"\r\n幅= 128\r\n"_qs))) << "the other keys stay plain";
    EXPECT_EQ(load(), s);
    ASSERT_TRUE(SaveSettings(load(), ini));
    EXPECT_EQ(readBytes(ini), bytes) << "a marked value is rewritten the same";
}

TEST_F(SettingsFile, LfLinesByteOrderMarkSectionCaseAndDuplicatesAreRead)
{
    writeBytes(ini, cp932(u"[section]\n幅=300\n幅=400\n画質=1\n"_qs));
    ThumbSettings s = load();
    EXPECT_EQ(s.Width, 300);
    EXPECT_EQ(s.Quality, 1);

    writeBytes(ini, QByteArray("\xEF\xBB\xBF") + u"[SECTION]\r\n高さ=77\r\n先頭文字=€_\r\n"_qs.toUtf8());
    s = load();
    EXPECT_EQ(s.Height, 77);
    EXPECT_EQ(s.Prefix, u"€_"_qs);
}

TEST_F(SettingsFile, UnmarkedUtf8FileIsReadAndSavedBackInUtf8KeepingEveryOtherByte)
{
    const QString folder = dir.filePath(u"写真/縮小"_qs);
    ASSERT_TRUE(QDir().mkpath(folder));
    // As a Linux editor leaves it: no mark, LF lines, a comment and another section.
    const QString before = u"; 手で編集\n[Section]\n幅=200\n先頭文字=縮小_\n保存フォルダ="_qs + folder
                           + u"\n[他]\nメモ=そのまま\n"_qs;
    writeBytes(ini, before.toUtf8());
    ThumbSettings s = load();
    EXPECT_EQ(s.Width, 200);
    EXPECT_EQ(s.Prefix, u"縮小_"_qs);
    EXPECT_EQ(s.SaveFolder, folder);

    s.Width = 96;
    ASSERT_TRUE(SaveSettings(s, ini));
    const QByteArray after = readBytes(ini);
    EXPECT_TRUE(after.startsWith(before.left(before.indexOf(u"[他]"_qs)).replace(u"幅=200"_qs, u"幅= 96"_qs).toUtf8()))
        << after.toStdString();
    EXPECT_TRUE(after.endsWith(u"[他]\nメモ=そのまま\n"_qs.toUtf8()));
    EXPECT_TRUE(after.isValidUtf8());
    EXPECT_FALSE(after.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(load(), s);
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFileAndRaisesNothing)
{
    writeBytes(dir.filePath("plain"), "a file, not a folder");
    const ThumbSettings s = defaultSettings(program);
    for (const QString &path : {dir.filePath("missing/Tessarolith.ini"), dir.filePath("plain/Tessarolith.ini")}) {
        bool saved = true;
        EXPECT_NO_THROW(saved = SaveSettings(s, path));
        EXPECT_FALSE(saved) << path.toStdString();
        EXPECT_FALSE(WriteIniValue("Section", "k", "v", path));
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
    EXPECT_EQ(readBytes(dir.filePath("plain")), QByteArray("a file, not a folder"));

    // A folder standing where the file should be is not replaced either.
    ASSERT_TRUE(QDir().mkpath(ini));
    EXPECT_FALSE(SaveSettings(s, ini));
    EXPECT_TRUE(QFileInfo(ini).isDir());
}

TEST_F(SettingsFile, ReplacedFileKeepsItsPermissions)
{
    writeSection(u"幅= 64\r\n"_qs);
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(ini, mode));
    ASSERT_TRUE(SaveSettings(load(), ini));
    EXPECT_EQ(QFile::permissions(ini) & 0x7077, mode) << "owner, group and others bits";
}

TEST_F(SettingsFile, SaveIntoReadOnlyFolderWritesTheFileInPlace)
{
    // The folder takes no new file, but the file itself may still be written.
    writeSection(u"幅= 64\r\n"_qs);
    ASSERT_TRUE(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    ThumbSettings s = load();
    s.Width = 100;
    const bool saved = SaveSettings(s, ini);
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(saved);
    EXPECT_EQ(load().Width, 100);
    EXPECT_EQ(QDir(program).entryList(QDir::Files | QDir::Hidden), QStringList{"Tessarolith.ini"});
}

struct StatOf {
    struct stat st {};
    bool ok = false;
    explicit StatOf(const QString &path, bool follow = true)
    {
        const QByteArray name = QFile::encodeName(path);
        ok = (follow ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) == 0;
    }
};

struct ReadOnlyCase {
    mode_t mode;
    uid_t owner; // 0: the test's own user
};

class ReadOnlySettingsFile : public SettingsFile, public testing::WithParamInterface<ReadOnlyCase> {};

TEST_P(ReadOnlySettingsFile, IsNeverReplacedNotEvenByTheSuperuser)
{
    const ReadOnlyCase &c = GetParam();
    if (c.owner != 0 && geteuid() != 0)
        GTEST_SKIP() << "only the superuser gives files away";
    writeSection(u"幅= 64\r\n"_qs);
    const QByteArray before = readBytes(ini);
    if (c.owner != 0) {
        ASSERT_EQ(::chown(QFile::encodeName(ini).constData(), c.owner, c.owner), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(ini).constData(), c.mode), 0);
    const StatOf old(ini);
    ThumbSettings s = load();
    s.Width = 100;
    EXPECT_FALSE(SaveSettings(s, ini));
    EXPECT_FALSE(WriteIniValue("Section", "k", "v", ini));
    const StatOf now(ini);
    EXPECT_EQ(now.st.st_ino, old.st.st_ino);
    EXPECT_EQ(now.st.st_mode, old.st.st_mode);
    EXPECT_EQ(readBytes(ini), before);
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, ReadOnlySettingsFile,
                         testing::Values(ReadOnlyCase{0444, 0}, ReadOnlyCase{0400, 0}, ReadOnlyCase{0464, 0},
                                         ReadOnlyCase{0664, 4321}, ReadOnlyCase{0466, 0}));

TEST_F(SettingsFile, AnotherUsersFileKeepsItsOwnerAndMode)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser gives files away";
    writeSection(u"幅= 64\r\n"_qs);
    const QByteArray name = QFile::encodeName(ini);
    ASSERT_EQ(::chown(name.constData(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(name.constData(), 0646), 0);
    ThumbSettings s = load();
    s.Width = 100;
    ASSERT_TRUE(SaveSettings(s, ini));
    const StatOf now(ini);
    EXPECT_EQ(now.st.st_uid, 4321u);
    EXPECT_EQ(now.st.st_gid, 4322u);
    EXPECT_EQ(now.st.st_mode & 07777, 0646u);
    EXPECT_EQ(load().Width, 100);
}

TEST_F(SettingsFile, AFileWithSeveralLinksIsWrittenInPlace)
{
    writeSection(u"幅= 64\r\n"_qs);
    const QString other = dir.filePath("other-name.ini");
    ASSERT_EQ(::link(QFile::encodeName(ini).constData(), QFile::encodeName(other).constData()), 0);
    const StatOf old(ini);
    ThumbSettings s = load();
    s.Width = 100;
    ASSERT_TRUE(SaveSettings(s, ini));
    EXPECT_EQ(StatOf(ini).st.st_ino, old.st.st_ino);
    EXPECT_EQ(StatOf(ini).st.st_nlink, 2u);
    EXPECT_EQ(readBytes(other), readBytes(ini));
    EXPECT_EQ(load().Width, 100);
    // A shorter document leaves no tail of the longer one behind.
    writeSection(u"幅="_qs + QString(300, u' ') + u"64\r\n"_qs);
    ASSERT_TRUE(SaveSettings(s, ini));
    ThumbSettings fromOther;
    LoadSettings(fromOther, other, program);
    EXPECT_EQ(fromOther.Width, 100);
    EXPECT_EQ(readBytes(other), readBytes(ini));
    EXPECT_FALSE(readBytes(other).contains(QByteArray(50, ' '))) << "the old, longer file is cut";
    EXPECT_EQ(StatOf(other).st.st_ino, old.st.st_ino);
}

TEST_F(SettingsFile, ASymbolicLinkStaysALinkAndItsTargetIsWritten)
{
    const QString real = dir.filePath("real.ini");
    writeBytes(real, cp932(u"[Section]\r\n幅= 64\r\n"_qs));
    ASSERT_EQ(::symlink(QFile::encodeName(real).constData(), QFile::encodeName(ini).constData()), 0);
    ThumbSettings s = load();
    ASSERT_EQ(s.Width, 64);
    s.Width = 100;
    ASSERT_TRUE(SaveSettings(s, ini));
    EXPECT_TRUE(S_ISLNK(StatOf(ini, false).st.st_mode));
    ThumbSettings fromReal;
    LoadSettings(fromReal, real, program);
    EXPECT_EQ(fromReal.Width, 100);
}

TEST_F(SettingsFile, SavingIntoAnImmutableFolderWritesTheFileInPlace)
{
    writeSection(u"幅= 64\r\n"_qs);
    const QString command = QStringLiteral("chattr +i '%1' 2>/dev/null").arg(program);
    if (std::system(command.toLocal8Bit().constData()) != 0)
        GTEST_SKIP() << "no immutable folders here (needs the superuser and a file system that has them)";
    ThumbSettings s = load();
    s.Width = 100;
    const bool saved = SaveSettings(s, ini);
    const QStringList entries = QDir(program).entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(std::system(QStringLiteral("chattr -i '%1'").arg(program).toLocal8Bit().constData()), 0);
    EXPECT_TRUE(saved);
    EXPECT_EQ(load().Width, 100);
    EXPECT_EQ(entries, QStringList{"Tessarolith.ini"});
}

TEST_F(SettingsFile, UnreadableFileIsNotOverwritten)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser reads any file";
    writeSection(u"幅= 64\r\n"_qs);
    const QByteArray before = readBytes(ini);
    ASSERT_TRUE(QFile::setPermissions(ini, QFileDevice::WriteOwner));
    EXPECT_EQ(load().Width, 128) << "an unreadable file reads as a missing one";
    EXPECT_FALSE(SaveSettings(defaultSettings(program), ini));
    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readBytes(ini), before);
}

TEST_F(SettingsFile, ReadAndWriteOneValue)
{
    EXPECT_EQ(ReadIniValue("Section", "k", ini), QString());
    EXPECT_TRUE(WriteIniValue("Section", "k", " 1", ini));
    EXPECT_TRUE(WriteIniValue("Section", QString(200, u'n'), "v", ini));
    EXPECT_EQ(readBytes(ini), QByteArray("[Section]\r\nk= 1\r\n") + QByteArray(128, 'n') + "=v\r\n");
    EXPECT_EQ(ReadIniValue("section", "K", ini), QStringLiteral("1"));
    EXPECT_EQ(ReadIniValue("Section", QString(128, u'n'), ini), QStringLiteral("v"));
}

TEST_F(SettingsFile, ConvenienceOverloadsUseTheProgramFolder)
{
    setProgramFolderForTesting(program);
    ThumbSettings s = defaultSettings(program);
    s.Width = 321;
    EXPECT_TRUE(SaveSettings(s));
    setProgramFolderForTesting(QString());
    EXPECT_TRUE(QFile::exists(program + u"/Tessarolith.ini"_qs));
    EXPECT_EQ(load().Width, 321);
}

struct FolderCase {
    const char *name;
    QString relative; // to the temporary folder; an absolute path when it starts with "/"
    bool exists;
};

void PrintTo(const FolderCase &c, std::ostream *os)
{
    *os << c.name;
}

class FolderExistsCase : public testing::TestWithParam<FolderCase>
{
};

TEST_P(FolderExistsCase, OnlyWholeExistingFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.filePath("pics2024")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(u"ソ表"_qs)));
    writeBytes(dir.filePath("file.txt"), "x");
    ASSERT_TRUE(QFile::link(dir.filePath("pics2024"), dir.filePath("link")));
    const FolderCase &c = GetParam();
    const QString path = c.relative.startsWith(u'/') ? c.relative : dir.path() + u'/' + c.relative;
    EXPECT_EQ(FolderExists(path), c.exists) << path.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderExistsCase,
    testing::Values(FolderCase{"folder", "pics2024", true}, FolderCase{"trailing slash", "pics2024/", true},
                    FolderCase{"trailing spaces", "pics2024  ", true},
                    FolderCase{"double-byte name", u"ソ表"_qs, true},
                    FolderCase{"link to a folder", "link", true}, FolderCase{"root", "/", true},
                    FolderCase{"only a prefix of a folder", "pics", false},
                    FolderCase{"wildcard", "pics*", false}, FolderCase{"missing", "nothing", false},
                    FolderCase{"file", "file.txt", false}, FolderCase{"file with slash", "file.txt/", false},
                    FolderCase{"below a file", "file.txt/sub", false},
                    FolderCase{"leading space", " pics2024", false},
                    FolderCase{"NUL cuts nothing short", QString(u"pics2024\0/nothing"_qs), false}));

TEST(AddTrailingBackslash, AppendsOneSlashAfterTrailingSpaces)
{
    const std::pair<QString, QString> cases[] = {{"a", "a/"}, {"a/", "a/"}, {"a  ", "a/"}, {"a/ ", "a/"},
                                                 {"", "/"},   {"/", "/"},   {"a\t", "a\t/"}, {" a", " a/"}};
    for (const auto &[in, out] : cases)
        EXPECT_EQ(AddTrailingBackslash(in), out) << in.toStdString();
}

} // namespace
