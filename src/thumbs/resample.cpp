#include "thumbs/resample.h"

#include "platform/blit.h"
#include "thumbs/rounding.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace tess {

namespace {

// One axis of the drawing, from the picture drawn to the stored rows: its
// pixels (through the map, if any) are the upright source's, which lie along
// or across the stored rows, forwards or backwards.
struct Axis {
    int length = 0;                      // pixels of the picture drawn
    const std::vector<int> *map = nullptr; // to the upright source, -1 for margin
    int upright = 0;                     // pixels of the upright source
    bool reversed = false;
    // Where the fitted picture lies along it on the canvas.
    int fitOffset = 0;
    int fitLength = 0;
    int canvasLength = 0;

    // The stored row (across) or the place in a stored row (along) of pixel
    // i of the picture drawn; -1 for margin.
    int stored(std::int64_t i) const
    {
        const int u = map ? (*map)[std::size_t(i)] : int(i);
        if (u < 0)
            return -1;
        return reversed ? upright - 1 - u : u;
    }
};

// What one window line reads, worked out once per picture: window lines whose
// sampled positions start at the same place read the same source pixels for
// every canvas pixel along. Pixel i along reads at[bounds[i] .. bounds[i + 1])
// of a stored row and margin[i] times the margin (no margin at all when that
// is empty).
struct Pattern {
    std::vector<int> at;
    std::vector<std::uint32_t> bounds{0};
    std::vector<std::uint32_t> margin;
};

// The sampling of one picture, the same for every canvas line.
struct Tables {
    std::vector<int> patternOf; // of each window line; -1 when it reads nothing
    std::vector<Pattern> patterns;
    // Where each window starts, is halfway and ends in its stored row (-1:
    // nowhere), for asking a few rows ahead: a row spans several pages, and
    // the hardware's own prefetch stops at every page boundary.
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

// The window positions are numbered column by column; a drawing by rows reads
// each window row's columns, one by columns each window column's rows.
WindowSampler::Columns positionsOf(const WindowSampler &sampler, bool byColumns, int line)
{
    return byColumns ? sampler.rowsOfColumn(line) : sampler.row(line);
}

Tables tablesFor(const Axis &along, const ResamplePlan &plan, bool byColumns, int begin, int end)
{
    const ResampleWindow &window = plan.window;
    const std::int64_t R = window.radius;
    // The inside part of each canvas pixel's window, as window places a = d + R.
    struct Span { std::int64_t left, aLo, aHi; };
    std::vector<Span> spans;
    Tables t;
    for (int x = begin; x < end; ++x) {
        const std::int64_t left = windowStart(std::int64_t(window.centre(x)) - R, R, along.length, plan.covers);
        const Span s{left, std::max<std::int64_t>(0, -left), std::min<std::int64_t>(2 * R, along.length - 1 - left)};
        spans.push_back(s);
        if (s.aLo <= s.aHi)
            t.ahead.push_back({along.stored(left + s.aLo), along.stored(left + (s.aLo + s.aHi) / 2),
                               along.stored(left + s.aHi)});
        else
            t.ahead.push_back({-1, -1, -1});
    }

    const WindowSampler sampler(window.radius, window.interval);
    std::vector<std::int64_t> firstOf; // of each pattern
    t.patternOf.assign(std::size_t(2 * R + 1), -1);
    for (std::int64_t b = 0; b <= 2 * R; ++b) {
        const WindowSampler::Columns read = positionsOf(sampler, byColumns, int(b));
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
                const int c = along.stored(s.left + a);
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


// The axes of a drawing: the one it steps along line by line (canvas rows, or
// columns where the stored rows are upright columns) and the one along each
// line.
struct Axes {
    Axis line;
    Axis along;
};

Axes axesOf(const ResampleInput &input, const ResampleFit &fit, int canvasWidth, int canvasHeight)
{
    const bool maps = input.columns || input.rowMap;
    const int sourceWidth = maps && input.sourceWidth > 0 ? input.sourceWidth : input.width;
    const int sourceHeight = maps && input.sourceHeight > 0 ? input.sourceHeight : input.height;
    const Axis columns{input.width, input.columns, sourceWidth, false, fit.x0, fit.width, canvasWidth};
    const Axis rows{input.height, input.rowMap, sourceHeight, false, fit.y0, fit.height, canvasHeight};
    Axes axes{input.turn.transposed ? columns : rows, input.turn.transposed ? rows : columns};
    axes.line.reversed = input.turn.linesReversed;
    axes.along.reversed = input.turn.alongReversed;
    return axes;
}

} // namespace

// The drawing's state between two canvas lines. The plain stretch reads one
// stored row per canvas line, through the choice of stretchBlt; the averaging
// reads the window lines of each canvas line.
struct Resampling::State {
    const ResampleInput input;
    Picture &canvas;
    const ResamplePlan plan;
    const ResampleProgress progress;
    Axes axes;
    bool byColumns = false;
    bool finished = false;
    bool ok = false;
    // The lines [first, end) drawn, from the far end when backwards.
    int first = 0;
    int end = 0;
    int done = 0;
    int alongBegin = 0;
    // Plain stretch.
    std::vector<int> lines;
    std::vector<int> from;
    // Averaging.
    Tables tables;
    std::vector<Sums> sums;

    State(const ResampleInput &input, Picture &canvas, const ResamplePlan &plan, const ResampleProgress &progress)
        : input(input), canvas(canvas), plan(plan), progress(progress),
          axes(axesOf(input, plan.fit, canvas.width(), canvas.height())), byColumns(input.turn.transposed)
    {
    }

    void finish(bool drawn)
    {
        finished = true;
        ok = drawn;
    }

    // The line drawn next.
    int current() const { return axes.line.reversed ? end - 1 - done : first + done; }

    // Pixel i along canvas line `line`, of the fitted picture.
    Colour &pixel(int line, int i)
    {
        const int along = axes.along.fitOffset + alongBegin + i;
        const int across = axes.line.fitOffset + line;
        return byColumns ? canvas.row(along)[across] : canvas.row(across)[along];
    }

    // The window lines canvas line i reads: lines top + [lo, hi] of the picture drawn.
    struct WindowLines {
        std::int64_t top, lo, hi;
    };
    WindowLines windowLines(int i) const
    {
        const std::int64_t R = plan.window.radius;
        const std::int64_t top =
            windowStart(std::int64_t(plan.window.centre(i)) - R, R, axes.line.length, plan.covers);
        return {top, std::max<std::int64_t>(0, -top), std::min<std::int64_t>(2 * R, axes.line.length - 1 - top)};
    }

    // The first and last stored rows a window reads; -1 for none.
    std::pair<int, int> storedRows(const WindowLines &w) const
    {
        int lo = -1;
        int hi = -1;
        for (std::int64_t b = w.lo; b <= w.hi; ++b) {
            const int s = axes.line.stored(w.top + b);
            if (s < 0)
                continue;
            lo = lo < 0 ? s : std::min(lo, s);
            hi = std::max(hi, s);
        }
        return {lo, hi};
    }

    void plainLine()
    {
        const int i = current();
        const int s = axes.line.stored(lines[std::size_t(i)]);
        if (s >= 0)
            input.rows->release(s);
        const Colour *in = s >= 0 ? input.rows->row(s) : nullptr;
        for (std::size_t k = 0; k < from.size(); ++k)
            pixel(i, int(k)) = in && from[k] >= 0 ? in[from[k]] : input.margin;
        if (input.rows->failed() || progress.stopped())
            return finish(false);
        if (++done == end - first)
            finish(!input.rows->failed());
    }

    void averagedLine()
    {
        if (progress.stopped())
            return finish(false);
        const int i = current();
        const int canvasLine = axes.line.fitOffset + i;
        if (canvasLine >= 0 && canvasLine < axes.line.canvasLength) {
            std::fill(sums.begin(), sums.end(), Sums{0, 0, 0, 0, 0});
            const WindowLines w = windowLines(i);
            // Windows only move on through the stored rows: a source streaming
            // them may let the rows before this window's go.
            if (const int lowest = storedRows(w).first; lowest >= 0)
                input.rows->release(lowest);
            // The rows are walked the way each one is read along, so that the
            // loads run through memory in one direction and the hardware
            // prefetches them; the sums are integers, so any order adds the same.
            const bool down = axes.line.reversed == axes.along.reversed;
            for (std::int64_t k = 0; k <= w.hi - w.lo; ++k) {
                const std::int64_t b = down ? w.lo + k : w.hi - k;
                const int pattern = tables.patternOf[std::size_t(b)];
                if (pattern < 0)
                    continue;
                const int s = axes.line.stored(w.top + b);
                const std::int64_t ahead = w.top + (down ? b + kRowsAhead : b - kRowsAhead);
                const int aheadRow = ahead >= 0 && ahead < axes.line.length ? axes.line.stored(ahead) : -1;
                addRow(tables.patterns[std::size_t(pattern)], tables, s >= 0 ? input.rows->row(s) : nullptr,
                       aheadRow >= 0 ? input.rows->resident(aheadRow) : nullptr, sums);
            }
            for (std::size_t k = 0; k < sums.size(); ++k)
                if (sums[k].count > 0)
                    pixel(i, int(k)) = averageOf(sums[k], input.margin);
        }
        // A source that broke gave margin for its missing rows: the picture ends here.
        if (input.rows->failed())
            return finish(false);
        ++done;
        if (progress.rowDone)
            progress.rowDone(done, axes.line.fitLength);
        if (done == axes.line.fitLength)
            finish(true);
    }
};


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

DrawingOrder drawingOrder(const ResamplePlan &plan, PictureTurn turn)
{
    DrawingOrder order;
    order.byColumns = turn.transposed;
    order.backwards = turn.linesReversed;
    order.offset = turn.transposed ? plan.fit.x0 : plan.fit.y0;
    order.lines = turn.transposed ? plan.fit.width : plan.fit.height;
    return order;
}

QRect DrawingOrder::finished(int canvasWidth, int canvasHeight, int linesDone) const
{
    return finishedBetween(canvasWidth, canvasHeight, 0, linesDone);
}

QRect DrawingOrder::finishedBetween(int canvasWidth, int canvasHeight, int before, int after) const
{
    const int length = byColumns ? canvasWidth : canvasHeight;
    // The edge the lines have reached; the first line also finishes what lies
    // before the picture.
    const auto edge = [&](int done) {
        return backwards ? std::clamp(offset + lines - done, 0, length) : std::clamp(offset + done, 0, length);
    };
    const int start = before == 0 ? (backwards ? length : 0) : edge(before);
    const int from = backwards ? edge(after) : start;
    const int to = backwards ? start : edge(after);
    if (from >= to)
        return QRect();
    return byColumns ? QRect(from, 0, to - from, canvasHeight) : QRect(0, from, canvasWidth, to - from);
}

Resampling::Resampling(const ResampleInput &input, Picture &canvas, const ResamplePlan &plan,
                       const ResampleProgress &progress)
    : m(std::make_unique<State>(input, canvas, plan, progress))
{
    canvas.clear();
    if (input.width <= 0 || input.height <= 0 || canvas.isEmpty() || plan.fit.width <= 0) {
        m->finish(false);
        return;
    }
    const Axis &line = m->axes.line;
    const Axis &along = m->axes.along;
    const StretchAxis lineStretch = m->byColumns ? StretchAxis::Columns : StretchAxis::Rows;
    const StretchAxis alongStretch = m->byColumns ? StretchAxis::Rows : StretchAxis::Columns;
    m->alongBegin = std::max(0, -along.fitOffset);
    const int alongEnd = std::max(m->alongBegin, std::min(along.fitLength, along.canvasLength - along.fitOffset));
    if (plan.quality <= 0) {
        const std::vector<int> places = stretchMap(along.length, along.fitLength, alongStretch);
        m->lines = stretchMap(line.length, line.fitLength, lineStretch);
        for (int x = m->alongBegin; x < alongEnd; ++x)
            m->from.push_back(along.stored(places[std::size_t(x)]));
        m->first = std::max(0, -line.fitOffset);
        m->end = std::min(line.fitLength, line.canvasLength - line.fitOffset);
        if (m->first >= m->end)
            m->finish(!input.rows->failed());
        return;
    }
    m->tables = tablesFor(along, plan, m->byColumns, m->alongBegin, alongEnd);
    m->sums.resize(std::size_t(alongEnd - m->alongBegin));
    m->end = line.fitLength;
    if (line.fitLength <= 0)
        m->finish(true);
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
    const int i = m->current();
    if (m->plan.quality <= 0) {
        const int row = m->axes.line.stored(m->lines[std::size_t(i)]);
        return {row, row};
    }
    const int canvasLine = m->axes.line.fitOffset + i;
    if (canvasLine < 0 || canvasLine >= m->axes.line.canvasLength)
        return {-1, -1};
    return m->storedRows(m->windowLines(i));
}

void Resampling::step()
{
    if (m->finished)
        return;
    if (m->plan.quality <= 0)
        m->plainLine();
    else
        m->averagedLine();
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
