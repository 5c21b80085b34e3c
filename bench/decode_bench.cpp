// Decoding a large photo: our decodePictureFile against libjpeg-turbo's own
// djpeg on the same file, plus the decoder's peak memory next to the size of
// the picture it produces.
#include "codecs/picture_codecs.h"

#include "support/decoded_picture.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth ramps, hard edges and noise, so the entropy coder has photo-like work.
tess::Picture photoLike()
{
    tess::Picture p(kWidth, kHeight);
    unsigned state = 12345;
    for (int y = 0; y < kHeight; ++y) {
        tess::Colour *row = p.row(y);
        for (int x = 0; x < kWidth; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = int((state >> 24) % 13) - 6;
            const bool edge = ((x / 211) + (y / 157)) % 3 == 0;
            const int r = std::clamp(x * 255 / kWidth + noise, 0, 255);
            const int g = std::clamp((y * 255 / kHeight + (edge ? 90 : 0)) % 256 + noise, 0, 255);
            const int b = std::clamp(((x + y) / 23) % 64 * 3 + (edge ? 40 : 0) + noise, 0, 255);
            row[x] = tess::rgb(r, g, b);
        }
    }
    return p;
}

// User plus system CPU time, in milliseconds, of this process or of its
// finished children. The machine may be busy, so CPU time is the fairer measure.
double cpuMs(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Sample {
    std::unique_ptr<QTemporaryDir> dir;
    QString path;
};

const Sample &sample()
{
    static const Sample s = [] {
        Sample made;
        made.dir = std::make_unique<QTemporaryDir>();
        made.path = made.dir->filePath(QStringLiteral("photo.jpg"));
        const auto bytes = tess::encodeJpeg(photoLike(), {90, false, true}, made.path);
        QFile file(made.path);
        if (!bytes || !file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size())
            made.path.clear();
        return made;
    }();
    return s;
}

long statusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + key.size(), nullptr, 10);
    }
    return -1;
}

// Peak resident memory while decoding once, above what was resident before.
double decodePeakMb(const QString &path)
{
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5"; // resets the peak (VmHWM) to the current size
    }
    const long before = statusKb("VmRSS");
    {
        const tess::DecodedPicture decoded = tess::decodePictureFile(path);
        benchmark::DoNotOptimize(decoded.picture.bits());
    }
    const long peak = statusKb("VmHWM");
    return before < 0 || peak < 0 ? -1.0 : double(peak - before) / 1024.0;
}

void BM_DecodePictureFile(benchmark::State &state)
{
    const Sample &s = sample();
    if (s.path.isEmpty()) {
        state.SkipWithError("could not write the sample JPEG");
        return;
    }
    const double pixelMb = double(kWidth) * kHeight * 4 / (1024.0 * 1024.0);
    const double peakMb = decodePeakMb(s.path);
    const double cpuBefore = cpuMs(RUSAGE_SELF);
    for (auto _ : state) {
        tess::DecodedPicture decoded = tess::decodePictureFile(s.path);
        if (!decoded.ok()) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(decoded.picture.bits());
    }
    state.counters["Mpx_per_s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["cpu_ms"] = (cpuMs(RUSAGE_SELF) - cpuBefore) / double(state.iterations());
    state.counters["file_KB"] = double(QFile(s.path).size()) / 1024.0;
    state.counters["pixels_MB"] = pixelMb;
    state.counters["peak_MB"] = peakMb;
    state.counters["peak_per_pixels"] = peakMb / pixelMb;
}
BENCHMARK(BM_DecodePictureFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// libjpeg-turbo's command-line decoder on the same file (process start included,
// about a millisecond), writing its PPM to /dev/null.
void BM_Djpeg(benchmark::State &state)
{
    const Sample &s = sample();
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty() || s.path.isEmpty()) {
        state.SkipWithError("djpeg not found (package libjpeg-turbo-progs)");
        return;
    }
    const std::string command = QStringLiteral("'%1' -outfile /dev/null '%2'").arg(djpeg, s.path).toStdString();
    const double cpuBefore = cpuMs(RUSAGE_CHILDREN); // the shell's share is tiny
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("djpeg failed");
            return;
        }
    }
    state.counters["Mpx_per_s"] = benchmark::Counter(double(kWidth) * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["cpu_ms"] = (cpuMs(RUSAGE_CHILDREN) - cpuBefore) / double(state.iterations());
}
BENCHMARK(BM_Djpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
