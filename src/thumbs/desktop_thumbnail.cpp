#include "thumbs/desktop_thumbnail.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"
#include "thumbs/resample.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <memory>

namespace tess {

namespace {

// Rows read so far and still wanted, top to bottom: where a stream holding
// its picture keeps them, or buffers of our own, reused as rows above are let
// go. A thumbnail of a photo thus never holds the photo whole: the memory a
// process touches for the first time costs more than the averaging.
class RowWindow final : public ResampleRows {
public:
    // Rows from `first` on.
    RowWindow(int width, int first) : m_width(std::size_t(width)), m_first(first) {}

    const Colour *row(int y) override
    {
        return y >= m_first && y < end() ? m_rows[std::size_t(y - m_first)] : nullptr;
    }
    const Colour *resident(int y) override { return row(y); }

    // Below the last row in hand.
    int end() const { return m_first + int(m_rows.size()); }

    // The next row, where it already lies.
    void addHeld(const Colour *row)
    {
        m_rows.push_back(row);
        m_owned.emplace_back();
    }
    // The next row, in a buffer of the window's to fill.
    Colour *addOwned()
    {
        std::vector<Colour> buffer;
        if (m_spare.empty()) {
            buffer.resize(m_width);
        } else {
            buffer = std::move(m_spare.back());
            m_spare.pop_back();
        }
        Colour *row = buffer.data();
        m_rows.push_back(row);
        m_owned.push_back(std::move(buffer));
        return row;
    }
    // Rows above y are wanted no more.
    void dropAbove(int y)
    {
        for (; m_first < y && !m_rows.empty(); ++m_first) {
            if (!m_owned.front().empty())
                m_spare.push_back(std::move(m_owned.front()));
            m_rows.pop_front();
            m_owned.pop_front();
        }
    }

private:
    const std::size_t m_width;
    int m_first;
    std::deque<const Colour *> m_rows;
    std::deque<std::vector<Colour>> m_owned; // empty where the row is the stream's
    std::vector<std::vector<Colour>> m_spare;
};

// A picture's coverage (its alpha as grey) from the first row that shows
// transparency: every row above it is wholly opaque.
class CoverageRows final : public ResampleRows {
public:
    CoverageRows(int width, int from)
        : m_opaque(std::size_t(width), Colour(255) * 0x010101u), m_from(from), m_window(width, from)
    {
    }

    const Colour *row(int y) override { return y < m_from ? m_opaque.data() : m_window.row(y); }
    const Colour *resident(int y) override { return row(y); }

    void add(const Colour *colours, int width)
    {
        Colour *out = m_window.addOwned();
        for (int x = 0; x < width; ++x)
            out[x] = Colour(alphaOf(colours[x])) * 0x010101u;
    }
    void dropAbove(int y) { m_window.dropAbove(y); }

private:
    const std::vector<Colour> m_opaque;
    const int m_from;
    RowWindow m_window;
};

// Every pixel of the resampler's input averaged at once: the step is small
// after a shrink on load, and a thumbnail for the desktop is made once.
int qualityFor(QSize from, QSize to)
{
    const double step = std::max(double(from.width()) / to.width(), double(from.height()) / to.height());
    return std::max(1, int(std::ceil(step)));
}

// One picture drawn into one canvas as its stored rows come, turned upright
// where they are read.
class Drawing {
public:
    Drawing(ResampleRows &rows, QSize stored, PictureTurn turn, Picture &canvas)
        : m_rows(rows), m_stored(stored), m_turn(turn), m_canvas(canvas)
    {
        // A picture no larger than the thumbnail is kept as it is: the
        // resampler's windows, centred between pixels, would shift it.
        const QSize upright = turn.upright(stored);
        if (canvas.width() == upright.width() && canvas.height() == upright.height())
            return;
        ResampleInput input{upright.width(), upright.height(), &rows, nullptr, 0};
        input.turn = turn;
        const ResamplePlan plan = planResample(upright.width(), upright.height(), canvas.width(), canvas.height(),
                                               qualityFor(upright, QSize(canvas.width(), canvas.height())));
        m_resampling = std::make_unique<Resampling>(input, canvas, plan);
    }

    // Draws what the stored rows above `available` allow.
    void drawAbove(int available)
    {
        if (!m_resampling) {
            for (; m_copied < available; ++m_copied) {
                const Colour *row = m_rows.row(m_copied);
                for (int x = 0; x < m_stored.width(); ++x) {
                    const QPoint at = m_turn.uprightAt(m_stored, x, m_copied);
                    m_canvas.row(at.y())[at.x()] = row[x];
                }
            }
            return;
        }
        while (!m_resampling->finished() && m_resampling->nextInputRows().second < available)
            m_resampling->step();
    }

    // The first stored row still wanted; the picture's height once none is.
    int firstWanted() const
    {
        if (!m_resampling)
            return m_copied;
        const int first = m_resampling->finished() ? -1 : m_resampling->nextInputRows().first;
        return first < 0 ? m_stored.height() : first;
    }

    bool ok() const { return m_resampling ? m_resampling->ok() : m_copied == m_stored.height(); }

private:
    ResampleRows &m_rows;
    const QSize m_stored;
    const PictureTurn m_turn;
    Picture &m_canvas;
    std::unique_ptr<Resampling> m_resampling;
    int m_copied = 0;
};

// Straight colours and their coverage from the averages of colours laid over
// black (premultiplied) and of the coverage.
void unpremultiply(Picture &thumbnail, const Picture &alphas)
{
    for (int y = 0; y < thumbnail.height(); ++y) {
        Colour *row = thumbnail.row(y);
        const Colour *a = alphas.row(y);
        for (int x = 0; x < thumbnail.width(); ++x) {
            const unsigned coverageOf = unsigned(redOf(a[x]));
            const auto straight = [&](int premultiplied) {
                return int(std::min(255u, (unsigned(premultiplied) * 255u + coverageOf / 2) / coverageOf));
            };
            row[x] = coverageOf == 0 ? 0
                                     : rgb(straight(redOf(row[x])), straight(greenOf(row[x])),
                                           straight(blueOf(row[x]))) | Colour(coverageOf) << 24;
        }
    }
}

} // namespace

QSize desktopThumbnailSize(int width, int height, int side)
{
    const int longer = std::max(width, height);
    if (longer <= side || longer <= 0)
        return QSize(width, height);
    const auto scaled = [&](int length) { return std::max(1, int(std::lround(double(length) * side / longer))); };
    return width >= height ? QSize(side, scaled(height)) : QSize(scaled(width), side);
}

ReadOptions desktopReadOptions(int side)
{
    ReadOptions options;
    options.matte = kKeepAlpha;
    options.quickSide = side;
    // A raw's stored preview serves when it covers the thumbnail; otherwise
    // the raw is developed, at half size where that covers it.
    options.wantedSize = [side](int width, int height) { return desktopThumbnailSize(width, height, side); };
    return options;
}

bool kindHasAlpha(PictureKindId kind)
{
    switch (kind) {
    case PictureKindId::Png:
    case PictureKindId::Gif:
    case PictureKindId::Webp:
    case PictureKindId::Tiff:
    case PictureKindId::Heif:
    case PictureKindId::Jxl: return true;
    default: return false;
    }
}

std::optional<QString> makeDesktopThumbnails(RowStream &rows, bool alpha, std::span<const int> sides,
                                             std::vector<Picture> &thumbnails)
{
    const int width = rows.width(); // as stored
    const int height = rows.height();
    if (width <= 0 || height <= 0)
        return codecmessages::corrupt();
    const PictureTurn turn = turnOf(rows.orientation());
    const QSize stored(width, height);
    const QSize upright = turn.upright(stored);
    const bool held = rows.holdsWhole();
    // As large as a picture held whole may be, though a streamed one never is.
    if (!held && (long long)width * height > kMaxPicturePixels)
        return codecmessages::tooLarge();

    thumbnails.clear();
    std::vector<Picture> alphas;
    for (const int side : sides) {
        const QSize size = desktopThumbnailSize(upright.width(), upright.height(), side);
        thumbnails.emplace_back(size.width(), size.height());
    }
    RowWindow window(width, 0);
    std::vector<Drawing> drawings;
    drawings.reserve(thumbnails.size());
    for (Picture &thumbnail : thumbnails)
        drawings.emplace_back(window, stored, turn, thumbnail);

    // The resampler averages three channels: alpha goes through it again as
    // grey. Colours laid over black are premultiplied, so averaging them and
    // then dividing by the averaged alpha weighs each pixel by its coverage.
    // Those drawings start at the first band that shows transparency.
    std::unique_ptr<CoverageRows> coverage;
    std::vector<Drawing> coverageDrawings;
    constexpr int kBand = 64;
    std::vector<Colour *> band;
    while (window.end() < height) {
        const int top = window.end();
        const int count = std::min(kBand, height - top);
        if (held) {
            for (int y = top; y < top + count; ++y) {
                const Colour *row = rows.heldRow(y);
                if (!row)
                    return rows.message();
                window.addHeld(row);
            }
        } else {
            band.clear();
            for (int i = 0; i < count; ++i)
                band.push_back(window.addOwned());
            if (!rows.readRows(band.data(), count))
                return rows.message();
        }
        if (alpha && !coverage) {
            for (int y = top; y < top + count && !coverage; ++y) {
                const Colour *row = window.row(y);
                if (std::any_of(row, row + width, [](Colour c) { return alphaOf(c) != 255; }))
                    coverage = std::make_unique<CoverageRows>(width, top);
            }
            if (coverage) {
                alphas.reserve(thumbnails.size());
                coverageDrawings.reserve(thumbnails.size());
                for (const Picture &thumbnail : thumbnails) {
                    alphas.emplace_back(thumbnail.width(), thumbnail.height());
                    coverageDrawings.emplace_back(*coverage, stored, turn, alphas.back());
                }
            }
        }
        if (coverage) {
            for (int y = top; y < top + count; ++y)
                coverage->add(window.row(y), width);
        }
        int wanted = height;
        for (Drawing &drawing : drawings) {
            drawing.drawAbove(window.end());
            wanted = std::min(wanted, drawing.firstWanted());
        }
        window.dropAbove(wanted);
        if (coverage) {
            int coverageWanted = height;
            for (Drawing &drawing : coverageDrawings) {
                drawing.drawAbove(window.end());
                coverageWanted = std::min(coverageWanted, drawing.firstWanted());
            }
            coverage->dropAbove(coverageWanted);
        }
    }
    if (!rows.finish())
        return rows.message();
    for (const Drawing &drawing : drawings) {
        if (!drawing.ok())
            return codecmessages::corrupt();
    }
    for (const Drawing &drawing : coverageDrawings) {
        if (!drawing.ok())
            return codecmessages::corrupt();
    }

    for (std::size_t i = 0; i < thumbnails.size(); ++i) {
        Picture &thumbnail = thumbnails[i];
        if (coverage) {
            unpremultiply(thumbnail, alphas[i]);
            continue;
        }
        for (int y = 0; y < thumbnail.height(); ++y) {
            Colour *row = thumbnail.row(y);
            for (int x = 0; x < thumbnail.width(); ++x)
                row[x] = (row[x] & 0xFFFFFFu) | kKeepAlpha;
        }
    }
    return std::nullopt;
}

} // namespace tess
