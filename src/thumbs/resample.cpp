#include "thumbs/resample.h"

#include "platform/blit.h"
#include "thumbs/rounding.h"

#include <algorithm>
#include <array>
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
// every canvas column. Column i reads at[bounds[i] .. bounds[i + 1]) and
// margin[i] times the margin (no margin at all when that is empty).
struct Pattern {
    std::vector<int> at;
    std::vector<std::uint32_t> bounds{0};
    std::vector<std::uint32_t> margin;
};

struct Sums {
    std::int64_t red, green, blue, count;
};

// Adds up the colours at the given columns of a row. Red and blue ride side by
// side in one word: 256 bytes summed still fit their 16 bits.
void addColumns(const Colour *in, const int *at, const int *end, Sums &sum)
{
    while (at < end) {
        const int *chunkEnd = end - at <= 256 ? end : at + 256;
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
        p.bounds.reserve(columnCount + 1);
        p.margin.reserve(columnCount);
        bool anyMargin = false;
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
            p.bounds.push_back(std::uint32_t(p.at.size()));
            p.margin.push_back(margin);
            anyMargin = anyMargin || margin > 0;
        }
        if (!anyMargin)
            p.margin.clear();
        patternOf[std::size_t(b)] = int(patterns.size());
        patternFirst.push_back(read.first);
        patterns.push_back(std::move(p));
    }

    // Where each window starts, is halfway and ends in its source row, for
    // asking a few rows ahead: a row spans several pages, and the hardware's
    // own prefetch stops at every page boundary.
    constexpr int kRowsAhead = 3;
    std::vector<std::array<int, 3>> ahead;
    for (int x = xBegin; x < xEnd; ++x) {
        const std::int64_t left = std::int64_t(window.centre(x)) - R;
        const std::int64_t aLo = std::max<std::int64_t>(0, -left);
        const std::int64_t aHi = std::min<std::int64_t>(2 * R, input.width - 1 - left);
        if (aLo <= aHi)
            ahead.push_back({sourceColumn(input, left + aLo), sourceColumn(input, left + (aLo + aHi) / 2),
                             sourceColumn(input, left + aHi)});
        else
            ahead.push_back({-1, -1, -1});
    }

    std::vector<Sums> sums(columnCount);
    std::vector<std::int64_t> margins(columnCount); // reads that fell on margin
    for (int y = 0; y < fit.height; ++y) {
        if (progress.beforeRow)
            progress.beforeRow();
        const int canvasY = fit.y0 + y;
        if (canvasY >= 0 && canvasY < canvas.height()) {
            std::fill(sums.begin(), sums.end(), Sums{0, 0, 0, 0});
            std::fill(margins.begin(), margins.end(), 0);
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
                const Colour *next =
                    top + b + kRowsAhead < input.height ? input.rows->resident(int(top + b + kRowsAhead)) : nullptr;
                const int *at = p.at.data();
                const std::uint32_t *bounds = p.bounds.data();
                if (in) {
                    for (std::size_t i = 0; i < columnCount; ++i) {
                        // Spread over the row, so that the loads in flight stay few.
                        if (next) {
                            for (const int c : ahead[i])
                                if (c >= 0)
                                    __builtin_prefetch(next + c);
                        }
                        addColumns(in, at + bounds[i], at + bounds[i + 1], sums[i]);
                        sums[i].count += bounds[i + 1] - bounds[i];
                    }
                }
                if (!in || !p.margin.empty()) {
                    for (std::size_t i = 0; i < columnCount; ++i) {
                        const std::int64_t reads =
                            (p.margin.empty() ? 0 : p.margin[i]) + (in ? 0 : bounds[i + 1] - bounds[i]);
                        margins[i] += reads;
                        sums[i].count += reads;
                    }
                }
            }
            Colour *out = canvas.row(canvasY) + fit.x0 + xBegin;
            for (std::size_t i = 0; i < columnCount; ++i) {
                const Sums &sum = sums[i];
                const std::int64_t k = margins[i];
                if (sum.count > 0)
                    out[i] = averageOf(sum.red + k * redOf(input.margin), sum.green + k * greenOf(input.margin),
                                       sum.blue + k * blueOf(input.margin), sum.count);
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
    const Colour *resident(int y) override { return m_picture.row(y); }

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
