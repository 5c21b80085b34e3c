// The table of picture kinds: each kind's own files are claimed by it and by
// no other (so the order kinds are tried in changes nothing), and the endings
// a folder lists them by are each listed once.
#include "codecs/picture_kinds.h"

#include "support/codec_test_support.h"
#include "support/file_bytes.h"
#include "support/picture_reading.h"

#include <QRegularExpression>
#include <vector>

#include <gtest/gtest.h>

using namespace tess;
using namespace tess::testing;

namespace {

// Each kind's files in the forms its reader tells apart: a bitmap's two
// headers, a TIFF and a BigTIFF, HEIC and AVIF, a bare and a boxed JPEG XL.
const std::pair<PictureKindId, std::vector<const char *>> kSamples[] = {
    {PictureKindId::Bmp, {"bmpsuite/g/rgb24.bmp", "bmpsuite/g/pal8os2.bmp"}},
    {PictureKindId::Jpeg, {"jpeg/good/mozilla/jpg-size-32x32.jpg"}},
    {PictureKindId::Png, {"formats/png/good/pngsuite/basn2c08.png"}},
    {PictureKindId::Gif, {"formats/gif/good/image-gif/interlaced.gif"}},
    {PictureKindId::Webp, {"formats/webp/good/libwebp-test-data/test-nostrong.webp"}},
    {PictureKindId::Tiff, {"formats/tiff/good/libtiffpic/zackthecat.tif",
                           "formats/tiff/good/image-tiff/seq/seq-1c-8b-tiled-bigtiff-20f3db0c.tiff"}},
    {PictureKindId::Heif, {"formats/heif/good/kimageformats/heic-rgb.heic",
                           "formats/heif/good/kimageformats/avif-rgb.avif"}},
    {PictureKindId::Jxl, {"formats/jxl/good/kimageformats/orientation1.jxl",
                          "formats/jxl/good/conformance/alpha_triangles.jxl"}},
    {PictureKindId::Raw, {"raw/good/portrait_rggb14.dng", "raw/good/patches_bggr12_black128_half_preview_be.dng"}},
};

TEST(PictureKinds, EachFileIsClaimedByItsKindAlone)
{
    for (const auto &[id, paths] : kSamples) {
        for (const char *path : paths) {
            const QByteArray bytes = test_files::readBytes(corpus(QLatin1String(path)));
            ASSERT_FALSE(bytes.isEmpty()) << path;
            const PictureFile file = pictureFileOf(bytes);
            int claims = 0;
            for (const PictureKind &kind : pictureKinds())
                claims += kind.matches(file) ? 1 : 0;
            // A camera raw is a TIFF too: it alone comes before TIFF.
            EXPECT_EQ(claims, id == PictureKindId::Raw ? 2 : 1) << path;
            const PictureKind *found = kindOfFile(file);
            EXPECT_EQ(found, &pictureKind(id)) << path;
            EXPECT_EQ(found ? found->id : PictureKindId(-1), id) << path;
        }
    }
}

TEST(PictureKinds, BytesOfNoKindAreClaimedByNone)
{
    for (const QByteArray &head : {QByteArray(), QByteArray("B"), QByteArray("\xFF"), QByteArray("II*"),
                                   QByteArray("GIF88a"), QByteArray("\0\0\0\x0C" "JXL", 7)}) {
        EXPECT_EQ(kindOfFile(pictureFileOf(head)), nullptr)
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
    for (qsizetype i = 0; i < wildcards.size(); ++i) {
        const QString &w = wildcards[i];
        EXPECT_TRUE(plain.match(w).hasMatch()) << w.toStdString();
        for (qsizetype j = 0; j < wildcards.size(); ++j) {
            if (j != i) {
                EXPECT_FALSE(w.mid(1).endsWith(wildcards[j].mid(1)))
                    << w.toStdString() << " " << wildcards[j].toStdString();
            }
        }
    }
    for (const PictureKind &kind : pictureKinds())
        EXPECT_FALSE(kind.endings.empty()) << "a kind whose files no folder lists";
}

} // namespace
