#pragma once
#include <QImageIOHandler>
#include <QPoint>
#include <QSize>

namespace tess {

// How the rows a reader hands out, as the file stores them, lie in the upright
// picture: the stored rows are the upright picture's columns when it is
// turned a quarter (transposed), and the rows (lines) or the pixels along
// them run the other way when reversed. Whoever draws the rows turns them
// there, so no turned copy of a picture is ever made.
struct PictureTurn {
    bool transposed = false;
    bool linesReversed = false;
    bool alongReversed = false;

    bool none() const { return !transposed && !linesReversed && !alongReversed; }
    // The upright size of a picture stored at `stored`.
    QSize upright(QSize stored) const { return transposed ? stored.transposed() : stored; }
    // Where upright pixel (x, y) lies in a picture stored at `stored`: its
    // column and row there.
    QPoint storedAt(QSize stored, int x, int y) const
    {
        const int line = transposed ? x : y;
        const int along = transposed ? y : x;
        return QPoint(alongReversed ? stored.width() - 1 - along : along,
                      linesReversed ? stored.height() - 1 - line : line);
    }
    // The upright pixel that pixel (column, row) of a picture stored at
    // `stored` becomes.
    QPoint uprightAt(QSize stored, int column, int row) const
    {
        const int line = linesReversed ? stored.height() - 1 - row : row;
        const int along = alongReversed ? stored.width() - 1 - column : column;
        return transposed ? QPoint(line, along) : QPoint(along, line);
    }
    friend bool operator==(const PictureTurn &, const PictureTurn &) = default;
};

// An orientation as Qt names it: mirror and flip first, then a quarter turn
// clockwise (as applyOrientation applies it).
PictureTurn turnOf(QImageIOHandler::Transformations orientation);

} // namespace tess
