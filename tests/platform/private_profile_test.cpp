#include "support/file_bytes.h"
#include "platform/private_profile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

using namespace tess;
using namespace test_files;

namespace {

struct ReadCase {
    const char *name;
    QByteArray file;
    QString section;
    QString key;
    std::optional<QString> expected;
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProfileRead : public testing::TestWithParam<ReadCase>
{
};

TEST_P(ProfileRead, FindsValueAsWindowsDoes)
{
    const ReadCase &c = GetParam();
    const auto doc = PrivateProfile::parse(c.file);
    EXPECT_EQ(doc.value(c.section, c.key), c.expected);
}

const QString S = QStringLiteral("Section");

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    testing::Values(
        ReadCase{"plain", "[Section]\r\nkey=value\r\n", S, "key", "value"},
        ReadCase{"blanks around key and value", "[Section]\r\n \tkey \v=  value \t\r\n", S, "key", "value"},
        ReadCase{"blanks inside brackets and before", "  [ Section\t]\r\nkey=1\r\n", S, "key", "1"},
        ReadCase{"text after bracket ignored", "[Section] trailing words\r\nkey=1\r\n", S, "key", "1"},
        ReadCase{"section case", "[SECTION]\r\nkey=1\r\n", "section", "key", "1"},
        ReadCase{"key case", "[Section]\r\nKeY=1\r\n", S, "kEy", "1"},
        ReadCase{"spaces around arguments ignored", "[Section]\r\nkey=1\r\n", " Section ", " key  ", "1"},
        ReadCase{"tabs in arguments are not", "[Section]\r\nkey=1\r\n", S, "key\t", std::nullopt},
        ReadCase{"value keeps its case", "[Section]\r\nkey=MiXeD\r\n", S, "key", "MiXeD"},
        ReadCase{"double quotes stripped", "[Section]\r\nkey=\" a b \"\r\n", S, "key", " a b "},
        ReadCase{"single quotes stripped", "[Section]\r\nkey='x'\r\n", S, "key", "x"},
        ReadCase{"unmatched quotes kept", "[Section]\r\nkey=\"x'\r\n", S, "key", "\"x'"},
        ReadCase{"lone quote kept", "[Section]\r\nkey=\"\r\n", S, "key", "\""},
        ReadCase{"empty value", "[Section]\r\nkey=\r\n", S, "key", ""},
        ReadCase{"equals in value", "[Section]\r\nkey=a=b\r\n", S, "key", "a=b"},
        ReadCase{"semicolon inside value", "[Section]\r\nkey=a;b\r\n", S, "key", "a;b"},
        ReadCase{"comment line", "[Section]\r\n;key=1\r\n", S, "key", std::nullopt},
        ReadCase{"indented comment", "[Section]\r\n  ;key=1\r\nkey=2\r\n", S, "key", "2"},
        ReadCase{"hash is not a comment", "[Section]\r\n#key=1\r\n", S, "#key", "1"},
        ReadCase{"line without equals", "[Section]\r\nkey\r\n", S, "key", std::nullopt},
        ReadCase{"first duplicate key wins", "[Section]\r\nkey=1\r\nkey=2\r\n", S, "key", "1"},
        ReadCase{"only first section searched", "[Section]\r\na=1\r\n[Other]\r\n[Section]\r\nb=2\r\n", S, "b",
                 std::nullopt},
        ReadCase{"key of another section", "[Other]\r\nkey=1\r\n[Section]\r\n", S, "key", std::nullopt},
        ReadCase{"text before first section", "key=0\r\n[Section]\r\n", S, "key", std::nullopt},
        ReadCase{"missing section", "[Other]\r\nkey=1\r\n", S, "key", std::nullopt},
        ReadCase{"empty file", "", S, "key", std::nullopt},
        ReadCase{"LF line ends", "[Section]\nkey=1\nnext=2\n", S, "next", "2"},
        ReadCase{"CR line ends", "[Section]\rkey=1\rnext=2", S, "next", "2"},
        ReadCase{"no final line end", "[Section]\r\nkey=1", S, "key", "1"},
        ReadCase{"CP932 key with 0x5C trail byte", cp932(u"[Section]\r\n比率構成= 5\r\n高さ=7\r\n"_qs), S,
                 u"比率構成"_qs, "5"},
        ReadCase{"CP932 value ending in 0x5C trail byte", cp932(u"[Section]\r\nk=ソ\r\nk2=表\r\n"_qs), S, "k",
                 u"ソ"_qs},
        ReadCase{"UTF-8 byte-order mark", QByteArray("\xEF\xBB\xBF") + u"[Section]\r\n幅=€\r\n"_qs.toUtf8(), S,
                 u"幅"_qs, u"€"_qs},
        ReadCase{"marked value decoded", "[Section]\r\nkey={utf-8}%E2%82%AC%20\r\n", S, "key", u"€ "_qs},
        ReadCase{"NUL ends the value", QByteArray("[Section]\r\nkey=abc\0def\r\n", 24), S, "key", "abc"},
        ReadCase{"NUL inside quotes", QByteArray("[Section]\r\nkey=\"ab \0c\"\r\n", 24), S, "key", "ab "},
        ReadCase{"NUL first", QByteArray("[Section]\r\nkey=\0abc\r\n", 21), S, "key", ""},
        ReadCase{"NUL in another line", QByteArray("[Section]\r\nx=\0\r\nkey=1\r\n", 23), S, "key", "1"}));

TEST(PrivateProfile, NewDocumentIsSectionThenKeysInWriteOrder)
{
    PrivateProfile doc;
    doc.setValue(" Section ", "b", " 2");
    doc.setValue("Section", "a", "");
    doc.setValue("Section", u"幅"_qs, u"高さ"_qs);
    EXPECT_EQ(doc.serialise(), QByteArray("[Section]\r\nb= 2\r\na=\r\n\x95\x9D=\x8D\x82\x82\xB3\r\n"));
}

TEST(PrivateProfile, EditKeepsEveryOtherByte)
{
    const QByteArray before = cp932(u"prologue 能\r\n"
                                    "; comment\r\n"
                                    "[Other]\r\n"
                                    "幅=1\r\n"
                                    "\r\n"
                                    "[section]  # tail\r\n"
                                    "  幅 =  old  \r\n"
                                    "unknown line\r\n"
                                    "extra=keep\r\n"
                                    "幅=second\r\n"
                                    "\r\n"
                                    "; trailing comment\r\n"
                                    "[Last]\r\n"
                                    "z=9"_qs);
    auto doc = PrivateProfile::parse(before);
    ASSERT_EQ(doc.serialise(), before);

    doc.setValue("Section", u"幅"_qs, " 128");
    doc.setValue("Section", "new", "1");
    doc.setValue("Section", "newer", "2");
    doc.setValue("Added", "k", "v");
    const QByteArray expected = cp932(u"prologue 能\r\n"
                                      "; comment\r\n"
                                      "[Other]\r\n"
                                      "幅=1\r\n"
                                      "\r\n"
                                      "[section]  # tail\r\n"
                                      "  幅 = 128\r\n"
                                      "unknown line\r\n"
                                      "extra=keep\r\n"
                                      "幅=second\r\n"
                                      "new=1\r\n"
                                      "newer=2\r\n"
                                      "\r\n"
                                      "; trailing comment\r\n"
                                      "[Last]\r\n"
                                      "z=9\r\n"
                                      "[Added]\r\n"
                                      "k=v\r\n"_qs);
    EXPECT_EQ(doc.serialise(), expected);
    EXPECT_EQ(doc.value("SECTION", u"幅"_qs), QStringLiteral("128"));
}

TEST(PrivateProfile, NewKeyInSectionWithoutKeysFollowsItsHeader)
{
    auto doc = PrivateProfile::parse("[Section]\r\n; note\r\n[Next]\r\n");
    doc.setValue("Section", "k", "v");
    EXPECT_EQ(doc.serialise(), QByteArray("[Section]\r\nk=v\r\n; note\r\n[Next]\r\n"));
}

TEST(PrivateProfile, UnterminatedLastKeyGetsALineEndBeforeTheNewKey)
{
    auto doc = PrivateProfile::parse("[Section]\r\na=1");
    doc.setValue("Section", "b", "2");
    EXPECT_EQ(doc.serialise(), QByteArray("[Section]\r\na=1\r\nb=2\r\n"));
}

TEST(PrivateProfile, LfFileKeepsLfLines)
{
    auto doc = PrivateProfile::parse("[Section]\na=1\n");
    doc.setValue("Section", "a", "2");
    doc.setValue("Section", "b", "3");
    EXPECT_EQ(doc.serialise(), QByteArray("[Section]\na=2\nb=3\n"));
}

TEST(PrivateProfile, Utf8FileStaysUtf8WithItsMark)
{
    const QByteArray bom("\xEF\xBB\xBF");
    auto doc = PrivateProfile::parse(bom + u"[Section]\r\n幅=1\r\n"_qs.toUtf8());
    EXPECT_EQ(doc.encoding(), PrivateProfile::Encoding::Utf8);
    doc.setValue("Section", u"幅"_qs, u"€😀"_qs);
    EXPECT_EQ(doc.serialise(), bom + u"[Section]\r\n幅=€😀\r\n"_qs.toUtf8());
}

// An unmarked file is UTF-8 only when its bytes are valid UTF-8 and one of the
// caller's key names stands in it as a key, spelt in UTF-8; either way a write
// keeps its encoding and adds no mark.
struct UnmarkedCase {
    const char *name;
    QByteArray file;
    bool utf8;
    const char *note; // the value of "note", in UTF-8
};

class ProfileUnmarked : public testing::TestWithParam<UnmarkedCase> {};

TEST_P(ProfileUnmarked, KeyNamesDecideBetweenUtf8AndCp932)
{
    const UnmarkedCase &c = GetParam();
    auto doc = PrivateProfile::parse(c.file, {u"保存フォルダ"_qs, u"幅"_qs});
    EXPECT_EQ(doc.encoding(), c.utf8 ? PrivateProfile::Encoding::Utf8 : PrivateProfile::Encoding::Cp932);
    EXPECT_EQ(doc.value(S, "note"), QString::fromUtf8(c.note));
    doc.setValue(S, u"幅"_qs, u"写"_qs);
    EXPECT_EQ(doc.serialise(), c.file + (c.utf8 ? u"幅=写\r\n"_qs.toUtf8() : cp932(u"幅=写\r\n"_qs)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileUnmarked,
    testing::Values(UnmarkedCase{"Utf8NamingAKey", u"[Section]\r\n 保存フォルダ = /写真\r\nnote=縮小\r\n"_qs.toUtf8(), true, "縮小"},
                    UnmarkedCase{"KeyNameOnlyInAValue", u"[Section]\r\nnote=1\r\nmemo=幅\r\n"_qs.toUtf8(), false, "1"},
                    // Half-width katakana in CP932 that happen to be valid UTF-8 ("ý").
                    UnmarkedCase{"Cp932ValidAsUtf8", "[Section]\r\nnote=\xC3\xBD\r\n", false, "ﾃｽ"},
                    UnmarkedCase{"Utf8KeyButAStrayCp932Byte", u"[Section]\r\n幅=1\r\n"_qs.toUtf8() + "note=\x83\x65\r\n", false, "テ"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PrivateProfile, Utf16FileIsReadAsUnicodeAndStaysUtf16)
{
    const auto utf16 = [](const QString &text) {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        return QByteArray("\xFF\xFE") + QByteArray(encoder.encode(text));
    };
    PrivateProfile doc = PrivateProfile::parse(utf16(u"; 設定\r\n[Section]\r\n幅= 200\r\n"_qs));
    EXPECT_EQ(doc.value("Section", u"幅"_qs), QStringLiteral("200"));
    doc.setValue("Section", u"高さ"_qs, " 90");
    EXPECT_EQ(doc.serialise(), utf16(u"; 設定\r\n[Section]\r\n幅= 200\r\n高さ= 90\r\n"_qs));
}

// UTF-16LE bytes unit for unit, lone surrogates included.
QByteArray rawUtf16(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        out += char(c.unicode() & 0xFF);
        out += char(c.unicode() >> 8);
    }
    return out;
}

TEST(PrivateProfile, Utf16FileKeepsALoneSurrogateAndAnOddLastByte)
{
    const QByteArray bom("\xFF\xFE");
    const QString lone = u"x"_qs + QChar(0xD800) + u"y"_qs;
    for (const QByteArray &tail : {QByteArray(), QByteArray("A")}) {
        const QByteArray file = bom + rawUtf16(u"[Section]\r\nk="_qs + lone + u"\r\nbad"_qs + QChar(0xDC00) + u"\r\n"_qs) + tail;
        PrivateProfile doc = PrivateProfile::parse(file);
        EXPECT_EQ(doc.value("Section", "k"), lone);
        EXPECT_EQ(doc.serialise(), file);
        doc.setValue("Section", "j", "v");
        EXPECT_EQ(doc.serialise(), bom + rawUtf16(u"[Section]\r\nk="_qs + lone + u"\r\nj=v\r\nbad"_qs + QChar(0xDC00)
                                                 + u"\r\n"_qs) + tail)
            << "the new key follows the last key line; the line without '=' and the odd byte stay";
        doc.setValue("Section", "k", lone + lone);
        EXPECT_EQ(PrivateProfile::parse(doc.serialise()).value("Section", "k"), lone + lone);
    }
}

TEST(PrivateProfile, AHugeFileOfJunkIsReadAndRewrittenKeepingEveryOtherByte)
{
    // Twenty megabytes of short lines and noise inside the section.
    QByteArray junk;
    QRandomGenerator random(12);
    while (junk.size() < (20 << 20)) {
        switch (random.bounded(4)) {
        case 0: junk += "=\n"; break;
        case 1: junk += "\r\n"; break;
        case 2: junk += "\x95\x9Dx=1\r\n"; break;
        default:
            for (int i = 0; i < 40; ++i)
                junk += char(0x20 + random.bounded(0x5B - 0x20)); // no '[', no line end
            junk += "=\r\n";
        }
    }
    const QByteArray head = cp932(u"[Section]\r\n幅= 64\r\n"_qs);
    const QByteArray file = head + junk;
    EXPECT_EXIT(
        {
            PrivateProfile doc = PrivateProfile::parse(file);
            const auto values = doc.values("Section", {u"幅"_qs, u"高さ"_qs});
            doc.setValues("Section", {{u"幅"_qs, u" 100"_qs}, {u"高さ"_qs, u" 7"_qs}});
            const QByteArray saved = doc.serialise();
            const QByteArray expected = cp932(u"[Section]\r\n幅= 100\r\n"_qs) + junk + cp932(u"高さ= 7\r\n"_qs);
            struct rusage usage {};
            ::getrusage(RUSAGE_SELF, &usage);
            const bool right = values[0] == u"64"_qs && !values[1] && saved == expected;
#if defined(__SANITIZE_ADDRESS__)
            const bool small = true; // the sanitizer's own memory says nothing here
#else
            // The file, its copy and the edited copy, with room to spare.
            const bool small = usage.ru_maxrss < 8 * (file.size() >> 10) + 100 * 1024;
#endif
            std::exit(right && small ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(PrivateProfile, Cp932CheckCatchesUnmappableAndOneWayCharacters)
{
    for (const QString &fits : {u"幅ｻﾑﾈｲﾙ"_qs, u"C:\\pics~"_qs, u"～①Ⅰ㈱"_qs, QString()})
        EXPECT_TRUE(fitsCp932(fits)) << fits.toStdString();
    // U+301C and U+00A5 look like CP932 characters but do not come back as themselves.
    for (const QString &nope : {u"€"_qs, u"😀"_qs, u"〜"_qs, u"¥"_qs, u"♥"_qs})
        EXPECT_FALSE(fitsCp932(nope)) << nope.toStdString();
}

class ProfileUnstorable : public testing::TestWithParam<QString>
{
};

TEST_P(ProfileUnstorable, ValueIsMarkedAndReadsBackUnchanged)
{
    const QString value = GetParam();
    PrivateProfile doc;
    doc.setValue("Section", "key", value);
    const QByteArray bytes = doc.serialise();
    ASSERT_TRUE(bytes.startsWith("[Section]\r\nkey={utf-8}")) << bytes.toStdString();
    EXPECT_EQ(bytes.count('\n'), 2) << "no line break of the value reaches the file";
    for (char c : bytes)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "the marked form is plain ASCII";
    EXPECT_EQ(PrivateProfile::parse(bytes).value("Section", "key"), value);
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileUnstorable,
                         testing::Values(u"😀"_qs, u"€100"_qs, u"a〜b"_qs, u"¥"_qs, u"日本語 with € "_qs,
                                         u"two\r\nlines"_qs, u"lf\n[Evil]\nkey=1"_qs, u"{utf-8}"_qs,
                                         u"{utf-8}%41"_qs, QString(u"nul\0x"_qs), u" {utf-8}"_qs,
                                         u" {utf-8}%41"_qs, u"\t{utf-8}x "_qs, u"\"{utf-8}%41\""_qs,
                                         u"'{utf-8}'"_qs, u"  😀  "_qs, u"\"€\""_qs));

TEST(PrivateProfile, StorableValuesAreWrittenVerbatim)
{
    for (const QString &value : {u"{UTF-8}x"_qs, u"x{utf-8}"_qs, u"\"{utf-8}"_qs, u"サムネ_ソ表能\\"_qs, u"100%"_qs,
                                 u"a=b"_qs}) {
        PrivateProfile doc;
        doc.setValue("Section", "key", value);
        EXPECT_EQ(doc.serialise(), cp932(u"[Section]\r\nkey="_qs + value + u"\r\n"_qs)) << value.toStdString();
    }
    PrivateProfile controls;
    controls.setValue("Section", "key", u"\u001A\u001C\u007F"_qs);
    EXPECT_EQ(controls.serialise(), QByteArray("[Section]\r\nkey=\x1A\x1C\x7F\r\n"));
}

TEST(PrivateProfile, ValuesWithOuterBlanksOrQuotesAreQuotedAndReadBackAsTheyWere)
{
    struct Case {
        QString value;
        QByteArray line;
    };
    const Case cases[] = {
        {u" a "_qs, "key=\" a \""},       {u"\tx"_qs, "key=\"\tx\""},
        {u"y\v"_qs, "key=\"y\v\""},      {u"\"q\""_qs, "key=\"\"q\"\""},
        {u"'s'"_qs, "key=\"'s'\""},      {u" "_qs, "key=\" \""},
        {u"\"open"_qs, "key=\"open"},    {u"a \"b\" c"_qs, "key=a \"b\" c"},
        {u"''"_qs, "key=\"''\""},        {u"\""_qs, "key=\""},
    };
    for (const Case &c : cases) {
        PrivateProfile doc;
        doc.setValue("Section", "key", doc.quotedForReading(c.value));
        EXPECT_EQ(doc.serialise(), "[Section]\r\n" + c.line + "\r\n") << c.value.toStdString();
        EXPECT_EQ(PrivateProfile::parse(doc.serialise()).value("Section", "key"), c.value) << c.value.toStdString();
    }
    // A text that must be marked is marked as it is, quotes and blanks inside the mark.
    for (const QString &marked : {u" € "_qs, u"'😀'"_qs, u"\"{utf-8}\""_qs, u" {utf-8}x"_qs}) {
        PrivateProfile doc;
        doc.setValue("Section", "key", doc.quotedForReading(marked));
        EXPECT_TRUE(doc.serialise().startsWith("[Section]\r\nkey={utf-8}")) << marked.toStdString();
        EXPECT_EQ(PrivateProfile::parse(doc.serialise()).value("Section", "key"), marked) << marked.toStdString();
    }
}

struct CutCase {
    const char *name;
    QString value;
    int bufferSize;
    QString expected;
};

void PrintTo(const CutCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProfileCut : public testing::TestWithParam<CutCase>
{
};

TEST_P(ProfileCut, ValueCutToBufferBytesWithoutSplittingACharacter)
{
    const CutCase &c = GetParam();
    PrivateProfile doc;
    doc.setValue("Section", "key", c.value);
    const auto reread = PrivateProfile::parse(doc.serialise());
    EXPECT_EQ(reread.readString("Section", "key", QString(), c.bufferSize), c.expected);
}

const QString a253(253, u'a');
const QString a254(254, u'a');
const QString a255(255, u'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileCut,
    testing::Values(CutCase{"short", "abc", 256, "abc"}, CutCase{"exactly 255", a255, 256, a255},
                    CutCase{"300 bytes", QString(300, u'x'), 256, QString(255, u'x')},
                    CutCase{"double-byte character fits", a253 + u"幅"_qs, 256, a253 + u"幅"_qs},
                    CutCase{"double-byte character would be split", a254 + u"幅"_qs, 256, a254},
                    CutCase{"half-width katakana are one byte", QString(300, u'ｻ'), 256, QString(255, u'ｻ')},
                    CutCase{"kanji are two bytes", QString(200, u'幅'), 256, QString(127, u'幅')},
                    CutCase{"marked value counted in UTF-8", a253 + u"€"_qs, 256, a253},
                    CutCase{"small buffer", "abcdef", 4, "abc"}, CutCase{"buffer of one", "abc", 1, ""},
                    CutCase{"no buffer", "abc", 0, ""}));

struct UnicodeCutCase {
    const char *name;
    QByteArray bom;
    QString value;
    QString expected;
};

void PrintTo(const UnicodeCutCase &c, std::ostream *os)
{
    *os << c.name;
}

class ProfileUnicodeCut : public testing::TestWithParam<UnicodeCutCase>
{
};

TEST_P(ProfileUnicodeCut, CountsBytesInCp932AsForAShiftJisFile)
{
    const UnicodeCutCase &c = GetParam();
    QByteArray file = u"[Section]\r\nkey="_qs.toUtf8();
    file += c.value.toUtf8() + "\r\n";
    if (c.bom.startsWith("\xFF\xFE")) {
        QStringEncoder encoder(QStringConverter::Utf16LE);
        file = QByteArray(encoder.encode(QString::fromUtf8(file)));
    }
    const auto doc = PrivateProfile::parse(c.bom + file);
    EXPECT_EQ(doc.readString("Section", "key", QString(), 256), c.expected);
}

const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16Bom("\xFF\xFE");

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileUnicodeCut,
    testing::Values(UnicodeCutCase{"UTF-8 kanji", kUtf8Bom, QString(200, u'幅'), QString(127, u'幅')},
                    UnicodeCutCase{"UTF-16 kanji", kUtf16Bom, QString(200, u'幅'), QString(127, u'幅')},
                    UnicodeCutCase{"UTF-8 kanji split", kUtf8Bom, a254 + u"幅"_qs, a254},
                    UnicodeCutCase{"UTF-16 half-width katakana", kUtf16Bom, QString(300, u'ｻ'), QString(255, u'ｻ')},
                    UnicodeCutCase{"UTF-16 euro sign is the one byte of its ?", kUtf16Bom, QString(300, u'€'),
                                   QString(255, u'€')},
                    UnicodeCutCase{"UTF-8 ascii", kUtf8Bom, QString(300, u'x'), QString(255, u'x')}));

TEST(PrivateProfile, WindowsSingleBytesReadAndWriteAsWindowsDoes)
{
    // 0x80, 0xA0 and 0xFD to 0xFF, and the control bytes ICU would swap.
    const QByteArray file("[Section]\r\nkey=\x80\xA0\xFD\xFE\xFF\x1A\x1C\x7F\r\nend=\x95\x9D\x81\r\n");
    PrivateProfile doc = PrivateProfile::parse(file);
    EXPECT_EQ(doc.value("Section", "key"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3\u001A\u001C\u007F"_qs);
    EXPECT_EQ(doc.value("Section", "end"), u"幅\u30FB"_qs) << "a lead byte at the end is not lost";
    EXPECT_EQ(doc.serialise(), file) << "untouched lines keep their bytes";
    doc.setValue("Section", "key", *doc.value("Section", "key"));
    EXPECT_EQ(doc.serialise(), file) << "the same text is written back as the same bytes";
}

// Plain ASCII names and values skip the code page's converter: every byte
// must read as decodeCp932, mends of single bytes included, reads it.
TEST(PrivateProfile, EveryByteInANameOrValueReadsAsTheCodePageReadsIt)
{
    for (int b = 1; b < 0x100; ++b) {
        if (b == '\r' || b == '\n' || b == '=')
            continue;
        const QByteArray name = "a" + QByteArray(1, char(b)) + "b";
        const auto doc = PrivateProfile::parse("[Section]\r\n" + name + "=" + name + "\r\n");
        const QString expected = decodeCp932(name);
        std::vector<QString> keys;
        doc.forEachKeyName([&](const QString &, const QString &key) { keys.push_back(key); });
        EXPECT_EQ(keys, std::vector<QString>{expected}) << b;
        EXPECT_EQ(doc.value("Section", expected), expected) << b;
    }
}

TEST(PrivateProfile, KeyNamesAreVisitedInFileOrderWithTheirSections)
{
    const auto doc = PrivateProfile::parse("x=1\r\n[S1]\r\n[ s2 ]\r\n k =2\r\n;c=3\r\n[bad\r\nj=4\n[S1]\rx=5");
    std::vector<std::pair<QString, QString>> seen;
    doc.forEachKeyName([&](const QString &section, const QString &key) { seen.emplace_back(section, key); });
    const std::vector<std::pair<QString, QString>> expected{{"", "x"}, {"s2", "k"}, {"s2", "j"}, {"S1", "x"}};
    EXPECT_EQ(seen, expected);
}

TEST(PrivateProfile, MissingKeyGivesDefaultWithoutTrailingSpaces)
{
    const auto doc = PrivateProfile::parse("[Section]\r\n");
    EXPECT_EQ(doc.readString("Section", "key", " dflt  ", 256), QStringLiteral(" dflt"));
    EXPECT_EQ(doc.readString("Nowhere", "key", QString(), 256), QString());
}

TEST(PrivateProfileFile, MissingFileReadsEmptyAndWriteCreatesIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("new.ini");
    EXPECT_EQ(getPrivateProfileString("Section", "key", "dflt", 256, path), QStringLiteral("dflt"));
    EXPECT_FALSE(QFile::exists(path)) << "reading creates nothing";
    EXPECT_TRUE(writePrivateProfileString("Section", "key", "value", path));
    EXPECT_TRUE(writePrivateProfileString("Section", "key2", "v2", path));
    EXPECT_EQ(readBytes(path), QByteArray("[Section]\r\nkey=value\r\nkey2=v2\r\n"));
    EXPECT_EQ(getPrivateProfileString("section", "KEY", "dflt", 256, path), QStringLiteral("value"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"new.ini"}) << "no temporary file left";
}

TEST(PrivateProfileFile, FailedSavesLeaveNothingBehind)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeBytes(dir.filePath("plain"), "not a folder");
    QDir(dir.path()).mkdir("folder.ini");
    PrivateProfile doc;
    doc.setValue("Section", "key", "value");
    for (const QString &path : {dir.filePath("missing/x.ini"), dir.filePath("plain/x.ini"), dir.filePath("folder.ini")})
        EXPECT_FALSE(doc.save(path)) << path.toStdString();
    EXPECT_EQ(readBytes(dir.filePath("plain")), QByteArray("not a folder"));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"folder.ini", "plain"}));
    EXPECT_FALSE(PrivateProfile::load(dir.filePath("folder.ini")).has_value()) << "a folder is no readable file";
}

TEST(PrivateProfileFile, ReadOnlyFileIsNotReplaced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any file";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("locked.ini");
    writeBytes(path, "[Section]\r\nkey=old\r\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    EXPECT_FALSE(writePrivateProfileString("Section", "key", "new", path));
    EXPECT_EQ(readBytes(path), QByteArray("[Section]\r\nkey=old\r\n"));
}

} // namespace
