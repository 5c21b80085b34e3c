// The preview's loader: what it keeps of a picture, and that the box it draws
// from that is, pixel for pixel, the box drawn from the whole decoded picture.
#include "app/preview_fit.h"
#include "app/preview_picture.h"
#include "codecs/picture_codecs.h"
#include "platform/blit.h"
#include "support/app_test_support.h"
#include "support/decoded_picture.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr Colour kBox = rgb(255, 255, 255);

QString corpus(const QString &relative)
{
    return QStringLiteral(TESS_CORPUS_DIR "/") + relative;
}

// The box as the window drew it from a whole decode.
Picture drawnFromWhole(const Picture &whole, bool thumbnail)
{
    const int w = whole.width();
    const int h = whole.height();
    const PreviewFit fit = thumbnail ? fitThumbnailPreview(w, h) : fitSourcePreview(w, h);
    const QSize drawn = fit.drawnSize();
    Picture shown(drawn.width(), drawn.height(), kBox);
    if (fit.stretched)
        stretchBlt(shown, 0, 0, drawn.width(), drawn.height(), whole, 0, 0, w, h);
    else
        bitBlt(shown, 0, 0, drawn.width(), drawn.height(), whole, 0, 0);
    return shown;
}

} // namespace

class PreviewPictureTest : public QObject {
    Q_OBJECT

private slots:
    void drawsAsTheWholePictureDoes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("good");
        const char *files[] = {
            "jpeg/good/libjpeg-turbo/testorig.jpg",             // 227 x 149
            "jpeg/good/jpeg-decoder/grayscale_long.jpg",        // 1 x 1000
            "jpeg/good/jpeg-decoder/grayscale_16x24_sampling2x2.jpg",
            "jpeg/good/jpeg-decoder/blank_800x280.jpg",
            "jpeg/good/jpeg-decoder/progressive3.jpg",
            "exif/pillow/hopper_orientation_6.jpg",
            "exif/recurser/Portrait_5.jpg",
            "bmpsuite/g/rgb24.bmp",                             // 127 x 64
            "bmpsuite/g/pal8topdown.bmp",
            "formats/png/good/pngsuite/s01n3p01.png",           // 1 x 1
            "formats/png/good/pngsuite/cdfn2c08.png",           // 8 x 32
            "formats/png/good/image-png/issue_430.png",         // 568 x 153
            "formats/png/good/pillow/padded_idat.png",          // 256 x 10
            "formats/gif/good/image-gif/set_hsts.gif",          // 1 x 1
            "formats/gif/good/image-rs/border_touching_layers.gif", // 100 x 100
            "formats/gif/good/image-gif/anim-gr.gif",           // 100 x 50
            "formats/gif/good/pillow/dispose_none_load_end.gif", // 200 x 150
            "formats/webp/good/libwebp-test-data/small_13x1.webp",
            "formats/webp/good/libwebp-test-data/small_1x13.webp",
            "formats/webp/good/libwebp-test-data/lossless1.webp", // 1000 x 307
            "formats/tiff/good/libtiffpic/oxford.tif",          // 601 x 81
            "formats/tiff/good/image-tiff/big_g4.tif",          // 1 x 65537
            "formats/heif/good/kimageformats/heic-orientation6.heic",
            "formats/heif/good/pillow_heif/L_12__29x100.heif",
            "formats/jxl/good/testdata/pq_gradient.jxl",        // 1088 x 64
            "jpeg/bad/pillow/truncated_jpeg.jpg",
            "jpeg/bad/pillow/junk_jpeg_header.jpg",
            "jpeg/bad/jpeg-decoder/progressive-missing-dc.jpg",
            "bmpsuite/b/badrle.bmp",
            "bmpsuite/b/badbitcount.bmp",
            "jpeg/bad/missing.jpg",
        };
        for (const char *file : files)
            QTest::newRow(file) << corpus(file) << !QByteArray(file).contains("/bad");
    }

    void drawsAsTheWholePictureDoes()
    {
        QFETCH(QString, file);
        QFETCH(bool, good);
        const DecodedPicture whole = decodePictureFile(file);
        if (good)
            QVERIFY2(whole.ok(), qPrintable(whole.failure->text()));
        const PreviewPicture loaded = loadPreviewPicture(file);
        QCOMPARE(loaded.ok(), whole.ok());
        if (!whole.ok()) {
            QVERIFY(loaded.isEmpty());
            QVERIFY(loaded.kept.isEmpty());
            return;
        }
        QCOMPARE(loaded.width, whole.picture.width());
        QCOMPARE(loaded.height, whole.picture.height());
        const Picture drawn = drawnFromWhole(whole.picture, false);
        for (const bool thumbnail : {false, true}) {
            const Picture expected = thumbnail ? drawnFromWhole(whole.picture, true) : drawn;
            const Picture shown = drawPreview(loaded, thumbnail, kBox);
            QVERIFY2(shown == expected, thumbnail ? "thumbnail preview" : "source preview");
            QCOMPARE(shown.background(), kBox);
        }
        // Only a small picture is kept whole; a larger one as the box shows it.
        if (previewKeepsWhole(loaded.width, loaded.height))
            QVERIFY(loaded.kept == whole.picture);
        else
            QCOMPARE(QSize(loaded.kept.width(), loaded.kept.height()), QSize(drawn.width(), drawn.height()));
    }

    // A camera raw shows the smallest picture it holds that covers the box:
    // the camera's preview, upright, or else its development at half size.
    void showsARawFromWhatCoversTheBox_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("preview of 160 x 120") << "raw/good/progressive3_grbg16_tiny_preview.dng" << QSize(160, 120);
        QTest::newRow("preview turned upright") << "raw/good/portrait_turned8_preview.dng" << QSize(1200, 1800);
        QTest::newRow("no preview: half the sensor") << "raw/good/portrait_rggb14.dng" << QSize(600, 900);
    }

    void showsARawFromWhatCoversTheBox()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        const PreviewPicture loaded = loadPreviewPicture(corpus(file));
        QVERIFY(loaded.ok());
        QCOMPARE(QSize(loaded.width, loaded.height), size);
        // Not a made-up picture (all black, all white): a photo's greens
        // range widely about a middle level.
        int lowest = 255, highest = 0;
        long long sum = 0;
        for (int y = 0; y < loaded.kept.height(); ++y) {
            for (int x = 0; x < loaded.kept.width(); ++x) {
                const int green = greenOf(loaded.kept.pixel(x, y));
                lowest = std::min(lowest, green);
                highest = std::max(highest, green);
                sum += green;
            }
        }
        const long long mean = sum / std::max(1, loaded.kept.width() * loaded.kept.height());
        QVERIFY2(highest - lowest > 100 && mean > 30 && mean < 225, qPrintable(QString::number(mean)));
    }

    void keepsWholeUpToTheBoxSide()
    {
        const struct { int width, height; bool whole; } cases[] = {
            {1, 1, true}, {100, 100, true}, {101, 1, false}, {100, 101, false}};
        for (const auto &c : cases)
            QCOMPARE(previewKeepsWhole(c.width, c.height), c.whole);
    }

    // Generated pictures whose whole would be far larger than what the load
    // may hold: a band of rows and the drawn box.
    void holdsABandAndTheBox_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("size");
        QTest::newRow("wide JPEG") << "jpg" << QSize(3000, 600);
        QTest::newRow("tall JPEG") << "jpg" << QSize(300, 3000);
        QTest::newRow("wide bitmap") << "bmp" << QSize(2500, 500);
        QTest::newRow("one pixel wide bitmap") << "bmp" << QSize(1, 20000);
    }

    void holdsABandAndTheBox()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.") + kind);
        const Picture source = quadrantPicture(size.width(), size.height());
        QVERIFY(kind == QLatin1String("bmp") ? writeBmp(path, source) : writeJpeg(path, source));

        std::size_t largest = 0;
        const PreviewPicture loaded = loadPreviewPicture(path, PreviewLoadControl{nullptr, &largest});
        QVERIFY(loaded.ok());
        const std::size_t band = 16 * std::size_t(size.width()) * sizeof(Colour);
        const std::size_t box = 100 * 100 * sizeof(Colour);
        QVERIFY2(largest > 0 && largest <= band + box, qPrintable(QString::number(largest)));
        QVERIFY(largest * 8 < source.byteCount());
        // And what it kept still draws as the whole picture does.
        const DecodedPicture whole = decodePictureFile(path);
        QVERIFY(whole.ok());
        QVERIFY(drawPreview(loaded, false, kBox) == drawnFromWhole(whole.picture, false));
    }

    void aStoppedLoadGivesNothing()
    {
        std::atomic<bool> stop{true};
        const PreviewPicture loaded =
            loadPreviewPicture(corpus(QStringLiteral("jpeg/good/libjpeg-turbo/testorig.jpg")), {&stop, nullptr});
        QVERIFY(!loaded.ok());
        QVERIFY(loaded.isEmpty());
        QVERIFY(drawPreview(loaded, false, kBox).isEmpty());
    }
};

QTEST_MAIN(PreviewPictureTest)
#include "preview_picture_qtest.moc"
