// The table of picture kinds: each kind's own files are claimed by it and by
// no other (so the order kinds are tried in changes nothing), and the endings
// a folder lists them by are each listed once.
#include "codecs/picture_kinds.h"

#include "support/codec_test_support.h"
#include "support/file_bytes.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace tess;
using namespace tess::testing;

namespace {

struct KindSample {
    const char *path; // under the corpus
    PictureKindId kind;
};

const KindSample kSamples[] = {
    {"bmpsuite/g/rgb24.bmp", PictureKindId::Bmp},
    {"bmpsuite/g/pal8os2.bmp", PictureKindId::Bmp},
    {"jpeg/good/mozilla/jpg-size-32x32.jpg", PictureKindId::Jpeg},
    {"formats/png/good/pngsuite/basn2c08.png", PictureKindId::Png},
    {"formats/gif/good/image-gif/interlaced.gif", PictureKindId::Gif},
    {"formats/webp/good/libwebp-test-data/test-nostrong.webp", PictureKindId::Webp},
    {"formats/tiff/good/libtiffpic/zackthecat.tif", PictureKindId::Tiff},
    {"formats/tiff/good/image-tiff/seq/seq-1c-8b-tiled-bigtiff-20f3db0c.tiff", PictureKindId::Tiff},
    {"formats/heif/good/kimageformats/heic-rgb.heic", PictureKindId::Heif},
    {"formats/heif/good/kimageformats/avif-rgb.avif", PictureKindId::Heif},
    {"formats/jxl/good/kimageformats/orientation1.jxl", PictureKindId::Jxl},
    {"formats/jxl/good/conformance/alpha_triangles.jxl", PictureKindId::Jxl},
};

TEST(PictureKinds, EachFileIsClaimedByItsKindAlone)
{
    for (const KindSample &s : kSamples) {
        const QByteArray head = test_files::readBytes(corpus(QLatin1String(s.path))).left(64);
        ASSERT_FALSE(head.isEmpty()) << s.path;
        const auto *bytes = reinterpret_cast<const unsigned char *>(head.constData());
        int claims = 0;
        for (const PictureKind &kind : pictureKinds())
            claims += kind.matches(bytes, std::size_t(head.size())) ? 1 : 0;
        EXPECT_EQ(claims, 1) << s.path;
        const PictureKind *found = kindOfHead(bytes, std::size_t(head.size()));
        ASSERT_NE(found, nullptr) << s.path;
        EXPECT_EQ(found->id, s.kind) << s.path;
        EXPECT_EQ(&pictureKind(s.kind), found) << s.path;
    }
}

TEST(PictureKinds, BytesOfNoKindAreClaimedByNone)
{
    for (const QByteArray &head : {QByteArray(), QByteArray("B"), QByteArray("\xFF"), QByteArray("II*"),
                                   QByteArray("GIF88a"), QByteArray("\0\0\0\x0C" "JXL", 7)}) {
        EXPECT_EQ(kindOfHead(reinterpret_cast<const unsigned char *>(head.constData()), std::size_t(head.size())),
                  nullptr)
            << head.toHex().toStdString();
    }
}

// A name is listed once for every wildcard it matches: an ending listed
// twice, or one wildcard that another's names also match, would list a file
// twice.
TEST(PictureKinds, EveryEndingIsListedOnce)
{
    const QStringList wildcards = pictureEndingWildcards();
    const QRegularExpression plain(QStringLiteral("^\\*\\.[a-z0-9]+$"));
    QSet<QString> seen;
    for (const QString &w : wildcards) {
        EXPECT_TRUE(plain.match(w).hasMatch()) << w.toStdString();
        EXPECT_FALSE(seen.contains(w)) << w.toStdString();
        seen.insert(w);
        for (const QString &other : wildcards) {
            if (other != w) {
                EXPECT_FALSE(w.mid(1).endsWith(other.mid(1))) << w.toStdString() << " " << other.toStdString();
            }
        }
    }
    for (const PictureKind &kind : pictureKinds()) {
        EXPECT_FALSE(kind.endings.empty());
        for (const char *ending : kind.endings)
            EXPECT_TRUE(seen.contains(QStringLiteral("*.") + QLatin1String(ending))) << ending;
    }
}

} // namespace
