#include "thumbs/source_listing.h"

#include "platform/file_names.h"
#include "support/raw_names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tess;

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

class SourceFolder : public ::testing::Test {
protected:
    QString at(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }
    void touch(const QString &name, mode_t mode = 0644) const
    {
        const int fd = ::open(QFile::encodeName(at(name)).constData(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        ASSERT_GE(fd, 0) << name.toStdString();
        ::fchmod(fd, mode); // whatever the umask says
        ::close(fd);
    }
    QStringList list() const
    {
        const SourceListing listing = ListSourceFolder(dir.path());
        EXPECT_FALSE(listing.failure.has_value()) << (listing.failure ? listing.failure->text().toStdString() : "");
        return listing.names;
    }
    QTemporaryDir dir;
};

TEST_F(SourceFolder, ListsPicturesInListBoxOrder)
{
    for (const char *name : {"b.JPG", "A.bmp", "c.jpg"})
        touch(QString::fromUtf8(name));
    EXPECT_EQ(list(), (QStringList{"A.bmp", "b.JPG", "c.jpg"}));
}

struct ListedCase {
    const char *name;
    bool listed;
};

void PrintTo(const ListedCase &c, std::ostream *out)
{
    *out << c.name << (c.listed ? " listed" : " left out");
}

// Every picture kind under each of its endings, any case, and names that only
// look like one.
const ListedCase kListedCases[] = {
    {"a.bmp", true},    {"b.BMP", true},     {"c.dib", true},     {"d.jpg", true},    {"e.JpG", true},
    {"f.jpeg", true},   {"g.JPE", true},     {"h.jfif", true},    {"i.png", true},    {"j.Gif", true},
    {"k.webp", true},   {"l.tif", true},     {"m.TIFF", true},    {"n.heic", true},   {"o.HEIF", true},
    {"p.hif", true},    {"q.avif", true},    {"r.jxl", true},     {"s.b.jpg", true},  {"t.png.webp", true},
    {"u.jpgx", false},  {"v.jpg.txt", false}, {"w.tga", false},   {"jpg", false},     {"x.bm", false},
    {"y.pn", false},    {"z.jpegs", false},  {"aa.tiffx", false}, {"ab.heics", false}, {"ac.jx", false},
    {"ad.svg", false},  {"ae.ico", false},   {"af.raw", false},   {"ag.jp2", false},  {"ah.png~", false},
    {"webp", false},    {"ai.avi", false},   {"aj.hei", false}};

TEST_F(SourceFolder, ListsEveryPictureEndingAndNothingElse)
{
    QStringList expected;
    for (const ListedCase &c : kListedCases) {
        touch(QString::fromUtf8(c.name));
        if (c.listed)
            expected.append(QString::fromUtf8(c.name));
    }
    const QStringList listed = list();
    for (const ListedCase &c : kListedCases)
        EXPECT_EQ(listed.contains(QString::fromUtf8(c.name)), c.listed) << ::testing::PrintToString(c);
    EXPECT_EQ(listed.size(), expected.size());
}

TEST_F(SourceFolder, NewKindsSortAmongBitmapsAndJpegs)
{
    for (const char *name : {"c.png", "A.jpeg", "b.HEIC", "a.bmp", "B.gif"})
        touch(QString::fromUtf8(name));
    EXPECT_EQ(list(), (QStringList{"a.bmp", "A.jpeg", "B.gif", "b.HEIC", "c.png"}));
}

TEST_F(SourceFolder, ListsReadOnlyPicturesOnceAndLeavesOutWhatIsNotAPlainFile)
{
    touch("plain.jpg");
    touch("locked.jpg", 0444);
    touch("unreadable.jpg", 0200); // listed: decoding it reports why it can't be read
    touch(".hidden.jpg");
    touch(".hidden.bmp", 0444);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(".git"));
    ASSERT_TRUE(QFile::link(at("folder.jpg"), at("folderlink.jpg")));
    ASSERT_TRUE(QFile::link(at("plain.jpg"), at("filelink.jpg")));
    ASSERT_TRUE(QFile::link(at("nowhere.jpg"), at("dangling.jpg")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pipe.jpg")).constData(), 0644), 0);

    const QByteArray socketPath = QFile::encodeName(at("socket.bmp"));
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(std::size_t(socketPath.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, socketPath.constData(), std::size_t(socketPath.size()));
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);

    const QStringList names = list();
    ::close(s);
    EXPECT_EQ(names, (QStringList{"filelink.jpg", "locked.jpg", "plain.jpg", "unreadable.jpg"}));
}

TEST_F(SourceFolder, ListsJapaneseNamesInKanaThenKanjiOrder)
{
    for (const char *name : {"写真.jpg", "サムネイル.jpg", "ｻﾑﾈｲﾙ.bmp", "あ.jpg", "Z.jpg", "ガ.bmp", "か.jpg"})
        touch(QString::fromUtf8(name));
    // The dakuten of ガ only counts after the whole first level, where "b" < "j" already decided.
    const QStringList expected = {"Z.jpg",
                                  QString::fromUtf8("あ.jpg"),
                                  QString::fromUtf8("ガ.bmp"),
                                  QString::fromUtf8("か.jpg"),
                                  QString::fromUtf8("ｻﾑﾈｲﾙ.bmp"),
                                  QString::fromUtf8("サムネイル.jpg"),
                                  QString::fromUtf8("写真.jpg")};
    EXPECT_EQ(list(), expected);
}

TEST_F(SourceFolder, ListsPunctuatedNamesAsTheWindowsListDoes)
{
    for (const char *name : {"a_b.jpg", "a.b.jpg", "a-c.jpg", "ab.jpg", "a#.jpg", "a'd.jpg", "10.jpg", "9.jpg"})
        touch(QString::fromUtf8(name));
    EXPECT_EQ(list(), (QStringList{"10.jpg", "9.jpg", "a#.jpg", "a.b.jpg", "a_b.jpg", "ab.jpg", "a-c.jpg", "a'd.jpg"}));
}

TEST_F(SourceFolder, ListsNamesThatAreNotValidTextByTheirBytes)
{
    touch("good.jpg");
    ASSERT_TRUE(test_files::writeRaw(dir.path(), "bad\xff.jpg", {}));
    const QStringList names = list();
    test_files::removeRawNames(dir.path());
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(nativePath(names[0]), QByteArray("bad\xff.jpg"));
    EXPECT_EQ(names[1], QStringLiteral("good.jpg"));
}

// Every kind of name a copied folder brings, in the order the list shows them:
// by the displayed text, and a UTF-8 and a Shift-JIS spelling of one name by
// their bytes.
TEST_F(SourceFolder, SortsNamesThatAreNotUtf8ByWhatTheListShows)
{
    const QList<QByteArray> expected = {
        "a\nb.jpg",                          // a\nb.jpg
        "caf\xE9.jpg",                       // caf\xE9.jpg (Latin-1)
        "caf\xC3\xA9.bmp",                  // café.bmp
        "tab\t.jpg",                         // tab\t.jpg
        "\x8E\xCA\x90\x5E.jpg",               // 写真.jpg in Shift-JIS
        "\xE5\x86\x99\xE7\x9C\x9F.jpg",         // 写真.jpg
        "\xE5\x86\x99\xE7\x9C\x9F\xE9.bmp",     // 写真\xE9.bmp, mixed
    };
    for (auto it = expected.rbegin(); it != expected.rend(); ++it)
        ASSERT_TRUE(test_files::writeRaw(dir.path(), *it, {}));
    ASSERT_TRUE(test_files::writeRaw(dir.path(), "\x8E\xCA\x90\x5E.txt", {})); // not a picture
    const QStringList names = list();
    test_files::removeRawNames(dir.path());

    QList<QByteArray> listed;
    for (const QString &name : names)
        listed.append(nativePath(name));
    EXPECT_EQ(listed, expected);
}

TEST_F(SourceFolder, AnEmptyFolderListsNothing)
{
    touch("readme.txt");
    EXPECT_TRUE(list().isEmpty());
}

// Past 32,767 files a 16-bit count would overflow; the list has no such bound.
TEST_F(SourceFolder, ListsMoreThan32767FilesWhole)
{
    constexpr int count = 33000;
    // Hard links to one empty file: a directory entry each, far quicker to make
    // than as many new files.
    touch("seed");
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray seed = folder + "/seed";
    for (int i = 0; i < count; ++i) {
        const QByteArray path = folder + '/' + QByteArray::number(i).rightJustified(5, '0') + (i % 2 ? ".jpg" : ".BMP");
        ASSERT_EQ(::link(seed.constData(), path.constData()), 0) << path.constData();
    }
    const QStringList names = list();
    ASSERT_EQ(names.size(), count);
    EXPECT_EQ(names.front(), "00000.BMP");
    EXPECT_EQ(names[32767], "32767.jpg");
    EXPECT_EQ(names.back(), "32999.jpg");
}

TEST(SourceFolderFailure, AMissingFolderIsOneFailureNamingIt)
{
    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/gone");
    const SourceListing listing = ListSourceFolder(missing);
    ASSERT_TRUE(listing.failure.has_value());
    EXPECT_EQ(listing.failure->file, missing);
    EXPECT_EQ(listing.failure->message, QStringLiteral("フォルダを読めません。ファイルまたはフォルダが見つかりません。"));
    EXPECT_TRUE(listing.names.isEmpty());
}

TEST(SourceFolderFailure, AFileInsteadOfAFolderIsAFailure)
{
    QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/a.jpg");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const SourceListing listing = ListSourceFolder(file);
    ASSERT_TRUE(listing.failure.has_value());
    EXPECT_EQ(listing.failure->message, QStringLiteral("フォルダを読めません。パスの途中がフォルダではありません。"));
}

TEST(SourceFolderFailure, AFolderTheUserMayNotReadIsAFailure)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "folder permissions don't stop the superuser";
    QTemporaryDir dir;
    const QString locked = dir.path() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    const SourceListing listing = ListSourceFolder(locked);
    ::chmod(QFile::encodeName(locked).constData(), 0755);
    ASSERT_TRUE(listing.failure.has_value());
    EXPECT_EQ(listing.failure->message, QStringLiteral("フォルダを読めません。アクセスが拒否されました。"));
}

TEST(WildcardOnBytes, AByteThatIsNotUtf8CountsAsOneCharacter)
{
    const QString latin1 = nameFromNative("caf\xE9.JPG");
    EXPECT_TRUE(matchesWildcard(latin1, QStringLiteral("*.jpg")));
    EXPECT_TRUE(matchesWildcard(latin1, QStringLiteral("caf?.jpg")));
    EXPECT_TRUE(matchesWildcard(latin1, QStringLiteral("c*.jpg")));
    EXPECT_FALSE(matchesWildcard(latin1, QStringLiteral("caf??.jpg")));
    EXPECT_TRUE(matchesWildcard(nameFromNative("\xF0\x9F\x98\x80\x8E.bmp"), QStringLiteral("??.bmp")));
}

struct WildcardCase {
    const char *name;
    const char *wildcard;
    bool matches;
};

class Wildcard : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(Wildcard, MatchesIgnoringCase)
{
    EXPECT_EQ(matchesWildcard(QString::fromUtf8(GetParam().name), QString::fromUtf8(GetParam().wildcard)),
              GetParam().matches)
        << GetParam().name << " ~ " << GetParam().wildcard;
}

INSTANTIATE_TEST_SUITE_P(SourceListing, Wildcard,
                         ::testing::Values(WildcardCase{"a.jpg", "*.jpg", true}, WildcardCase{"A.JPG", "*.jpg", true},
                                           WildcardCase{"a.jpeg", "*.jpg", false},
                                           WildcardCase{"ajpg", "*.jpg", false},
                                           WildcardCase{"写真.Jpg", "*.jpg", true},
                                           WildcardCase{"a1.bmp", "a?.BMP", true},
                                           WildcardCase{"a12.bmp", "a?.bmp", false},
                                           WildcardCase{"x.jpg", "*.*", true}, WildcardCase{"x", "*.*", false}));

} // namespace
