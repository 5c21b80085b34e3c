#include "thumbs/desktop_thumbnail.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"
#include "thumbs/resample.h"

#include <algorithm>
#include <cmath>

namespace tess {

namespace {

// Rows held whole, by pointer: the stream's own when it holds its picture,
// otherwise a copy read band by band.
class HeldRows final : public ResampleRows {
public:
    explicit HeldRows(std::vector<const Colour *> rows) : m_rows(std::move(rows)) {}
    const Colour *row(int y) override { return m_rows[std::size_t(y)]; }
    const Colour *resident(int y) override { return m_rows[std::size_t(y)]; }

private:
    std::vector<const Colour *> m_rows;
};

// Every pixel of the resampler's input averaged at once: the step is small
// after a shrink on load, and a thumbnail for the desktop is made once.
int qualityFor(QSize from, QSize to)
{
    const double step = std::max(double(from.width()) / to.width(), double(from.height()) / to.height());
    return std::max(1, int(std::ceil(step)));
}

// Draws the stored rows, turned, into the canvas.
bool resample(QSize stored, PictureTurn turn, std::vector<const Colour *> rows, Picture &canvas)
{
    const QSize upright = turn.upright(stored);
    // A picture no larger than the thumbnail is kept as it is: the
    // resampler's windows, centred between pixels, would shift it.
    if (canvas.width() == upright.width() && canvas.height() == upright.height()) {
        for (int y = 0; y < upright.height(); ++y) {
            for (int x = 0; x < upright.width(); ++x) {
                const QPoint at = turn.storedAt(stored, x, y);
                canvas.row(y)[x] = rows[std::size_t(at.y())][at.x()];
            }
        }
        return true;
    }
    HeldRows source(std::move(rows));
    ResampleInput input{upright.width(), upright.height(), &source, nullptr, 0};
    input.turn = turn;
    const ResamplePlan plan = planResample(upright.width(), upright.height(), canvas.width(), canvas.height(),
                                           qualityFor(upright, QSize(canvas.width(), canvas.height())));
    return ResamplePicture(input, canvas, plan);
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
    const int width = rows.width();
    const int height = rows.height();
    if (width <= 0 || height <= 0)
        return codecmessages::corrupt();
    const PictureTurn turn = turnOf(rows.orientation());
    const QSize stored(width, height);
    const QSize upright = turn.upright(stored);
    std::vector<const Colour *> pointers(static_cast<std::size_t>(height));
    Picture copy;
    if (rows.holdsWhole()) {
        for (int y = 0; y < height; ++y) {
            pointers[std::size_t(y)] = rows.heldRow(y);
            if (!pointers[std::size_t(y)])
                return rows.message();
        }
    } else {
        if ((long long)width * height > kMaxPicturePixels)
            return codecmessages::tooLarge();
        copy = Picture(width, height);
        constexpr int kBand = 64;
        std::vector<Colour *> band(kBand);
        for (int y = 0; y < height; y += kBand) {
            const int count = std::min(kBand, height - y);
            for (int i = 0; i < count; ++i)
                band[std::size_t(i)] = copy.row(y + i);
            if (!rows.readRows(band.data(), count))
                return rows.message();
        }
        for (int y = 0; y < height; ++y)
            pointers[std::size_t(y)] = copy.row(y);
    }
    if (!rows.finish())
        return rows.message();

    // The resampler averages three channels: alpha goes through it again as
    // grey. Colours laid over black are premultiplied, so averaging them and
    // then dividing by the averaged alpha weighs each pixel by its coverage.
    bool transparent = false;
    if (alpha) {
        for (int y = 0; y < height && !transparent; ++y)
            transparent = std::any_of(pointers[std::size_t(y)], pointers[std::size_t(y)] + width,
                                      [](Colour c) { return alphaOf(c) != 255; });
    }
    Picture coverage;
    std::vector<const Colour *> coverageRows;
    if (transparent) {
        coverage = Picture(width, height);
        for (int y = 0; y < height; ++y) {
            Colour *out = coverage.row(y);
            const Colour *in = pointers[std::size_t(y)];
            for (int x = 0; x < width; ++x)
                out[x] = Colour(alphaOf(in[x])) * 0x010101u;
            coverageRows.push_back(out);
        }
    }

    thumbnails.clear();
    for (const int side : sides) {
        const QSize size = desktopThumbnailSize(upright.width(), upright.height(), side);
        Picture thumbnail(size.width(), size.height());
        if (!resample(stored, turn, pointers, thumbnail))
            return codecmessages::corrupt();
        if (transparent) {
            Picture alphas(size.width(), size.height());
            if (!resample(stored, turn, coverageRows, alphas))
                return codecmessages::corrupt();
            for (int y = 0; y < size.height(); ++y) {
                Colour *row = thumbnail.row(y);
                const Colour *a = alphas.row(y);
                for (int x = 0; x < size.width(); ++x) {
                    const unsigned coverageOf = unsigned(redOf(a[x]));
                    const auto straight = [&](int premultiplied) {
                        return int(std::min(255u, (unsigned(premultiplied) * 255u + coverageOf / 2) / coverageOf));
                    };
                    row[x] = coverageOf == 0 ? 0
                                             : rgb(straight(redOf(row[x])), straight(greenOf(row[x])),
                                                   straight(blueOf(row[x]))) | Colour(coverageOf) << 24;
                }
            }
        } else {
            for (int y = 0; y < size.height(); ++y) {
                Colour *row = thumbnail.row(y);
                for (int x = 0; x < size.width(); ++x)
                    row[x] = (row[x] & 0xFFFFFFu) | kKeepAlpha;
            }
        }
        thumbnails.push_back(std::move(thumbnail));
    }
    return std::nullopt;
}

} // namespace tess
