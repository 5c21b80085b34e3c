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

// What one window row reads, worked out once per picture: window rows whose
// sampled columns start at the same place read the same source columns for
// every canvas column. Column i reads at[bounds[i] .. bounds[i + 1]) and
// margin[i] times the margin (no margin at all when that is empty).
struct Pattern {
    std::vector<int> at;
    std::vector<std::uint32_t> bounds{0};
    std::vector<std::uint32_t> margin;
};

// The sampling of one picture, the same for every canvas row.
struct Tables {
    std::vector<int> patternOf; // of each window row b; -1 when it reads nothing
    std::vector<Pattern> patterns;
    // Where each column's window starts, is halfway and ends in its source
    // row (-1: nowhere), for asking a few rows ahead: a row spans several
    // pages, and the hardware's own prefetch stops at every page boundary.
    std::vector<std::array<int, 3>> ahead;
};

constexpr int kRowsAhead = 3;

// The first column or row of a window that starts at `start`. On a picture
// that covers the canvas a window is moved inside it, so that it reads at
// least its first position: the part of an edge window inside the picture may
// hold none of the positions the sampling reads, and past the far edge of a
// picture enlarged more than about three times there is no part inside at all.
std::int64_t windowStart(std::int64_t start, std::int64_t radius, int side, bool covers)
{
    if (!covers)
        return start;
    return std::max<std::int64_t>(0, std::min<std::int64_t>(start, side - 1 - 2 * radius));
}

Tables tablesFor(const ResampleInput &input, const ResamplePlan &plan, int xBegin, int xEnd)
{
    const ResampleWindow &window = plan.window;
    const std::int64_t R = window.radius;
    // The inside part of each canvas column's window, as window columns a = dx + R.
    struct Span { std::int64_t left, aLo, aHi; };
    std::vector<Span> spans;
    Tables t;
    for (int x = xBegin; x < xEnd; ++x) {
        const std::int64_t left = windowStart(std::int64_t(window.centre(x)) - R, R, input.width, plan.covers);
        const Span s{left, std::max<std::int64_t>(0, -left), std::min<std::int64_t>(2 * R, input.width - 1 - left)};
        spans.push_back(s);
        if (s.aLo <= s.aHi)
            t.ahead.push_back({sourceColumn(input, left + s.aLo), sourceColumn(input, left + (s.aLo + s.aHi) / 2),
                               sourceColumn(input, left + s.aHi)});
        else
            t.ahead.push_back({-1, -1, -1});
    }

    const WindowSampler sampler(window.radius, window.interval);
    std::vector<std::int64_t> firstOf; // of each pattern
    t.patternOf.assign(std::size_t(2 * R + 1), -1);
    for (std::int64_t b = 0; b <= 2 * R; ++b) {
        const WindowSampler::Columns read = sampler.row(int(b));
        if (read.first < 0 || read.first > 2 * R)
            continue;
        const auto known = std::find(firstOf.begin(), firstOf.end(), read.first);
        t.patternOf[std::size_t(b)] = int(known - firstOf.begin());
        if (known != firstOf.end())
            continue;
        Pattern p;
        bool anyMargin = false;
        for (const Span &s : spans) {
            std::uint32_t margin = 0;
            for (std::int64_t a = WindowSampler::firstFrom(read, s.aLo); a <= s.aHi; a += read.stride) {
                const int c = sourceColumn(input, s.left + a);
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
        firstOf.push_back(read.first);
        t.patterns.push_back(std::move(p));
    }
    return t;
}

struct Sums {
    std::int64_t red, green, blue, count, margins; // margins: reads that fell on margin
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

// One source row's reads into every canvas column's sums; `in` null is a
// margin row, `next` (if known) the row a few below.
void addRow(const Pattern &p, const Tables &t, const Colour *in, const Colour *next, std::vector<Sums> &sums)
{
    const int *at = p.at.data();
    const std::uint32_t *bounds = p.bounds.data();
    for (std::size_t i = 0; i < sums.size(); ++i) {
        const std::uint32_t reads = bounds[i + 1] - bounds[i];
        const std::uint32_t margin = p.margin.empty() ? 0 : p.margin[i];
        sums[i].count += reads + margin;
        if (!in) {
            sums[i].margins += reads + margin;
            continue;
        }
        // Spread over the row, so that the loads in flight stay few.
        if (next) {
            for (const int c : t.ahead[i])
                if (c >= 0)
                    __builtin_prefetch(next + c);
        }
        sums[i].margins += margin;
        addColumns(in, at + bounds[i], at + bounds[i + 1], sums[i]);
    }
}

Colour averageOf(const Sums &sum, Colour margin)
{
    const double k = double(sum.count);
    const auto channel = [&](std::int64_t total, int marginValue) {
        return int(roundHalfEven(double(total + sum.margins * marginValue) / k));
    };
    return rgb(channel(sum.red, redOf(margin)), channel(sum.green, greenOf(margin)),
               channel(sum.blue, blueOf(margin)));
}

} // namespace

ResamplePlan planResample(int inputWidth, int inputHeight, int canvasWidth, int canvasHeight, int quality,
                          ResampleFitting fitting)
{
    ResamplePlan plan;
    if (inputWidth <= 0 || inputHeight <= 0 || canvasWidth <= 0 || canvasHeight <= 0)
        return plan;
    plan.covers = fitting == ResampleFitting::Cover;
    plan.fit = plan.covers ? coverCanvas(inputWidth, inputHeight, canvasWidth, canvasHeight)
                           : fitPicture(inputWidth, inputHeight, canvasWidth, canvasHeight);
    if (quality > 0)
        plan.window = resampleWindow(plan.fit.scale, quality);
    plan.quality = quality;
    return plan;
}

// The drawing's state between two canvas rows. The plain stretch reads one
// input row per canvas row, through the choice of stretchBlt; the averaging
// reads the window rows of each canvas row.
struct Resampling::State {
    const ResampleInput input;
    Picture &canvas;
    const ResamplePlan plan;
    const ResampleProgress progress;
    bool finished = false;
    bool ok = false;
    int y = 0;
    int yEnd = 0;
    int xBegin = 0;
    // Plain stretch.
    std::vector<int> rows;
    std::vector<int> from;
    // Averaging.
    Tables tables;
    std::vector<Sums> sums;

    State(const ResampleInput &input, Picture &canvas, const ResamplePlan &plan, const ResampleProgress &progress)
        : input(input), canvas(canvas), plan(plan), progress(progress)
    {
    }

    void end(bool drawn)
    {
        finished = true;
        ok = drawn;
    }

    // The window rows canvas row y reads: source rows top + [bLo, bHi].
    struct WindowRows {
        std::int64_t top, bLo, bHi;
    };
    WindowRows windowRows(int row) const
    {
        const std::int64_t R = plan.window.radius;
        // source row of b = 0
        const std::int64_t top = windowStart(std::int64_t(plan.window.centre(row)) - R, R, input.height, plan.covers);
        return {top, std::max<std::int64_t>(0, -top), std::min<std::int64_t>(2 * R, input.height - 1 - top)};
    }

    void plainRow()
    {
        const ResampleFit &fit = plan.fit;
        const int r = rows[std::size_t(y)];
        input.rows->release(r);
        const Colour *in = input.rows->row(r);
        Colour *out = canvas.row(fit.y0 + y) + fit.x0 + xBegin;
        for (std::size_t i = 0; i < from.size(); ++i)
            out[i] = in && from[i] >= 0 ? in[from[i]] : input.margin;
        if (input.rows->failed() || progress.stopped())
            return end(false);
        if (++y == yEnd)
            end(!input.rows->failed());
    }

    void averagedRow()
    {
        if (progress.stopped())
            return end(false);
        const ResampleFit &fit = plan.fit;
        const int canvasY = fit.y0 + y;
        if (canvasY >= 0 && canvasY < canvas.height()) {
            std::fill(sums.begin(), sums.end(), Sums{0, 0, 0, 0, 0});
            const auto [top, bLo, bHi] = windowRows(y);
            // Windows only move down: a source streaming its rows may let the
            // rows above this one go.
            if (bLo <= bHi)
                input.rows->release(int(top + bLo));
            for (std::int64_t b = bLo; b <= bHi; ++b) {
                const int pattern = tables.patternOf[std::size_t(b)];
                if (pattern < 0)
                    continue;
                const std::int64_t ahead = top + b + kRowsAhead;
                addRow(tables.patterns[std::size_t(pattern)], tables, input.rows->row(int(top + b)),
                       ahead < input.height ? input.rows->resident(int(ahead)) : nullptr, sums);
            }
            Colour *out = canvas.row(canvasY) + fit.x0 + xBegin;
            for (std::size_t i = 0; i < sums.size(); ++i)
                if (sums[i].count > 0)
                    out[i] = averageOf(sums[i], input.margin);
        }
        // A source that broke gave margin for its missing rows: the picture ends here.
        if (input.rows->failed())
            return end(false);
        ++y;
        if (progress.rowDone)
            progress.rowDone(y, fit.height);
        if (y == fit.height)
            end(true);
    }
};

Resampling::Resampling(const ResampleInput &input, Picture &canvas, const ResamplePlan &plan,
                       const ResampleProgress &progress)
    : m(std::make_unique<State>(input, canvas, plan, progress))
{
    canvas.clear();
    if (input.width <= 0 || input.height <= 0 || canvas.isEmpty() || plan.fit.width <= 0) {
        m->end(false);
        return;
    }
    const ResampleFit &fit = plan.fit;
    if (plan.quality <= 0) {
        const std::vector<int> columns = stretchMap(input.width, fit.width, StretchAxis::Columns);
        m->rows = stretchMap(input.height, fit.height, StretchAxis::Rows);
        m->xBegin = std::max(0, -fit.x0);
        const int xEnd = std::min(fit.width, canvas.width() - fit.x0);
        for (int x = m->xBegin; x < xEnd; ++x)
            m->from.push_back(sourceColumn(input, columns[std::size_t(x)]));
        m->y = std::max(0, -fit.y0);
        m->yEnd = std::min(fit.height, canvas.height() - fit.y0);
        if (m->y >= m->yEnd)
            m->end(!input.rows->failed());
        return;
    }
    m->xBegin = std::max(0, -fit.x0);
    const int xEnd = std::max(m->xBegin, std::min(fit.width, canvas.width() - fit.x0));
    m->tables = tablesFor(input, plan, m->xBegin, xEnd);
    m->sums.resize(std::size_t(xEnd - m->xBegin));
    m->yEnd = fit.height;
    if (fit.height <= 0)
        m->end(true);
}

Resampling::~Resampling() = default;

bool Resampling::finished() const
{
    return m->finished;
}

bool Resampling::ok() const
{
    return m->ok;
}

std::pair<int, int> Resampling::nextInputRows() const
{
    if (m->finished)
        return {-1, -1};
    if (m->plan.quality <= 0) {
        const int row = m->rows[std::size_t(m->y)];
        return {row, row};
    }
    const int canvasY = m->plan.fit.y0 + m->y;
    if (canvasY < 0 || canvasY >= m->canvas.height())
        return {-1, -1};
    const auto [top, bLo, bHi] = m->windowRows(m->y);
    return bLo <= bHi ? std::pair{int(top + bLo), int(top + bHi)} : std::pair{-1, -1};
}

void Resampling::step()
{
    if (m->finished)
        return;
    if (m->plan.quality <= 0)
        m->plainRow();
    else
        m->averagedRow();
}

bool ResamplePicture(const ResampleInput &input, Picture &canvas, const ResamplePlan &plan,
                     const ResampleProgress &progress)
{
    Resampling drawing(input, canvas, plan, progress);
    while (!drawing.finished())
        drawing.step();
    return drawing.ok();
}

} // namespace tess
