// Thumbnail drawing against the cost of decoding the same picture: a 4000 x 3000
// photo-like JPEG into a 128 x 128 thumbnail. Each drawing benchmark reports
// `pct_of_decode`, its CPU time per thumbnail as a percentage of the CPU time of
// one decode (`decode_ms`, median of five). Aims:
// quality 3 (ratio modes 2 and 3, the stretch's intermediate included) at most
// 10 %, quality 0 under 2 %. BM_Compose takes the decoded picture as the engine
// does, as a row stream, so it pays for the rows copied band by band;
// BM_Resample draws from the picture's rows in place.
#include "codecs/picture_codecs.h"
#include "settings/thumb_settings.h"
#include "codecs/picture_reader.h"
#include "thumbs/compose.h"

#include "support/decoded_picture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// Thread CPU time: the machine running the benchmarks is often shared, and
// wall time then mostly measures the neighbours.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

tess::Picture photoLike(int width, int height)
{
    // Smooth colour fields with edges and some grain: what a camera gives the
    // decoder, neither flat nor pure noise.
    tess::Picture p(width, height);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> grain(-6, 6);
    for (int y = 0; y < height; ++y) {
        tess::Colour *row = p.row(y);
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width;
            const double v = double(y) / height;
            int r = int(128 + 100 * std::sin(6.0 * u + 2.0 * v));
            int g = int(128 + 90 * std::cos(4.0 * v - 3.0 * u * v));
            int b = int(((x / 97 + y / 61) % 2) ? 180 : 70);
            r = std::clamp(r + grain(rng), 0, 255);
            g = std::clamp(g + grain(rng), 0, 255);
            b = std::clamp(b + grain(rng), 0, 255);
            row[x] = tess::rgb(r, g, b);
        }
    }
    return p;
}

struct Fixture {
    QByteArray jpeg;
    tess::Picture decoded;
    double decodeSeconds = 0.0; // median of a few decodes
};

const Fixture &fixture()
{
    static const Fixture f = [] {
        Fixture f;
        const tess::Picture source = photoLike(4000, 3000);
        f.jpeg = *tess::encodeJpeg(source, tess::JpegOptions{90, false, true}, QStringLiteral("photo.jpg"));
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            const double start = cpuSeconds();
            tess::DecodedPicture d = tess::decodePictureData(f.jpeg, QStringLiteral("photo.jpg"));
            times.push_back(cpuSeconds() - start);
            if (!d.ok())
                std::abort();
            f.decoded = std::move(d.picture);
        }
        std::sort(times.begin(), times.end());
        f.decodeSeconds = times[times.size() / 2];
        return f;
    }();
    return f;
}

void BM_DecodeJpeg(benchmark::State &state)
{
    const Fixture &f = fixture();
    for (auto _ : state) {
        tess::DecodedPicture d = tess::decodePictureData(f.jpeg, QStringLiteral("photo.jpg"));
        benchmark::DoNotOptimize(d.picture.bits());
    }
    state.counters["pixels"] = double(f.decoded.width()) * f.decoded.height();
}

void BM_Compose(benchmark::State &state)
{
    const Fixture &f = fixture();
    tess::ThumbSettings settings = tess::defaultSettings(QString());
    settings.RatioMode = std::int16_t(state.range(0));
    settings.Quality = std::int16_t(state.range(1));
    tess::Picture canvas;
    double seconds = 0.0;
    for (auto _ : state) {
        // The engine hands a decoded picture over as it is, without a copy.
        std::unique_ptr<tess::RowStream> rows = tess::pictureRows(f.decoded);
        const double start = cpuSeconds();
        const tess::PicturePlan plan = tess::planPicture(*rows, settings);
        const std::optional<tess::Failure> failure = tess::ComposeThumbnail(*rows, canvas, plan);
        seconds += cpuSeconds() - start;
        if (failure)
            state.SkipWithError("composition failed");
        benchmark::DoNotOptimize(canvas.bits());
    }
    state.counters["pct_of_decode"] = 100.0 * seconds / double(state.iterations()) / f.decodeSeconds;
    state.counters["decode_ms"] = f.decodeSeconds * 1000.0;
}

// A decoded picture's rows, in place.
class HeldRows final : public tess::ResampleRows {
public:
    explicit HeldRows(const tess::Picture &picture) : m_picture(picture) {}
    const tess::Colour *row(int y) override { return m_picture.row(y); }
    const tess::Colour *resident(int y) override { return m_picture.row(y); }

private:
    const tess::Picture &m_picture;
};

// The resampler alone, reading the decoded picture's rows in place: what
// drawing costs once the rows are in memory.
void BM_Resample(benchmark::State &state)
{
    const Fixture &f = fixture();
    const tess::Picture &source = f.decoded;
    HeldRows rows(source);
    const tess::ResampleInput input{source.width(), source.height(), &rows, nullptr, 0};
    tess::Picture canvas(128, 128);
    double seconds = 0.0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        const tess::ResamplePlan plan = tess::planResample(source.width(), source.height(), 128, 128,
                                                           int(state.range(0)));
        tess::ResamplePicture(input, canvas, plan);
        seconds += cpuSeconds() - start;
        benchmark::DoNotOptimize(canvas.bits());
    }
    state.counters["pct_of_decode"] = 100.0 * seconds / double(state.iterations()) / f.decodeSeconds;
}

} // namespace

BENCHMARK(BM_Resample)->ArgName("quality")->Arg(3)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compose)
    ->ArgNames({"mode", "quality"})
    ->Args({2, 3})
    ->Args({3, 3})
    ->Args({2, 1})
    ->Args({2, 0})
    ->Args({3, 0})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
