#include "support/decoded_picture.h"
#include "support/file_bytes.h"
#include "codecs/picture_codecs.h"
#include "codecs/open_picture.h"
#include "thumbs/band_rows.h"
#include "thumbs/compose.h"
#include "thumbs/picture_plan.h"
#include "support/counting_stream.h"
#include "support/codec_test_support.h"
#include "support/progressive_jpeg.h"
#include "support/resample_test_support.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace tess;
using namespace test_files;
using tess::testing::composeRows;

namespace {

// Instrumented for the sanitizers, each drawing costs tens of times more: the
// tables below then run a few representative rows (every mode and quality, odd
// bands, a flat, a tall and a square picture), the full tables in the plain build.
#ifdef TESS_SANITIZE
constexpr bool kFewRows = true;
#else
constexpr bool kFewRows = false;
#endif

// Pixels that change in both directions at several rates, so a row or column
// taken from the wrong place shows.
Picture busyPicture(int width, int height)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb((x * 37 + y * 3) & 0xFF, (y * 29 + x / 3) & 0xFF, (x * y + 11 * (x ^ y)) & 0xFF));
    return p;
}

// A reader that decodes whole holds the picture itself; one that streams
// hands out its rows as they are decoded (a progressive JPEG from its
// coefficients).
bool streams(const OpenedPicture &opened)
{
    return opened.ok() && !opened.rows->holdsWhole();
}

enum class Kind { Jpeg, Bmp24BottomUp, Bmp24TopDown, Bmp32BottomUp, Bmp32TopDown };

void putLe(QByteArray &b, int at, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A bitmap with the plain 40-byte header, as encodeBmp does not write them all.
QByteArray plainBmp(const Picture &p, int bits, bool topDown)
{
    const int stride = (p.width() * bits + 31) / 32 * 4;
    QByteArray b(54 + stride * p.height(), '\0');
    b[0] = 'B';
    b[1] = 'M';
    putLe(b, 2, std::uint32_t(b.size()), 4);
    putLe(b, 10, 54, 4);
    putLe(b, 14, 40, 4);
    putLe(b, 18, std::uint32_t(p.width()), 4);
    putLe(b, 22, std::uint32_t(topDown ? -p.height() : p.height()), 4);
    putLe(b, 26, 1, 2);
    putLe(b, 28, std::uint32_t(bits), 2);
    for (int y = 0; y < p.height(); ++y) {
        const int fileRow = topDown ? y : p.height() - 1 - y;
        char *out = b.data() + 54 + fileRow * stride;
        for (int x = 0; x < p.width(); ++x) {
            const Colour c = p.pixel(x, y);
            *out++ = char(blueOf(c));
            *out++ = char(greenOf(c));
            *out++ = char(redOf(c));
            if (bits == 32)
                *out++ = char((x * 13 + y) & 0xFF); // unused byte, never a colour
        }
    }
    return b;
}

QByteArray fileFor(Kind kind, const Picture &p)
{
    switch (kind) {
    case Kind::Jpeg: return *encodeJpeg(p, {}, QStringLiteral("t.jpg"));
    case Kind::Bmp24BottomUp: return plainBmp(p, 24, false);
    case Kind::Bmp24TopDown: return plainBmp(p, 24, true);
    case Kind::Bmp32BottomUp: return plainBmp(p, 32, false);
    case Kind::Bmp32TopDown: return plainBmp(p, 32, true);
    }
    return {};
}

ThumbSettings settingsFor(int mode, int width, int height, int quality)
{
    return tess::testing::thumbSettings(mode, width, height, quality, rgb(1, 2, 250));
}

struct Drawn {
    std::optional<Failure> failure;
    Picture canvas;
    int rowsReported = 0;
};

Drawn whole(const QString &path, const ThumbSettings &settings)
{
    Drawn d;
    DecodedPicture decoded = decodePictureFile(path);
    if (!decoded.ok()) {
        d.failure = decoded.failure;
        return d;
    }
    d.canvas.setBackground(Colour(settings.MarginColour));
    ResampleProgress progress{[&](int done, int) { d.rowsReported = done; }};
    d.failure = composeRows(*pictureRows(std::move(decoded.picture)), d.canvas, settings, progress);
    return d;
}

Drawn streamed(RowStream &stream, const ThumbSettings &settings, int band)
{
    Drawn d;
    d.canvas.setBackground(Colour(settings.MarginColour));
    ResampleProgress progress{[&](int done, int) { d.rowsReported = done; }};
    d.failure = composeRows(stream, d.canvas, settings, progress, {}, band);
    return d;
}

void expectSame(const Drawn &a, const Drawn &b, const std::string &what)
{
    ASSERT_EQ(a.failure.has_value(), b.failure.has_value()) << what;
    if (a.failure) {
        EXPECT_EQ(a.failure->message, b.failure->message) << what;
        return;
    }
    EXPECT_EQ(a.rowsReported, b.rowsReported) << what;
    ASSERT_EQ(a.canvas.width(), b.canvas.width()) << what;
    ASSERT_EQ(a.canvas.height(), b.canvas.height()) << what;
    for (int y = 0; y < a.canvas.height(); ++y)
        ASSERT_TRUE(std::equal(a.canvas.row(y), a.canvas.row(y) + a.canvas.width(), b.canvas.row(y)))
            << what << " canvas row " << y;
}

// ---------------------------------------------------------------- streamed = whole, over a table

struct Size {
    int width, height;
};

class StreamedMatchesWhole : public ::testing::TestWithParam<std::tuple<Kind, Size>> {};

TEST_P(StreamedMatchesWhole, EveryModeQualityAndBand)
{
    const auto [kind, size] = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p"));
    writeBytes(path, fileFor(kind, busyPicture(size.width, size.height)));

    // Canvas sizes: the default square, a flat and a tall box (the stretch
    // and keep-ratio modes differ there), and one larger than the picture.
    const std::vector<Size> boxes = kFewRows ? std::vector<Size>{{90, 37}, {41, 100}}
                                             : std::vector<Size>{{128, 128}, {90, 37}, {41, 100}, {300, 250}};
    const std::vector<int> bands = kFewRows ? std::vector<int>{1, 7} : std::vector<int>{1, 7, 16, 500};
    int drawnCount = 0;
    for (const Size box : boxes)
        for (int mode = 0; mode <= CropToFill; ++mode)
            for (int quality = 0; quality <= 3; ++quality) {
                const ThumbSettings s = settingsFor(mode, box.width, box.height, quality);
                // A canvas side over the cap fails both ways alike.
                const Drawn reference = whole(path, s);
                drawnCount += reference.failure ? 0 : 1;
                // Bands of one row, of a size that divides nothing, and taller
                // than most of the pictures.
                for (int band : bands) {
                    OpenedPicture stream = openPicture(path);
                    ASSERT_TRUE(stream.ok());
                    const std::string what = "box " + std::to_string(box.width) + "x" + std::to_string(box.height)
                        + " mode " + std::to_string(mode) + " quality " + std::to_string(quality) + " band "
                        + std::to_string(band);
                    expectSame(reference, streamed(*stream.rows, s, band), what);
                }
            }
    EXPECT_GE(drawnCount, int(boxes.size()) * 7 * 4 - 8);
}

std::vector<std::tuple<Kind, Size>> kindsAndSizes()
{
    if (kFewRows)
        return {{Kind::Jpeg, {257, 191}}, {Kind::Bmp24BottomUp, {3, 200}}, {Kind::Bmp32TopDown, {211, 5}},
                {Kind::Bmp24TopDown, {1, 1}}};
    std::vector<std::tuple<Kind, Size>> all;
    for (Kind kind : {Kind::Jpeg, Kind::Bmp24BottomUp, Kind::Bmp24TopDown, Kind::Bmp32BottomUp, Kind::Bmp32TopDown})
        for (Size size : {Size{1, 1}, Size{3, 200}, Size{211, 5}, Size{257, 191}, Size{640, 481}})
            all.emplace_back(kind, size);
    return all;
}

INSTANTIATE_TEST_SUITE_P(KindsAndSizes, StreamedMatchesWhole, ::testing::ValuesIn(kindsAndSizes()));

// Large pictures, where the window spans many bands and the ring wraps many
// times.
TEST(StreamedMatchesWholeLarge, PhotoSizedPictures)
{
    QTemporaryDir dir;
    std::vector<std::tuple<Kind, Size>> files = {{Kind::Jpeg, {6000, 500}}};
    if (!kFewRows)
        files.insert(files.end(), {{Kind::Jpeg, {3000, 2000}}, {Kind::Bmp24BottomUp, {2500, 1700}}});
    const std::vector<int> modes = kFewRows ? std::vector<int>{2, 3} : std::vector<int>{1, 2, 3, 5};
    for (const auto &[kind, size] : files) {
        const QString path = dir.filePath(QStringLiteral("large"));
        writeBytes(path, fileFor(kind, busyPicture(size.width, size.height)));
        for (int mode : modes)
            for (int quality : {1, 3}) {
                const ThumbSettings s = settingsFor(mode, 128, 96, quality);
                OpenedPicture stream = openPicture(path);
                ASSERT_TRUE(streams(stream));
                expectSame(whole(path, s), streamed(*stream.rows, s, kStreamBandRows),
                           std::to_string(size.width) + "x" + std::to_string(size.height) + " mode "
                               + std::to_string(mode) + " quality " + std::to_string(quality));
            }
    }
}

// ---------------------------------------------------------------- turned and progressive photos

// A photo as a phone or a web tool saves it: tagged with an orientation (0:
// no tag), or progressive.
struct Photo {
    int orientation;
    bool progressive;
};

QByteArray photoFile(const Photo &photo, const Picture &picture)
{
    QByteArray jpeg = *encodeJpeg(picture, {}, QStringLiteral("t.jpg"));
    if (photo.orientation > 0)
        jpeg = tess::testing::withExif(
            jpeg, tess::testing::exifBlock(true, {{{0x0112, 3, 1, std::uint32_t(photo.orientation)}}}));
    return photo.progressive ? tess::testing::progressiveJpeg(jpeg) : jpeg;
}

class PhotoStreamsAsWhole : public ::testing::TestWithParam<Photo> {};

// Read as stored and turned where it is drawn, the photo gives the canvas the
// whole picture turned first gives, byte for byte, with no picture held whole.
TEST_P(PhotoStreamsAsWhole, EveryModeQualityAndSize)
{
    const Photo photo = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    writeBytes(path, photoFile(photo, busyPicture(257, 191)));
    const std::vector<int> bands = kFewRows ? std::vector<int>{7} : std::vector<int>{1, 16};
    for (const Size box : {Size{90, 37}, Size{41, 100}})
        for (int mode = 0; mode <= CropToFill; ++mode)
            for (int quality = 0; quality <= 3; ++quality) {
                const ThumbSettings s = settingsFor(mode, box.width, box.height, quality);
                const Drawn reference = whole(path, s);
                ASSERT_FALSE(reference.failure.has_value());
                for (int band : bands) {
                    OpenedPicture stream = openPicture(path);
                    ASSERT_TRUE(stream.ok());
                    ASSERT_FALSE(stream.rows->holdsWhole());
                    Drawn drawn = streamed(*stream.rows, s, band);
                    drawn.rowsReported = reference.rowsReported; // a turned photo counts columns
                    expectSame(reference, drawn,
                               "box " + std::to_string(box.width) + "x" + std::to_string(box.height) + " mode "
                                   + std::to_string(mode) + " quality " + std::to_string(quality) + " band "
                                   + std::to_string(band));
                }
            }
}

std::vector<Photo> photos()
{
    if (kFewRows)
        return {{6, false}, {7, false}, {0, true}};
    std::vector<Photo> all;
    for (int orientation = 1; orientation <= 8; ++orientation)
        all.push_back({orientation, false});
    all.push_back({0, true});
    all.push_back({6, true});
    return all;
}

INSTANTIATE_TEST_SUITE_P(OrientationsAndProgressive, PhotoStreamsAsWhole, ::testing::ValuesIn(photos()),
                         [](const auto &info) {
                             return std::string(info.param.progressive ? "Progressive" : "Sequential")
                                 + "Orientation" + std::to_string(info.param.orientation);
                         });

struct OrderCase {
    int orientation;
    bool byColumns;
    bool backwards;
};

class PhotoDrawingOrder : public ::testing::TestWithParam<OrderCase> {};

// While a photo is drawn, the part of the canvas its drawing order names
// after each line is already final, and the rest still shows the background:
// what the window copies to the screen as the thumbnail appears.
TEST_P(PhotoDrawingOrder, FinishesTheCanvasLineByLineFromItsEdge)
{
    const OrderCase c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    writeBytes(path, photoFile({c.orientation, false}, busyPicture(257, 191)));
    const ThumbSettings s = settingsFor(KeepRatioWithinBoth, 90, 80, 3);
    OpenedPicture stream = openPicture(path);
    ASSERT_TRUE(stream.ok());
    const PicturePlan plan = planPicture(*stream.rows, s);
    const DrawingOrder order = drawingOrder(plan.resample, plan.turn);
    EXPECT_EQ(order.byColumns, c.byColumns);
    EXPECT_EQ(order.backwards, c.backwards);

    Picture canvas;
    canvas.setBackground(Colour(s.MarginColour));
    std::vector<std::pair<int, Picture>> seen;
    ResampleProgress progress{[&](int done, int) { seen.emplace_back(done, canvas); }};
    ASSERT_FALSE(ComposeThumbnail(*stream.rows, canvas, plan, progress).has_value());
    ASSERT_EQ(int(seen.size()), order.lines);
    for (const auto &[done, snapshot] : seen) {
        const QRect finished = order.finished(canvas.width(), canvas.height(), done);
        const QRect next = order.finishedBetween(canvas.width(), canvas.height(), done, done + 1);
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                if (finished.contains(x, y))
                    ASSERT_EQ(snapshot.pixel(x, y), canvas.pixel(x, y)) << done << " lines, at " << x << "," << y;
                else if (next.contains(x, y))
                    ASSERT_EQ(snapshot.pixel(x, y), canvas.background()) << done << " lines, at " << x << "," << y;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Orientations, PhotoDrawingOrder,
                         ::testing::Values(OrderCase{1, false, false}, OrderCase{4, false, true},
                                           OrderCase{6, true, true}, OrderCase{8, true, false}));

// ---------------------------------------------------------------- what streams and what does not

QString corpus(const char *relative) { return QStringLiteral(TESS_CORPUS_DIR "/") + QLatin1String(relative); }

enum class Read { Streamed, Whole };

struct KindCase {
    const char *file;
    Read kind;
};

class StreamKind : public ::testing::TestWithParam<KindCase> {};

TEST_P(StreamKind, ChosenByTheFilesContent)
{
    const KindCase &c = GetParam();
    ASSERT_TRUE(QFileInfo::exists(corpus(c.file))) << c.file;
    const OpenedPicture opened = openPicture(corpus(c.file));
    ASSERT_TRUE(opened.ok()) << c.file;
    EXPECT_EQ(streams(opened) ? Read::Streamed : Read::Whole, c.kind) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, StreamKind,
    ::testing::Values(
        // Photos stream whatever their orientation, and progressive ones too.
        KindCase{"exif/recurser/Portrait_1.jpg", Read::Streamed},
        KindCase{"exif/recurser/Portrait_0.jpg", Read::Streamed},
        KindCase{"exif/recurser/Portrait_2.jpg", Read::Streamed},
        KindCase{"exif/recurser/Portrait_3.jpg", Read::Streamed},
        KindCase{"exif/recurser/Portrait_6.jpg", Read::Streamed},
        KindCase{"jpeg/good/mozilla/jpg-progressive.jpg", Read::Streamed},
        KindCase{"bmpsuite/g/rgb24.bmp", Read::Streamed},
        KindCase{"bmpsuite/g/rgb32.bmp", Read::Streamed},
        KindCase{"bmpsuite/g/rgb24pal.bmp", Read::Streamed},
        KindCase{"bmpsuite/g/rgb32bf.bmp", Read::Whole},
        KindCase{"bmpsuite/g/rgb32bfdef.bmp", Read::Whole},
        KindCase{"bmpsuite/g/pal8rle.bmp", Read::Whole},
        KindCase{"bmpsuite/g/pal8.bmp", Read::Whole},
        KindCase{"bmpsuite/g/pal8v5.bmp", Read::Whole}));

// Every picture of the corpus that streams gives the whole path's canvas, or
// its failure; one refused at once is refused by the whole path too.
TEST(StreamedCorpus, MatchesTheWholePath)
{
    const std::vector<ThumbSettings> table = {settingsFor(2, 128, 128, 3), settingsFor(3, 64, 100, 1),
                                              settingsFor(5, 96, 96, 0), settingsFor(0, 50, 50, 2)};
    int streamedFiles = 0;
    QDirIterator it(QStringLiteral(TESS_CORPUS_DIR), {QStringLiteral("*.jpg"), QStringLiteral("*.bmp")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        for (const ThumbSettings &s : table) {
            OpenedPicture stream = openPicture(path);
            if (stream.ok() && !streams(stream))
                break;
            const Drawn reference = whole(path, s);
            if (!stream.ok()) {
                EXPECT_TRUE(reference.failure.has_value()) << path.toStdString();
                break;
            }
            const bool byColumns = turnOf(stream.rows->orientation()).transposed;
            Drawn drawn = streamed(*stream.rows, s, kStreamBandRows);
            if (byColumns)
                drawn.rowsReported = reference.rowsReported; // it counts columns
            expectSame(reference, drawn, path.toStdString());
            ++streamedFiles;
        }
    }
    EXPECT_GT(streamedFiles, 40); // the corpus is really read, and most of it streams
}

// ---------------------------------------------------------------- huge claims

// A real JPEG whose frame header is made to claim width x height, cut after
// `keep` bytes of scan data.
QByteArray claiming(int width, int height, int keep)
{
    QByteArray b = *encodeJpeg(busyPicture(64, 64), {}, QStringLiteral("t.jpg"));
    const int sof = b.indexOf("\xFF\xC0");
    EXPECT_GT(sof, 0);
    b[sof + 5] = char(height >> 8);
    b[sof + 6] = char(height & 0xFF);
    b[sof + 7] = char(width >> 8);
    b[sof + 8] = char(width & 0xFF);
    const int sos = b.indexOf("\xFF\xDA");
    EXPECT_GT(sos, sof);
    return b.left(sos + 2 + ((uchar(b[sos + 2]) << 8) | uchar(b[sos + 3])) + keep);
}

TEST(StreamedClaims, AHugeHeaderOverAFewBytesIsRefusedBeforeDecoding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.jpg"));
    writeBytes(path, claiming(65500, 65500, 40));
    const OpenedPicture stream = openPicture(path);
    EXPECT_FALSE(stream.ok());
    EXPECT_FALSE(stream.message.isEmpty());
    EXPECT_FALSE(stream.rows);
}

TEST(StreamedClaims, ACutPictureStopsAtTheBandWhereItsDataEnds)
{
    // Within the whole-picture cap, so it streams; its data ends early on.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.jpg"));
    writeBytes(path, claiming(4000, 4000, 2000));
    OpenedPicture stream = openPicture(path);
    ASSERT_TRUE(streams(stream));
    const Drawn d = streamed(*stream.rows, settingsFor(2, 128, 128, 3), kStreamBandRows);
    ASSERT_TRUE(d.failure.has_value());
    EXPECT_LT(d.rowsReported, 20) << "the canvas stops near the end of the data, not after every row";
    EXPECT_EQ(d.failure->message, whole(path, settingsFor(2, 128, 128, 3)).failure.value_or(Failure{}).message);
}

// ---------------------------------------------------------------- the band ring

TEST(BandRowsRing, HoldsOnlyTheSpanBetweenTheReleasedRowAndTheLastRead)
{
    CountingStream stream(5, 1000);
    const BandRows rows(stream, 7);
    for (int y = 0; y < 1000; ++y) {
        rows.release(std::max(0, y - 20)); // a window of 21 rows moving down
        for (int back = std::max(0, y - 20); back <= y; back += 5)
            ASSERT_EQ(rows.row(back)[4], Colour(back)) << y;
    }
    EXPECT_LE(rows.peakRows(), 21 + 7);
    EXPECT_EQ(stream.read(), 1000);
}

TEST(BandRowsRing, AskingForARowOutsideThePictureOrAlreadyOverwrittenThrows)
{
    CountingStream stream(3, 100);
    const BandRows rows(stream, 4);
    EXPECT_THROW(rows.row(100), std::out_of_range);
    EXPECT_THROW(rows.row(-1), std::out_of_range);
    ASSERT_EQ(rows.row(60)[0], Colour(60));
    rows.release(50);
    ASSERT_EQ(rows.row(80)[0], Colour(80));
    EXPECT_EQ(rows.row(50)[0], Colour(50));
    EXPECT_THROW(rows.row(10), std::out_of_range);
}

TEST(BandRowsRing, ABrokenStreamGivesNoMoreRowsAndDrainReadsTheRest)
{
    CountingStream broken(3, 50, 33);
    const BandRows rows(broken, 8);
    EXPECT_EQ(rows.row(31)[0], Colour(31));
    EXPECT_FALSE(rows.failed());
    EXPECT_EQ(rows.row(33), nullptr);
    EXPECT_TRUE(rows.failed());
    EXPECT_EQ(rows.row(34), nullptr);
    EXPECT_FALSE(rows.drain());

    CountingStream good(3, 50);
    const BandRows all(good, 8);
    all.row(3);
    EXPECT_TRUE(all.drain());
    EXPECT_FALSE(all.failed());
    EXPECT_EQ(good.read(), 50);
    EXPECT_TRUE(good.finish());
}

TEST(StreamedCompose, BadSettingsFailAfterTheFileIsReadAndABrokenFileWins)
{
    ThumbSettings bad = settingsFor(9, 128, 128, 3); // no such ratio mode
    CountingStream good(20, 20);
    Picture canvas;
    const std::optional<Failure> settingsFailure = composeRows(good, canvas, bad);
    ASSERT_TRUE(settingsFailure.has_value());
    EXPECT_NE(settingsFailure->message, QStringLiteral("broken"));
    EXPECT_EQ(good.read(), 20);

    CountingStream broken(20, 20, 15);
    const std::optional<Failure> fileFailure = composeRows(broken, canvas, bad);
    ASSERT_TRUE(fileFailure.has_value());
    EXPECT_EQ(fileFailure->message, QStringLiteral("broken"));

    // A file that breaks while it is drawn fails at once, naming the file.
    CountingStream breaksEarly(20, 2000, 300);
    const PicturePlan plan = planPicture(breaksEarly, settingsFor(2, 128, 128, 3), QStringLiteral("/p/a.jpg"));
    const std::optional<Failure> early = ComposeThumbnail(breaksEarly, canvas, plan);
    ASSERT_TRUE(early.has_value());
    EXPECT_EQ(early->file, QStringLiteral("/p/a.jpg"));
    EXPECT_EQ(early->message, QStringLiteral("broken"));
    EXPECT_LE(breaksEarly.read(), 300 + kStreamBandRows);
}

TEST(StreamedCompose, RowsHeldStayFarBelowThePicture)
{
    // A panorama shrunk to 128 wide needs its window, not its height.
    const ThumbSettings s = settingsFor(2, 128, 128, 3);
    CountingStream panorama(16000, 8000);
    const long long held = planPicture(panorama, s).rowsHeld;
    EXPECT_GE(held, 126); // the 125-row step's window at least
    EXPECT_LT(held, 200);
    CountingStream strip(100, 10);
    EXPECT_EQ(planPicture(strip, s).rowsHeld, 10); // never more than the picture
}

} // namespace
