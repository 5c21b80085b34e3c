// Several sizes of a picture from one pass over its rows: each the thumbnail
// a run of that size alone makes, the stream read once, the band no larger
// than one size's window needs.
#include "codecs/open_picture.h"
#include "codecs/picture_codecs.h"
#include "thumbs/compose.h"
#include "thumbs/shared_band.h"

#include "support/counting_stream.h"
#include "support/file_bytes.h"
#include "support/resample_test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>

using namespace tess;
using tess::testing::firstDifference;

namespace {

ThumbSettings sized(int mode, int quality, QSize size)
{
    return tess::testing::thumbSettings(mode, size.width(), size.height(), quality, rgb(1, 2, 250));
}

const QSize kSizes[] = {{64, 64}, {200, 90}, {24, 300}};
constexpr int kBand = 3; // small, so the sizes take many turns

struct Opened {
    std::unique_ptr<RowStream> owned;
    OpenedPicture file;
    RowStream &rows() { return owned ? *owned : *file.rows; }
};

struct Source {
    const char *name;
    std::function<Opened()> open;
};

class SeveralSizes : public ::testing::TestWithParam<std::tuple<int, int, int>> {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_jpeg = s_dir->filePath(QStringLiteral("busy.jpg"));
        test_files::writeBytes(s_jpeg, *encodeJpeg(tess::testing::patterned(301, 217), {}, s_jpeg));
    }
    static void TearDownTestSuite() { delete s_dir; }
    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_jpeg;

    static std::vector<Source> sources()
    {
        return {{"streamed JPEG", [] { return Opened{nullptr, openPicture(s_jpeg)}; }},
                {"held picture", [] { return Opened{pictureRows(tess::testing::patterned(233, 301)), {}}; }}};
    }
};

TEST_P(SeveralSizes, EachSizeIsWhatItsOwnRunMakes)
{
    const auto [mode, quality, which] = GetParam();
    const Source source = sources()[std::size_t(which)];
    std::vector<Picture> alone;
    for (const QSize size : kSizes) {
        Opened opened = source.open();
        ASSERT_EQ(opened.rows().holdsWhole(), which == 1);
        Picture canvas;
        canvas.setBackground(Colour(sized(mode, quality, size).MarginColour));
        ASSERT_FALSE(tess::testing::composeRows(opened.rows(), canvas, sized(mode, quality, size), {}, {}, kBand));
        alone.push_back(std::move(canvas));
    }

    Opened opened = source.open();
    std::vector<PicturePlan> plans;
    for (const QSize size : kSizes)
        plans.push_back(planPicture(opened.rows(), sized(mode, quality, size), QString(), kBand));
    std::vector<Picture> canvases(plans.size());
    std::vector<ComposeTarget> targets;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        canvases[i].setBackground(Colour(sized(mode, quality, kSizes[i]).MarginColour));
        targets.push_back({&canvases[i], &plans[i], std::nullopt});
    }
    int firstRows = 0;
    ResampleProgress progress;
    progress.rowDone = [&](int done, int) { firstRows = done; };
    ComposeThumbnails(opened.rows(), targets, progress);
    for (std::size_t i = 0; i < targets.size(); ++i) {
        ASSERT_FALSE(targets[i].failure) << targets[i].failure->text().toStdString();
        EXPECT_EQ(firstDifference(canvases[i], alone[i]), "equal") << source.name << ", size " << i;
    }
    // The progress follows the first size alone.
    if (quality > 0)
        EXPECT_EQ(firstRows, plans.front().resample.fit.height);
}

INSTANTIATE_TEST_SUITE_P(EveryModeQualityAndSource, SeveralSizes,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Range(0, 4), ::testing::Range(0, 2)));

// Readers of a shared band that go down the picture with windows of 1, 21 and
// 60 rows, each as far as the rows read allow before the next band is read.
TEST(SharedBandReaders, EveryReaderSeesEveryRowWhileTheBandHoldsTheWidestWindow)
{
    const int windows[] = {1, 21, 60};
    CountingStream stream(4, 900);
    SharedBand band(stream, 7, 60 + 7, 3);
    int next[] = {0, 0, 0};
    int wrong = 0;
    do {
        for (int reader = 0; reader < 3; ++reader) {
            for (int &y = next[reader]; y < 900 && y < band.rowsRead(); ++y) {
                const int top = std::max(0, y - windows[reader] + 1);
                band.release(reader, top);
                for (int r = top; r <= y; r += 4)
                    wrong += band.row(reader, r)[3] != Colour(r);
            }
            if (next[reader] == 900)
                band.done(reader);
        }
    } while (band.readMore());
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(next[0] + next[1] + next[2], 3 * 900);
    EXPECT_EQ(stream.read(), 900) << "each row is read once";
    EXPECT_LE(band.peakRows(), 60 + 7);
    EXPECT_TRUE(band.drain());
}

TEST(SharedBandReaders, AStopOrABrokenFileFailsEverySizeAndAStopReadsNoFurther)
{
    const std::vector<ThumbSettings> settings = {sized(3, 3, {64, 64}), sized(3, 3, {256, 256})};
    for (const bool stop : {true, false}) {
        CountingStream stream(300, 400, stop ? -1 : 250);
        std::vector<PicturePlan> plans;
        for (const ThumbSettings &s : settings)
            plans.push_back(planPicture(stream, s, QStringLiteral("f.jpg"), kBand));
        std::vector<Picture> canvases(2);
        std::vector<ComposeTarget> targets{{&canvases[0], &plans[0], {}}, {&canvases[1], &plans[1], {}}};
        std::atomic<bool> stopped{false};
        ResampleProgress progress;
        progress.stop = &stopped;
        progress.rowDone = [&](int done, int) { stopped = stop && done == 10; };
        ComposeThumbnails(stream, targets, progress);
        for (const ComposeTarget &t : targets) {
            ASSERT_TRUE(t.failure) << stop;
            EXPECT_EQ(t.failure->file, QStringLiteral("f.jpg"));
            EXPECT_EQ(t.failure->message, stop ? stoppedFailure({}).message : QStringLiteral("broken"));
        }
        if (stop)
            EXPECT_LT(stream.read(), 400);
    }
}

} // namespace
