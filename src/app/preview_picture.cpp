#include "app/preview_picture.h"

#include "app/preview_fit.h"
#include "codecs/codec_messages.h"
#include "codecs/library_threads.h"
#include "codecs/open_picture.h"
#include "codecs/picture_codecs.h"
#include "codecs/picture_turn.h"
#include "platform/blit.h"

#include <algorithm>
#include <vector>

namespace tess {

namespace {

constexpr int kPreviewSide = 100;
// Rows read at a time from a stream that decodes as it goes: a 16000-pixel
// row is 64 KB, so a band stays near a megabyte.
constexpr int kBandRows = 16;

// Where each kept row and column comes from in the upright picture: the
// whole picture one to one, or the source preview's nearest-pixel picks.
struct Picks {
    std::vector<int> rows;
    std::vector<int> columns;
};

Picks picksFor(int width, int height, const Picture &kept, bool whole)
{
    Picks picks;
    if (whole) {
        picks.rows.resize(std::size_t(height));
        picks.columns.resize(std::size_t(width));
        for (int y = 0; y < height; ++y)
            picks.rows[std::size_t(y)] = y;
        for (int x = 0; x < width; ++x)
            picks.columns[std::size_t(x)] = x;
    } else if (!kept.isEmpty()) {
        picks.rows = stretchMap(height, kept.height(), StretchAxis::Rows);
        picks.columns = stretchMap(width, kept.width(), StretchAxis::Columns);
    }
    return picks;
}

// Each kept pixel by the stored row it comes from, so that the rows, read in
// the file's order, fill the kept picture however the file is turned.
struct StoredPick {
    int row;
    int column;
    std::size_t kept; // the kept picture's pixel, row by row
};

std::vector<StoredPick> storedPicks(const Picks &picks, PictureTurn turn, QSize stored)
{
    std::vector<StoredPick> result;
    result.reserve(picks.rows.size() * picks.columns.size());
    for (std::size_t ky = 0; ky < picks.rows.size(); ++ky) {
        for (std::size_t kx = 0; kx < picks.columns.size(); ++kx) {
            const QPoint at = turn.storedAt(stored, picks.columns[kx], picks.rows[ky]);
            result.push_back({at.y(), at.x(), ky * picks.columns.size() + kx});
        }
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const StoredPick &a, const StoredPick &b) { return a.row < b.row; });
    return result;
}

// Fills the kept pixels that show stored row y. Picks run by stored row, so
// those still to fill start at `next`.
void keepRow(Picture &kept, const std::vector<StoredPick> &picks, std::size_t &next, int y, const Colour *source)
{
    Colour *out = kept.bits();
    for (; next < picks.size() && picks[next].row == y; ++next)
        out[picks[next].kept] = source[picks[next].column];
}

bool stopped(const PreviewLoadControl &control)
{
    return control.stop && control.stop->load(std::memory_order_relaxed);
}

} // namespace

bool previewKeepsWhole(int pictureWidth, int pictureHeight)
{
    return pictureWidth <= kPreviewSide && pictureHeight <= kPreviewSide;
}

PreviewPicture loadPreviewPicture(const QString &path, const PreviewLoadControl &control)
{
    // A preview shares the machine with a run: its libraries decode on the
    // calling thread alone.
    setLibraryThreads(1);
    PreviewPicture result;
    const auto fail = [&](QString message) {
        PreviewPicture failed;
        failed.failure = Failure{path, std::move(message)};
        return failed;
    };
    // A file holding pictures of several sizes (a camera raw and its
    // preview) gives one that covers the drawing.
    ReadOptions options;
    options.wantedSize = [](int width, int height) { return fitSourcePreview(width, height).drawnSize(); };
    OpenedPicture opened = openPicture(path, options);
    if (!opened.ok())
        return fail(opened.message);
    RowStream &rows = *opened.rows;
    const int width = rows.width(); // as stored
    const int height = rows.height();
    // The preview takes what a whole decode takes, however little of it is kept.
    if ((long long)width * height > kMaxPicturePixels)
        return fail(codecmessages::tooLarge());
    const PictureTurn turn = turnOf(rows.orientation());
    const QSize upright = turn.upright(QSize(width, height));

    const bool whole = previewKeepsWhole(upright.width(), upright.height());
    const QSize drawn = fitSourcePreview(upright.width(), upright.height()).drawnSize();
    Picture kept = whole ? Picture(upright.width(), upright.height()) : Picture(drawn.width(), drawn.height());
    const std::vector<StoredPick> picks =
        storedPicks(picksFor(upright.width(), upright.height(), kept, whole), turn, QSize(width, height));
    std::size_t next = 0;
    std::size_t largest = kept.byteCount();

    if (rows.holdsWhole()) {
        // Its rows are there to read in place; the first one decodes it.
        if (height > 0 && !rows.heldRow(0))
            return fail(rows.message());
        while (next < picks.size()) {
            const int y = picks[next].row;
            const Colour *source = rows.heldRow(y);
            if (!source)
                return fail(rows.message());
            keepRow(kept, picks, next, y, source);
        }
    } else {
        const int bandRows = std::min(kBandRows, height);
        std::vector<Colour> band(std::size_t(width) * std::size_t(bandRows));
        largest += band.size() * sizeof(Colour);
        std::vector<Colour *> pointers(static_cast<std::size_t>(bandRows));
        for (int i = 0; i < bandRows; ++i)
            pointers[std::size_t(i)] = band.data() + std::size_t(i) * std::size_t(width);
        for (int top = 0; top < height; top += bandRows) {
            if (stopped(control))
                return fail(QString());
            const int count = std::min(bandRows, height - top);
            if (!rows.readRows(pointers.data(), count))
                return fail(rows.message());
            for (int i = 0; i < count; ++i)
                keepRow(kept, picks, next, top + i, pointers[std::size_t(i)]);
        }
    }
    if (!rows.finish())
        return fail(rows.message());
    if (control.largestBuffer)
        *control.largestBuffer = largest;

    result.width = upright.width();
    result.height = upright.height();
    result.kept = std::move(kept);
    return result;
}

Picture drawPreview(const PreviewPicture &loaded, bool thumbnail, Colour background)
{
    if (loaded.isEmpty())
        return Picture();
    const int w = loaded.width;
    const int h = loaded.height;
    const PreviewFit fit = thumbnail ? fitThumbnailPreview(w, h) : fitSourcePreview(w, h);
    const QSize drawn = fit.drawnSize();
    if (!previewKeepsWhole(w, h)) {
        // Both fits draw a larger picture alike, and it was kept as drawn.
        Picture shown = loaded.kept;
        shown.setBackground(background);
        return shown;
    }
    Picture shown(drawn.width(), drawn.height(), background);
    if (fit.stretched)
        stretchBlt(shown, 0, 0, drawn.width(), drawn.height(), loaded.kept, 0, 0, w, h);
    else
        bitBlt(shown, 0, 0, drawn.width(), drawn.height(), loaded.kept, 0, 0);
    return shown;
}

} // namespace tess
