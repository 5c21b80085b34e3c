#include "platform/file_names.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tess;

namespace {

QByteArray bytes(const char *text)
{
    return QByteArray(text);
}

struct RoundTrip {
    const char *what;
    QByteArray native;
    bool utf8;
};

class NameBytes : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(NameBytes, ComeBackExactly)
{
    const RoundTrip &c = GetParam();
    const QString name = nameFromNative(c.native);
    EXPECT_EQ(nativePath(name), c.native) << c.what;
    EXPECT_EQ(hasRawBytes(name), !c.utf8) << c.what;
    EXPECT_FALSE(name.contains(QChar(0xFFFD))) << c.what;
    if (c.utf8) {
        EXPECT_EQ(name, QString::fromUtf8(c.native)) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, NameBytes,
    ::testing::Values(RoundTrip{"ascii", bytes("photo.jpg"), true},
                      RoundTrip{"utf-8 kanji", bytes("\xE5\x86\x99\xE7\x9C\x9F.jpg"), true},
                      RoundTrip{"four-byte utf-8", bytes("\xF0\x9F\x98\x80.jpg"), true},
                      RoundTrip{"newline and tab", bytes("a\nb\tc.jpg"), true},
                      RoundTrip{"latin-1", bytes("caf\xE9.jpg"), false},
                      RoundTrip{"shift-jis", bytes("\x8E\xCA\x90\x5E.jpg"), false},
                      RoundTrip{"utf-8 then latin-1", bytes("\xE5\x86\x99\xE9.jpg"), false},
                      RoundTrip{"encoded surrogate", bytes("\xED\xA0\x80\xED\xB2\x80.bmp"), false},
                      RoundTrip{"overlong slash", bytes("a\xC0\xAF.jpg"), false},
                      RoundTrip{"cut utf-8 at the end", bytes("a.jpg\xE5\x86"), false},
                      RoundTrip{"beyond U+10FFFF", bytes("\xF4\x90\x80\x80"), false},
                      RoundTrip{"lone continuation bytes", bytes("\x80\xBF\xFE\xFF"), false},
                      RoundTrip{"raw byte after a four-byte character", bytes("\xF0\x9F\x98\x80\x80"), false}));

TEST(NameBytes, EverySingleByteComesBack)
{
    for (int b = 1; b < 256; ++b) {
        const QByteArray one(1, char(b));
        EXPECT_EQ(nativePath(nameFromNative(one)), one) << b;
        EXPECT_EQ(hasRawBytes(nameFromNative(one)), b >= 0x80) << b;
    }
}

TEST(NameBytes, AConcatenationKeepsEachPartsBytes)
{
    // What the output name is made of: prefix + base name + extension.
    const QString base = nameFromNative(bytes("\x8E\xCA\x90\x5E"));
    const QString name = QString::fromUtf8("サムネ_") + base + QStringLiteral(".jpg");
    EXPECT_EQ(nativePath(name), QByteArray("\xE3\x82\xB5\xE3\x83\xA0\xE3\x83\x8D_\x8E\xCA\x90\x5E.jpg"));
}

TEST(NameBytes, ALoneSurrogateNotFromTheFileSystemIsWrittenAsTheReplacementCharacter)
{
    const QString lone = QStringLiteral("a") + QChar(char16_t(0xD800)) + QStringLiteral("b") + QChar(char16_t(0xDC10));
    EXPECT_EQ(nativePath(lone), QByteArray("a\xEF\xBF\xBD" "b\xEF\xBF\xBD"));
}

struct Shown {
    const char *what;
    QByteArray native;
    QString display;
};

class DisplayName : public ::testing::TestWithParam<Shown> {};

TEST_P(DisplayName, ShowsWhatTheUserReads)
{
    const Shown &c = GetParam();
    EXPECT_EQ(displayName(nameFromNative(c.native)).toStdString(), c.display.toStdString()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DisplayName,
    ::testing::Values(
        Shown{"utf-8 as it is", bytes("\xE5\x86\x99\xE7\x9C\x9F.jpg"), QString::fromUtf8("写真.jpg")},
        Shown{"shift-jis decoded", bytes("\x8E\xCA\x90\x5E.jpg"), QString::fromUtf8("写真.jpg")},
        Shown{"shift-jis with a 0x5C trail byte", bytes("\x83\x5C\x83\x74\x83\x67.bmp"), QString::fromUtf8("ソフト.bmp")},
        Shown{"half-width kana", bytes("\xBB\xD1\xC8\xB2\xD9.jpg"), QString::fromUtf8("ｻﾑﾈｲﾙ.jpg")},
        Shown{"latin-1 escaped", bytes("caf\xE9.jpg"), QStringLiteral("caf\\xE9.jpg")},
        Shown{"utf-8 kept, the odd byte escaped", bytes("\xE5\x86\x99\xE7\x9C\x9F\xE9.jpg"), QString::fromUtf8("写真\\xE9.jpg")},
        Shown{"shift-jis lead byte cut at the end", bytes("a.jpg\x8E"), QStringLiteral("a.jpg\\x8E")},
        Shown{"private-use shift-jis is not readable", bytes("\xF0\x40.jpg"), QStringLiteral("\\xF0@.jpg")},
        Shown{"newline", bytes("a\nb.jpg"), QStringLiteral("a\\nb.jpg")},
        Shown{"tab and carriage return", bytes("a\tb\r.jpg"), QStringLiteral("a\\tb\\r.jpg")},
        Shown{"other control characters", bytes("\x1B[1m\x7F.jpg"), QStringLiteral("\\x1B[1m\\x7F.jpg")},
        Shown{"unicode line breaks", bytes("a\xC2\x85" "b\xE2\x80\xA8.jpg"), QStringLiteral("a\\u0085b\\u2028.jpg")},
        Shown{"each folder on its own", bytes("/\xE5\x86\x99/\x8E\xCA\x90\x5E/caf\xE9.jpg"),
              QString::fromUtf8("/写/写真/caf\\xE9.jpg")},
        Shown{"empty", bytes(""), QString()}));

TEST(CurrentFolder, KeepsTheBytesOfAFolderThatIsNotUtf8)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = nativePath(dir.path()) + "/caf\xE9\x8E";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(folder.constData()), 0);
    const QString current = currentFolder();
    ASSERT_EQ(::chdir(old), 0);
    EXPECT_EQ(nativePath(current), folder);
    ::rmdir(folder.constData());
}

} // namespace
