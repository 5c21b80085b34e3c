#pragma once
#include "platform/picture.h"

#include <QPoint>
#include <vector>

namespace tess {

// TileBackground: lays the texture over the panel column by column from the
// top-left corner, each column from the top down. A column ends with the first
// tile whose top lies below the panel's bottom edge and the last column is the
// first that starts beyond the right edge; the comparisons are strict, so a tile
// starting exactly on an edge is followed by one more. Returns the top-left corner
// of every tile laid, in the order laid. An empty texture lays nothing (it would
// never get past the edges).
std::vector<QPoint> tileBackground(Picture &panel, const Picture &texture);

} // namespace tess
