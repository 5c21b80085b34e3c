#include "thumbs/resample.h"

#include "platform/blit.h"
#include "thumbs/rounding.h"

#include <algorithm>
#include <cstdint>

namespace tess {

namespace {

// Source column of picture column x, or -1 for margin.
int sourceColumn(const ResampleInput &input, std::int64_t x)
{
    return input.columns ? (*input.columns)[std::size_t(x)] : int(x);
}

void plainStretch(const ResampleInput &input, Picture &canvas, const ResampleFit &fit)
{
    // The pixel choice of stretchBlt, read through the row source.
    const std::vector<int> columns = stretchMap(input.width, fit.width, StretchAxis::Columns);
    const std::vector<int> rows = stretchMap(input.height, fit.height, StretchAxis::Rows);
    const int xBegin = std::max(0, -fit.x0);
    const int xEnd = std::min(fit.width, canvas.width() - fit.x0);
    const int yBegin = std::max(0, -fit.y0);
    const int yEnd = std::min(fit.height, canvas.height() - fit.y0);
    std::vector<int> from;
    for (int x = xBegin; x < xEnd; ++x)
        from.push_back(sourceColumn(input, columns[std::size_t(x)]));
    for (int y = yBegin; y < yEnd; ++y) {
        const int r = rows[std::size_t(y)];
        input.rows->release(r);
        const Colour *in = input.rows->row(r);
        Colour *out = canvas.row(fit.y0 + y) + fit.x0 + xBegin;
        for (std::size_t i = 0; i < from.size(); ++i)
            out[i] = in && from[i] >= 0 ? in[from[i]] : input.margin;
    }
}

// What one window row reads, worked out once per picture: window rows whose
// sampled columns start at the same place read the same source columns for
// every canvas column. Column i reads at[end[i - 1] .. end[i]) and margin[i]
// times the margin.
struct Pattern {
    std::vector<int> at;
    std::vector<std::uint32_t> end;
    std::vector<std::uint32_t> margin;
    std::uint32_t begin(std::size_t i) const { return i == 0 ? 0 : end[i - 1]; }
};

struct Sums {
    std::int64_t red, green, blue, count, margins;
};

// Adds up the colours at the given columns of a row. Red and blue ride side by
// side in one word: 256 bytes summed still fit their 16 bits.
void addColumns(const Colour *in, const int *at, const int *end, Sums &sum)
{
    while (at < end) {
        const int *chunkEnd = at + std::min<std::ptrdiff_t>(256, end - at);
        std::uint32_t redBlue = 0, greenShifted = 0;
        for (; at < chunkEnd; ++at) {
            const Colour c = in[*at];
            redBlue += c & 0xFF00FFu;
            greenShifted += c & 0xFF00u;
        }
        sum.red += redBlue & 0xFFFFu;
        sum.blue += redBlue >> 16;
        sum.green += greenShifted >> 8;
    }
}

Colour averageOf(std::int64_t red, std::int64_t green, std::int64_t blue, std::int64_t count)
{
    const double k = double(count);
    return rgb(int(roundHalfEven(double(red) / k)), int(roundHalfEven(double(green) / k)),
               int(roundHalfEven(double(blue) / k)));
}

void averageWindows(const ResampleInput &input, Picture &canvas, const ResampleFit &fit, int quality,
                    const ResampleProgress &progress)
{
    const ResampleWindow window = resampleWindow(fit.scale, quality);
    const WindowSampler sampler(window.radius, window.interval);
    const std::int64_t R = window.radius;
    const int xBegin = std::max(0, -fit.x0);
    const int xEnd = std::min(fit.width, canvas.width() - fit.x0);
    const std::size_t columnCount = std::size_t(std::max(0, xEnd - xBegin));

    // Each window row's pattern, shared by the rows whose reads start alike.
    std::vector<int> patternOf(std::size_t(2 * R + 1), -1);
    std::vector<std::int64_t> patternFirst;
    std::vector<Pattern> patterns;
    for (std::int64_t b = 0; b <= 2 * R; ++b) {
        const WindowSampler::Columns read = sampler.row(int(b));
        if (read.first < 0 || read.first > 2 * R)
            continue;
        const auto known = std::find(patternFirst.begin(), patternFirst.end(), read.first);
        if (known != patternFirst.end()) {
            patternOf[std::size_t(b)] = int(known - patternFirst.begin());
            continue;
        }
        Pattern p;
        p.end.reserve(columnCount);
        p.margin.reserve(columnCount);
        for (int x = xBegin; x < xEnd; ++x) {
            // The inside part of the window, as window columns a = dx + R.
            const std::int64_t left = std::int64_t(window.centre(x)) - R;
            const std::int64_t aLo = std::max<std::int64_t>(0, -left);
            const std::int64_t aHi = std::min<std::int64_t>(2 * R, input.width - 1 - left);
            std::uint32_t margin = 0;
            for (std::int64_t a = WindowSampler::firstFrom(read, aLo); a <= aHi; a += read.stride) {
                const int c = sourceColumn(input, left + a);
                if (c < 0)
                    ++margin;
                else
                    p.at.push_back(c);
            }
            p.end.push_back(std::uint32_t(p.at.size()));
            p.margin.push_back(margin);
        }
        patternOf[std::size_t(b)] = int(patterns.size());
        patternFirst.push_back(read.first);
        patterns.push_back(std::move(p));
    }

    std::vector<Sums> sums(columnCount);
    for (int y = 0; y < fit.height; ++y) {
        if (progress.beforeRow)
            progress.beforeRow();
        const int canvasY = fit.y0 + y;
        if (canvasY >= 0 && canvasY < canvas.height()) {
            std::fill(sums.begin(), sums.end(), Sums{0, 0, 0, 0, 0});
            const std::int64_t top = std::int64_t(window.centre(y)) - R; // source row of b = 0
            const std::int64_t bLo = std::max<std::int64_t>(0, -top);
            const std::int64_t bHi = std::min<std::int64_t>(2 * R, input.height - 1 - top);
            // Windows only move down: a source streaming its rows may let the
            // rows above this one go.
            if (bLo <= bHi)
                input.rows->release(int(top + bLo));
            for (std::int64_t b = bLo; b <= bHi; ++b) {
                const int index = patternOf[std::size_t(b)];
                if (index < 0)
                    continue;
                const Pattern &p = patterns[std::size_t(index)];
                const Colour *in = input.rows->row(int(top + b));
                for (std::size_t i = 0; i < columnCount; ++i) {
                    const std::uint32_t begin = p.begin(i);
                    const std::uint32_t reads = p.end[i] - begin + p.margin[i];
                    Sums &sum = sums[i];
                    sum.count += reads;
                    if (!in) {
                        sum.margins += reads;
                        continue;
                    }
                    sum.margins += p.margin[i];
                    addColumns(in, p.at.data() + begin, p.at.data() + p.end[i], sum);
                }
            }
            Colour *out = canvas.row(canvasY) + fit.x0 + xBegin;
            for (std::size_t i = 0; i < columnCount; ++i) {
                const Sums &s = sums[i];
                if (s.count > 0)
                    out[i] = averageOf(s.red + s.margins * redOf(input.margin),
                                       s.green + s.margins * greenOf(input.margin),
                                       s.blue + s.margins * blueOf(input.margin), s.count);
            }
        }
        if (progress.rowDone)
            progress.rowDone(y + 1, fit.height);
    }
}

// A decoded picture's rows, by pointer.
class PictureRows final : public ResampleRows {
public:
    explicit PictureRows(const Picture &picture) : m_picture(picture) {}
    const Colour *row(int y) override { return m_picture.row(y); }

private:
    const Picture &m_picture;
};

} // namespace

bool resampleRows(const ResampleInput &input, Picture &canvas, int quality, const ResampleProgress &progress)
{
    canvas.clear();
    if (input.width <= 0 || input.height <= 0 || canvas.isEmpty())
        return false;
    const ResampleFit fit = fitPicture(input.width, input.height, canvas.width(), canvas.height());
    if (quality <= 0)
        plainStretch(input, canvas, fit);
    else
        averageWindows(input, canvas, fit, quality, progress);
    return true;
}

void ResamplePicture(Picture &source, Picture &canvas, int quality, const ResampleProgress &progress)
{
    PictureRows rows(source);
    if (!resampleRows({source.width(), source.height(), &rows, nullptr, 0}, canvas, quality, progress))
        source.reset();
}

} // namespace tess
