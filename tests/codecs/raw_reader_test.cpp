// The camera-raw reader on DNGs written here from known pictures (which of
// preview and development serves, at what size, turned how), on broken raws,
// and on the corpus's raws against their photos.
#include "codecs/codec_messages.h"
#include "codecs/open_picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/batch_engine.h"

#include "support/codec_test_support.h"
#include "support/dng_writer.h"
#include "support/file_bytes.h"
#include "support/picture_reading.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <functional>

using namespace tess;
using namespace tess::testing;
using test_files::writeBytes;

namespace {

// The raws' picture, upright: 6 x 4 flat patches. The mosaic and the
// preview differ by at least 98 levels in blue in every patch, so the
// result tells which one served; within each, no two patches match and red
// runs across while green runs down, so a turn, a flip or swapped channels
// show. The brightest green (240) passes three quarters of the white level,
// where a development that stretches the brightest sample to white would
// brighten the whole picture.
constexpr int kColumns = 6, kRows = 4;
constexpr int kWidth = 192, kHeight = 128;

Colour patchColour(int column, int row, bool preview)
{
    return preview ? rgb(220 - 40 * column, 230 - 60 * row, 30) : rgb(20 + 40 * column, 45 + 65 * row, 128);
}

Picture patches(int width, int height, bool preview)
{
    Picture p(width, height);
    const int w = width / kColumns, h = height / kRows;
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
            p.fillBox(column * w, row * h, w, h, patchColour(column, row, preview));
    return p;
}

// The mean of each patch's middle half, away from the edges where
// demosaicing and the JPEG blur; worst channel difference from the patches.
int patchError(const Picture &picture, bool preview)
{
    const int w = picture.width() / kColumns, h = picture.height() / kRows;
    int worst = 0;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            long long sum[3] = {};
            int count = 0;
            for (int y = row * h + h / 4; y < row * h + 3 * h / 4; ++y) {
                for (int x = column * w + w / 4; x < column * w + 3 * w / 4; ++x) {
                    const Colour c = picture.row(y)[x];
                    sum[0] += redOf(c);
                    sum[1] += greenOf(c);
                    sum[2] += blueOf(c);
                    ++count;
                }
            }
            const Colour want = patchColour(column, row, preview);
            const int wanted[3] = {redOf(want), greenOf(want), blueOf(want)};
            for (int k = 0; k < 3; ++k)
                worst = std::max(worst, int(std::lround(std::abs(double(sum[k]) / count - wanted[k]))));
        }
    }
    return worst;
}

// The wanted size of a picture drawn within a square box, its ratio kept.
std::function<QSize(int, int)> withinBox(int box)
{
    return [box](int width, int height) {
        const double scale = std::min(double(box) / width, double(box) / height);
        return QSize(int(std::ceil(width * scale)), int(std::ceil(height * scale)));
    };
}

enum class Served { Preview, HalfDevelopment, FullDevelopment };

struct RawCase {
    const char *name;
    DngOptions dng;
    int previewDivisor; // 0: no preview; else the preview is the picture's size over this
    RawSource source;
    int box;
    Served served;
    const char *fileName = "raw.dng";
};

DngOptions dngOptions(Cfa cfa, int bits, int black, int orientation, bool littleEndian = true, int previewExif = 0,
                      bool previewBitmap = false)
{
    DngOptions o;
    o.cfa = cfa;
    o.bits = bits;
    o.black = black;
    o.orientation = orientation;
    o.littleEndian = littleEndian;
    o.previewExif = previewExif;
    o.previewBitmap = previewBitmap;
    return o;
}

void PrintTo(const RawCase &c, std::ostream *out) { *out << c.name; }

class RawCases : public ::testing::TestWithParam<RawCase> {};

// Half the sensor (96 x 64) covers the box 80 (80 x 54) and just the box 96,
// not the box 120 (120 x 80); so does a half-size preview; a full-size one
// covers the box 160 but not 240.
TEST_P(RawCases, GiveTheKnownPictureUpright)
{
    const RawCase &c = GetParam();
    DngOptions options = c.dng;
    if (c.previewDivisor)
        options.preview = patches(kWidth / c.previewDivisor, kHeight / c.previewDivisor, true);
    const DngFile dng = writeDng(patches(kWidth, kHeight, false), options);
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(c.fileName));
    writeBytes(path, dng.bytes);

    ReadOptions read;
    read.raw = c.source;
    read.wantedSize = withinBox(c.box);
    const ReadOutcome out = readFile(openByContent, path, read);
    ASSERT_TRUE(out.complete) << out.message.toStdString();
    const QSize size = c.served == Served::Preview           ? QSize(kWidth, kHeight) / c.previewDivisor
                       : c.served == Served::HalfDevelopment ? QSize(kWidth / 2, kHeight / 2)
                                                             : QSize(kWidth, kHeight);
    ASSERT_EQ(QSize(out.width, out.height), size);
    EXPECT_LE(patchError(out.picture, c.served == Served::Preview), 4);
}

INSTANTIATE_TEST_SUITE_P(Dng, RawCases, ::testing::Values(
    RawCase{"rggb12HalfDevelopment", dngOptions(Cfa::Rggb, 12, 0, 1), 0, RawSource::Preview, 80, Served::HalfDevelopment},
    RawCase{"bggr16BlackFullDevelopment", dngOptions(Cfa::Bggr, 16, 4096, 1), 0, RawSource::Preview, 120, Served::FullDevelopment},
    RawCase{"grbgBigEndianHalfTurn", dngOptions(Cfa::Grbg, 14, 512, 3, false), 0, RawSource::Preview, 120, Served::FullDevelopment},
    RawCase{"gbrgTurnedClockwiseHalf", dngOptions(Cfa::Gbrg, 12, 128, 6), 0, RawSource::Preview, 80, Served::HalfDevelopment},
    RawCase{"rggbTurnedAnticlockwiseFull", dngOptions(Cfa::Rggb, 16, 0, 8), 0, RawSource::Preview, 120, Served::FullDevelopment},
    RawCase{"fullPreviewServes", dngOptions(Cfa::Rggb, 14, 0, 1), 1, RawSource::Preview, 160, Served::Preview},
    RawCase{"fullPreviewTooSmall", dngOptions(Cfa::Rggb, 14, 0, 1), 1, RawSource::Preview, 240, Served::FullDevelopment},
    RawCase{"halfPreviewTurnedByTheTag", dngOptions(Cfa::Rggb, 12, 256, 6), 2, RawSource::Preview, 80, Served::Preview},
    RawCase{"halfPreviewJustCovers", dngOptions(Cfa::Rggb, 14, 0, 1), 2, RawSource::Preview, 96, Served::Preview},
    RawCase{"developAsked", dngOptions(Cfa::Rggb, 14, 0, 3), 1, RawSource::Develop, 80, Served::HalfDevelopment},
    RawCase{"bitmapPreviewTurnedByTheTag", dngOptions(Cfa::Rggb, 14, 0, 6, true, 0, true), 2, RawSource::Preview, 80,
            Served::Preview},
    RawCase{"previewTurnedByItsOwnExif", dngOptions(Cfa::Rggb, 14, 0, 6, true, 3), 1, RawSource::Preview, 80, Served::Preview},
    RawCase{"rawNamedTiff", dngOptions(Cfa::Rggb, 14, 0, 1), 0, RawSource::Preview, 120, Served::FullDevelopment,
            "raw.tif"}),
    [](const auto &info) { return std::string(info.param.name); });

// A development's memory (the raw as unpacked, LibRaw's picture of four
// 16-bit samples a pixel, ours) is what the engine reckons before admitting
// the raw, and it is let go once the picture is out.
TEST(RawDevelopment, IsReckonedBeforeItRuns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raw.dng"));
    writeBytes(path, writeDng(patches(kWidth, kHeight, false), dngOptions(Cfa::Rggb, 14, 0, 1)).bytes);
    ReadOptions read;
    read.wantedSize = withinBox(80);
    const OpenedPicture opened = openPicture(path, read);
    ASSERT_TRUE(opened.ok()) << opened.message.toStdString();
    RowStream &rows = *opened.rows;
    ASSERT_EQ(QSize(rows.width(), rows.height()), QSize(kWidth / 2, kHeight / 2));
    const std::size_t rawBytes = std::size_t(kWidth) * kHeight * 2;
    const std::size_t libraryPicture = std::size_t(kWidth / 2) * (kHeight / 2) * 8;
    const std::size_t ours = std::size_t(kWidth / 2) * (kHeight / 2) * sizeof(Colour);
    EXPECT_GE(rows.workingBytes(), rawBytes + libraryPicture + ours);
    std::vector<Colour> row(std::size_t(rows.width()));
    Colour *into = row.data();
    ASSERT_TRUE(rows.readRows(&into, 1));
    EXPECT_EQ(rows.workingBytes(), ours);
}

// A plain TIFF named as a raw is still the TIFF reader's: its pixels come back
// exactly, where a development would move them.
TEST(RawByContent, APlainTiffNamedDngIsReadAsTiff)
{
    const Picture picture = patterned(24, 10, 3);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plain.dng"));
    TIFF *tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, picture.width());
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, picture.height());
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    std::vector<std::uint8_t> line(std::size_t(picture.width()) * 3);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Colour c = picture.row(y)[x];
            line[std::size_t(3 * x)] = std::uint8_t(redOf(c));
            line[std::size_t(3 * x + 1)] = std::uint8_t(greenOf(c));
            line[std::size_t(3 * x + 2)] = std::uint8_t(blueOf(c));
        }
        ASSERT_EQ(TIFFWriteScanline(tif, line.data(), std::uint32_t(y), 0), 1);
    }
    TIFFClose(tif);
    const ReadOutcome out = readFile(openByContent, path, ReadOptions{});
    ASSERT_TRUE(out.complete) << out.message.toStdString();
    EXPECT_EQ(out.picture, picture);
}

// Raws a reader must refuse, each with its cause; the engine names the file.
struct BadRaw {
    const char *name;
    std::function<QByteArray(const DngFile &plain, const DngFile &withPreview)> make;
};

void PrintTo(const BadRaw &c, std::ostream *out) { *out << c.name; }

class BadRaws : public ::testing::TestWithParam<BadRaw> {};

TEST_P(BadRaws, AreRefusedWithACause)
{
    const Picture picture = patches(kWidth, kHeight, false);
    const DngFile plain = writeDng(picture, dngOptions(Cfa::Rggb, 14, 0, 6));
    DngOptions options = dngOptions(Cfa::Rggb, 14, 0, 1);
    options.preview = patches(kWidth, kHeight, true);
    const DngFile withPreview = writeDng(picture, options);
    QTemporaryDir source, save;
    const QString path = source.filePath(QStringLiteral("bad.dng"));
    writeBytes(path, GetParam().make(plain, withPreview));

    for (const RawSource raw : {RawSource::Preview, RawSource::Develop}) {
        ReadOptions read;
        read.raw = raw;
        read.wantedSize = withinBox(80);
        const ReadOutcome out = readFile(openByContent, path, read);
        EXPECT_FALSE(out.complete) << "read whole";
        EXPECT_FALSE(out.message.isEmpty());

        ThumbSettings settings = defaultSettings(save.path());
        settings.FileType = FileTypeBitmap;
        BatchEngine engine(2);
        engine.setRawSource(raw);
        const BatchResult result = engine.run(jobsForFolder(source.path(), {QStringLiteral("bad.dng")}), settings);
        EXPECT_EQ(result.end, BatchEnd::Failed);
        ASSERT_TRUE(result.failure.has_value());
        EXPECT_EQ(result.failure->file, path);
        EXPECT_FALSE(result.failure->message.isEmpty());
        EXPECT_TRUE(QDir(save.path()).isEmpty()) << "a thumbnail written for a refused raw";
    }
}

INSTANTIATE_TEST_SUITE_P(Dng, BadRaws, ::testing::Values(
    BadRaw{"headerWithoutData", [](const DngFile &d, const DngFile &) { return stripped(d); }},
    BadRaw{"headerWithoutPreviewOrData", [](const DngFile &, const DngFile &p) { return stripped(p); }},
    BadRaw{"cutInTheDirectory", [](const DngFile &d, const DngFile &) { return cutAt(d, 60); }},
    BadRaw{"cutInTheValues", [](const DngFile &d, const DngFile &) { return cutAt(d, d.directoriesEnd - 20); }},
    BadRaw{"cutAtTheFirstRow", [](const DngFile &d, const DngFile &) { return cutAt(d, d.rawStart + 100); }},
    BadRaw{"cutHalfway", [](const DngFile &d, const DngFile &) { return cutAt(d, d.rawStart + d.rawLength / 2); }},
    BadRaw{"cutOneByteShort", [](const DngFile &d, const DngFile &) { return cutAt(d, d.bytes.size() - 1); }},
    BadRaw{"cutInThePreview", [](const DngFile &, const DngFile &p) { return cutAt(p, p.previewStart + p.previewLength / 2); }},
    BadRaw{"cutShortWithAPreview", [](const DngFile &, const DngFile &p) { return cutAt(p, p.bytes.size() - 2); }},
    BadRaw{"claims65535Square", [](const DngFile &d, const DngFile &) { return claimingHugeSensor(d); }},
    BadRaw{"previewPastTheEnd", [](const DngFile &, const DngFile &p) { return previewPastEnd(p); }},
    BadRaw{"previewPastTheEndAndRawCut", [](const DngFile &, const DngFile &p) {
               return previewPastEnd(p).left(p.rawStart + p.rawLength / 2);
           }}),
    [](const auto &info) { return std::string(info.param.name); });

// A Phase One IIQ, the maker's own container: a directory of the sensor's
// size and where its data starts, a block standing for the metadata, then
// 16-bit samples; the data's start as second.
std::pair<QByteArray, qsizetype> phaseOneRaw(int width, int height)
{
    QByteArray bytes("IIII\0waR\x10\0\0\0\0\0\0\0", 16);
    const auto put32 = [&bytes](std::uint32_t v) { bytes.append(reinterpret_cast<const char *>(&v), 4); };
    const std::uint32_t dataStart = 16 + 8 + 9 * 16 + 4096;
    const std::uint32_t entries[][2] = {{0x108, std::uint32_t(width)}, {0x109, std::uint32_t(height)},
                                        {0x10a, 0}, {0x10b, 0}, {0x10c, std::uint32_t(width)},
                                        {0x10d, std::uint32_t(height)}, {0x10e, 0}, {0x10f, dataStart}, {0x112, 0}};
    put32(9);
    put32(0);
    for (const auto &[tag, value] : entries)
        for (const std::uint32_t v : {tag, 1u, 4u, value})
            put32(v);
    bytes.append(QByteArray(dataStart - bytes.size(), '\x11'));
    for (int i = 0; i < width * height; ++i)
        bytes.append(char(i * 7)).append(char(i * 3 % 61));
    return {bytes, dataStart};
}

// Makers' raws refused with the cut file's message when their data is not
// all there, whichever picture is asked for; whole, they develop.
struct MakerRaw {
    const char *name;
    std::function<QByteArray(const QByteArray &whole, qsizetype dataStart)> make;
    bool whole = false;
};

void PrintTo(const MakerRaw &c, std::ostream *out) { *out << c.name; }

class MakerRaws : public ::testing::TestWithParam<MakerRaw> {};

TEST_P(MakerRaws, WithoutTheirDataAreRefusedAsCut)
{
    const auto [raw, dataStart] = phaseOneRaw(512, 384);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("raw.iiq"));
    writeBytes(path, GetParam().make(raw, dataStart));
    for (const RawSource source : {RawSource::Preview, RawSource::Develop}) {
        ReadOptions read;
        read.raw = source;
        const ReadOutcome out = readFile(openByContent, path, read);
        EXPECT_EQ(out.complete, GetParam().whole) << out.message.toStdString();
        if (!GetParam().whole)
            EXPECT_EQ(out.message, codecmessages::cut());
    }
}

INSTANTIATE_TEST_SUITE_P(PhaseOne, MakerRaws, ::testing::Values(
    MakerRaw{"whole", [](const QByteArray &raw, qsizetype) { return raw; }, true},
    MakerRaw{"strippedOfItsData", [](const QByteArray &raw, qsizetype data) { return raw.left(data); }},
    MakerRaw{"keepingItsFirstRow", [](const QByteArray &raw, qsizetype data) { return raw.left(data + 1024); }},
    MakerRaw{"cutHalfway", [](const QByteArray &raw, qsizetype data) { return raw.left((raw.size() + data) / 2); }}),
    [](const auto &info) { return std::string(info.param.name); });

// Every raw of the corpus, from its preview and developed, looks like its
// photo (the corpus's README names each one's) once both are brought down to
// a thumbnail's size.
TEST(CorpusRaws, LookLikeTheirPhotos)
{
    const QDir good(QStringLiteral(TESS_CORPUS_DIR "/raw/good"));
    QFile readme(QStringLiteral(TESS_CORPUS_DIR "/raw/README.md"));
    if (!good.exists() || !readme.open(QIODevice::ReadOnly | QIODevice::Text))
        GTEST_SKIP() << "no raws in the corpus";
    QHash<QString, QString> photos;
    for (const QString &line : QString::fromUtf8(readme.readAll()).split(QLatin1Char('\n'))) {
        const QStringList cells = line.split(QLatin1Char('|'));
        if (cells.size() > 3 && cells[1].trimmed().endsWith(QLatin1String(".dng")))
            photos.insert(cells[1].trimmed(), cells[2].trimmed().section(QLatin1Char(' '), 0, 0));
    }
    const QStringList raws = good.entryList({QStringLiteral("*.dng")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(raws.isEmpty());
    const auto thumbnail = [](QImage image) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) { // alpha dropped, as the raws were made
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] |= 0xFF000000u;
        }
        return Picture::fromImage(image.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    };
    for (const QString &name : raws) {
        ASSERT_TRUE(photos.contains(name)) << name.toStdString() << " is not in the corpus's README";
        const QImage photo(QStringLiteral(TESS_CORPUS_DIR "/") + photos.value(name));
        ASSERT_FALSE(photo.isNull()) << photos.value(name).toStdString();
        for (const RawSource raw : {RawSource::Preview, RawSource::Develop}) {
            SCOPED_TRACE(name.toStdString() + (raw == RawSource::Develop ? " developed" : " from its preview"));
            ReadOptions read;
            read.raw = raw;
            read.wantedSize = withinBox(128);
            const ReadOutcome out = readFile(openByContent, good.filePath(name), read);
            ASSERT_TRUE(out.complete) << out.message.toStdString();
            const Difference d = tess::testing::compare(thumbnail(out.picture.toImage()), thumbnail(photo));
            EXPECT_LE(d.meanChannel, 3.0);
        }
    }
}

} // namespace
